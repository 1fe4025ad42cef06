#include "tools/win32/winauto/DialogControls.h"

#include <cstdlib>

#include "tools/win32/winauto/TopLevelWindows.h"

namespace kvt::winauto {

namespace {

constexpr UINT kMessageTimeoutMs = 5000;

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

LRESULT AskWide(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

// An item's text in the wide form, which every system carries across
// processes the same way (an owner-drawn list's ANSI text may come back
// unconverted), turned into the ANSI code page.
std::string ListItemText(HWND listBox, WPARAM index) {
    const LRESULT length = AskWide(listBox, LB_GETTEXTLEN, index);
    if (length < 0) return {};
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = AskWide(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(copied >= 0 ? static_cast<std::size_t>(copied) : 0);
    if (wide.empty()) return {};
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes, nullptr,
                              nullptr);
    return text;
}

bool HasCheckState(HWND window) {
    if (ClassOf(window) != "Button") return false;
    const LONG_PTR type = ::GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
           type == BS_3STATE || type == BS_AUTO3STATE;
}

BOOL CALLBACK CollectControl(HWND window, LPARAM context) {
    auto* controls = reinterpret_cast<std::vector<ControlInfo>*>(context);
    ControlInfo info;
    info.window = window;
    info.id = ::GetDlgCtrlID(window);
    info.className = ClassOf(window);
    info.text = TextOf(window);
    info.check = CheckStateOf(window);
    controls->push_back(std::move(info));
    return TRUE;
}

}  // namespace

std::string WithoutMnemonics(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // "&&" stands for one ampersand.
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

std::vector<ControlInfo> ControlsOf(HWND dialog) {
    std::vector<ControlInfo> controls;
    ::EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

HWND FindControl(HWND dialog, const std::string& selector) {
    if (selector.size() > 1 && selector[0] == '#') {
        char* end = nullptr;
        const long id = std::strtol(selector.c_str() + 1, &end, 0);
        if (end == nullptr || *end != '\0') return nullptr;
        return ::GetDlgItem(dialog, static_cast<int>(id));
    }
    for (const ControlInfo& control : ControlsOf(dialog)) {
        if (WithoutMnemonics(control.text) == WithoutMnemonics(selector)) return control.window;
    }
    return nullptr;
}

int CheckStateOf(HWND control) {
    return HasCheckState(control) ? static_cast<int>(Ask(control, BM_GETCHECK)) : -1;
}

bool ClickButton(HWND button) { return Ask(button, BM_CLICK) != -1; }

std::vector<ListItem> ListBoxItems(HWND listBox) {
    std::vector<ListItem> items;
    const LRESULT count = Ask(listBox, LB_GETCOUNT);
    for (LRESULT index = 0; index < count; ++index) {
        items.push_back(ListItem{ListItemText(listBox, static_cast<WPARAM>(index)), Ask(listBox, LB_GETSEL, static_cast<WPARAM>(index)) > 0,
                                 Ask(listBox, LB_GETITEMDATA, static_cast<WPARAM>(index)) == 1});
    }
    return items;
}

bool ToggleListItem(HWND listBox, int index) {
    if (index < 0 || index >= Ask(listBox, LB_GETCOUNT)) return false;
    Ask(listBox, LB_SETCURSEL, static_cast<WPARAM>(index));
    // Sent, not posted: the toggle and the parent's notification are done
    // when this returns.
    Ask(listBox, WM_KEYDOWN, VK_SPACE);
    return true;
}

}  // namespace kvt::winauto
