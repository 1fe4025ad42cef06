// kvt_winauto: drives the dialogs of another program from a test script.
// Every command prints what it found on stdout and reports through its exit
// code (AutomationExit.h).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/win32/winauto/AutomationExit.h"
#include "tools/win32/winauto/DialogControls.h"
#include "tools/win32/winauto/MessageBoxes.h"
#include "tools/win32/winauto/PrinterList.h"
#include "tools/win32/winauto/ProcessWatch.h"
#include "tools/win32/winauto/TopLevelWindows.h"

namespace kvt::winauto {

namespace {

constexpr DWORD kDefaultTimeoutMs = 30000;

const char* const kUsage =
    "usage: kvt_winauto COMMAND ...\n"
    "  wait TITLE [MS]                 wait for a top-level window\n"
    "  gone TITLE [MS]                 wait until no window has the title\n"
    "  count TITLE                     print how many windows have the title\n"
    "  controls TITLE                  list the window's controls: id, class, text, check state\n"
    "  text TITLE CONTROL              print a control's text (CONTROL: #id or its text)\n"
    "  click TITLE CONTROL             click a button\n"
    "  checked TITLE CONTROL           exit 0 when the button is checked, 4 when not\n"
    "  items TITLE CONTROL             list a list box's items, '*' before selected ones\n"
    "  enabled TITLE CONTROL           exit 0 when the control is enabled, 4 when not\n"
    "  checklist TITLE CONTROL         list a check list's items, '[x]' before checked ones\n"
    "  toggle TITLE CONTROL INDEX      toggle a check list item's box with the space bar\n"
    "  answer CAPTION TEXT BUTTON [MS] wait for a message box and press Yes, No, OK or Cancel\n"
    "  foreground                      print the foreground window's title\n"
    "  printers                        list local printers: name, driver, port (tab-separated)\n"
    "  watch PROGRAM [MS [ARGS...]]    run a program with ARGS; exit 0 only if it ends with 0 and shows no window\n";

struct Arguments {
    std::vector<std::string> words;
    const std::string& at(std::size_t index) const { return words.at(index); }
    std::size_t size() const { return words.size(); }
    DWORD timeoutAt(std::size_t index) const {
        return index < words.size() ? static_cast<DWORD>(std::strtoul(words[index].c_str(), nullptr, 10))
                                    : kDefaultTimeoutMs;
    }
};

void Print(const std::string& line) { std::printf("%s\n", line.c_str()); }

int Wait(const Arguments& args) {
    const HWND window = WaitForWindow(args.at(1), args.timeoutAt(2));
    if (window == nullptr) {
        Print("no window \"" + args.at(1) + "\"");
        return exitcode::NotFound;
    }
    Print("found \"" + args.at(1) + "\"");
    return exitcode::Ok;
}

int Gone(const Arguments& args) {
    if (!WaitUntilGone(args.at(1), args.timeoutAt(2))) {
        Print("still there: \"" + args.at(1) + "\"");
        return exitcode::NotFound;
    }
    return exitcode::Ok;
}

int Count(const Arguments& args) {
    Print(std::to_string(WindowsTitled(args.at(1)).size()));
    return exitcode::Ok;
}

// The window, then the control; reports what is missing.
int FindTarget(const Arguments& args, HWND& control) {
    const std::vector<HWND> windows = WindowsTitled(args.at(1));
    if (windows.empty()) {
        Print("no window \"" + args.at(1) + "\"");
        return exitcode::NotFound;
    }
    control = FindControl(windows.front(), args.at(2));
    if (control == nullptr) {
        Print("no control " + args.at(2) + " in \"" + args.at(1) + "\"");
        return exitcode::NoControl;
    }
    return exitcode::Ok;
}

int Controls(const Arguments& args) {
    const std::vector<HWND> windows = WindowsTitled(args.at(1));
    if (windows.empty()) return exitcode::NotFound;
    for (const ControlInfo& control : ControlsOf(windows.front())) {
        std::string line = std::to_string(control.id) + "\t" + control.className + "\t\"" + control.text + "\"";
        if (control.check >= 0) line += control.check == BST_CHECKED ? "\tchecked" : "\tunchecked";
        Print(line);
    }
    return exitcode::Ok;
}

int Text(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    Print(TextOf(control));
    return exitcode::Ok;
}

int Click(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    return ClickButton(control) ? exitcode::Ok : exitcode::Usage;
}

int Checked(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    const int check = CheckStateOf(control);
    if (check < 0) {
        Print(args.at(2) + " is no check box or radio button");
        return exitcode::NoControl;
    }
    return check == BST_CHECKED ? exitcode::Ok : exitcode::NotSo;
}

int Items(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    for (const ListItem& item : ListBoxItems(control)) Print((item.selected ? "* " : "  ") + item.text);
    return exitcode::Ok;
}

int Enabled(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    return ::IsWindowEnabled(control) ? exitcode::Ok : exitcode::NotSo;
}

int CheckList(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    for (const ListItem& item : ListBoxItems(control)) Print((item.checked ? "[x] " : "[ ] ") + item.text);
    return exitcode::Ok;
}

int Toggle(const Arguments& args) {
    HWND control = nullptr;
    if (const int code = FindTarget(args, control); code != exitcode::Ok) return code;
    if (ToggleListItem(control, std::atoi(args.at(3).c_str()))) return exitcode::Ok;
    Print("no item " + args.at(3) + " in " + args.at(2));
    return exitcode::NoControl;
}

int Answer(const Arguments& args) {
    const int button = BoxButtonId(args.at(3));
    if (button == 0) {
        Print("unknown button " + args.at(3));
        return exitcode::Usage;
    }
    std::string text;
    const HWND box = WaitForMessageBox(args.at(1), args.at(2), args.timeoutAt(4), text);
    if (box == nullptr) {
        Print("no message box \"" + args.at(1) + "\" with \"" + args.at(2) + "\"");
        return exitcode::NotFound;
    }
    Print(text);
    const HWND control = ::GetDlgItem(box, button);
    if (control == nullptr) {
        Print("the box has no button " + args.at(3));
        return exitcode::NoControl;
    }
    return ClickButton(control) ? exitcode::Ok : exitcode::Usage;
}

int Foreground(const Arguments&) {
    const HWND window = ::GetForegroundWindow();
    Print(window != nullptr ? TextOf(window) : std::string());
    return exitcode::Ok;
}

int Printers(const Arguments&) {
    std::vector<PrinterEntry> printers;
    if (const DWORD error = LocalPrinters(printers); error != ERROR_SUCCESS) {
        Print("EnumPrintersA failed: " + std::to_string(error));
        return exitcode::Usage;
    }
    for (const PrinterEntry& printer : printers) Print(printer.name + "\t" + printer.driver + "\t" + printer.port);
    return exitcode::Ok;
}

int Watch(const Arguments& args) {
    std::string arguments;
    for (std::size_t index = 3; index < args.size(); ++index) arguments += (index > 3 ? " " : "") + args.at(index);
    const WatchResult result = WatchProgram(args.at(1), arguments, args.timeoutAt(2));
    if (!result.started) {
        Print("cannot start " + args.at(1) + ": " + std::to_string(::GetLastError()));
        return exitcode::Usage;
    }
    for (const std::string& window : result.windows) Print("window: " + window);
    Print(result.ended ? "exit code: " + std::to_string(result.exitCode) : std::string("still running: ended"));
    if (!result.ended) return exitcode::NotFound;
    if (!result.windows.empty()) return exitcode::MadeWindows;
    return result.exitCode == 0 ? exitcode::Ok : exitcode::ExitedBadly;
}

struct Command {
    const char* name;
    std::size_t minimumWords;  // the command's name included
    int (*run)(const Arguments&);
};

constexpr Command kCommands[] = {
    {"wait", 2, Wait},       {"gone", 2, Gone},         {"count", 2, Count},   {"controls", 2, Controls},
    {"text", 3, Text},       {"click", 3, Click},       {"checked", 3, Checked}, {"items", 3, Items},
    {"enabled", 3, Enabled}, {"checklist", 3, CheckList}, {"toggle", 4, Toggle},
    {"answer", 4, Answer},   {"foreground", 1, Foreground}, {"printers", 1, Printers}, {"watch", 2, Watch},
};

}  // namespace

int Run(const Arguments& args) {
    if (args.size() >= 1) {
        for (const Command& command : kCommands) {
            if (args.at(0) != command.name) continue;
            if (args.size() < command.minimumWords) break;
            return command.run(args);
        }
    }
    std::fputs(kUsage, stderr);
    return exitcode::Usage;
}

}  // namespace kvt::winauto

int main(int argc, char** argv) {
    kvt::winauto::Arguments args;
    for (int i = 1; i < argc; ++i) args.words.emplace_back(argv[i]);
    const int code = kvt::winauto::Run(args);
    std::fflush(stdout);
    return code;
}
