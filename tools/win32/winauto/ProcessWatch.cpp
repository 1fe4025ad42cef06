#include "tools/win32/winauto/ProcessWatch.h"

#include <algorithm>

#include "platform/win32/Handles.h"
#include "tools/win32/winauto/Deadline.h"
#include "tools/win32/winauto/TopLevelWindows.h"

namespace kvt::winauto {

namespace {

// Short, so that even a window shown for a moment is seen.
constexpr DWORD kPollMs = 5;

struct WindowSearch {
    DWORD processId;
    std::vector<std::string>* seen;
};

// Windows that the system itself gives every thread with a message queue
// are not windows the program made.
bool IsSystemHelperWindow(const std::string& className) {
    return className == "IME" || className == "MSCTFIME UI";
}

BOOL CALLBACK CollectOwnWindows(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !::IsWindowVisible(window)) return TRUE;
    const std::string className = ClassOf(window);
    if (IsSystemHelperWindow(className)) return TRUE;
    char title[256] = {};
    ::GetWindowTextA(window, title, sizeof title);
    std::string entry = className + " \"" + title + "\"";
    if (std::find(search->seen->begin(), search->seen->end(), entry) == search->seen->end()) {
        search->seen->push_back(std::move(entry));
    }
    return TRUE;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

WatchResult WatchProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
    WatchResult result;
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    const std::string folder = FolderOf(program);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &info)) {
        return result;
    }
    result.started = true;
    const win32::UniqueHandle process(info.hProcess);
    const win32::UniqueHandle thread(info.hThread);

    WindowSearch search{info.dwProcessId, &result.windows};
    const Deadline deadline(timeoutMs);
    for (;;) {
        ::EnumWindows(CollectOwnWindows, reinterpret_cast<LPARAM>(&search));
        if (::WaitForSingleObject(process.get(), kPollMs) == WAIT_OBJECT_0) break;
        if (deadline.passed()) {
            ::TerminateProcess(process.get(), 1);
            ::WaitForSingleObject(process.get(), INFINITE);
            ::GetExitCodeProcess(process.get(), &result.exitCode);
            return result;
        }
    }
    result.ended = true;
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

}  // namespace kvt::winauto
