#include "tools/win32/winauto/TopLevelWindows.h"

#include "tools/win32/winauto/Deadline.h"

namespace kvt::winauto {

namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kMessageTimeoutMs = 5000;

struct TitleSearch {
    const std::string* title;
    std::vector<HWND> found;
};

// A top-level window's caption is kept by the system, so reading it needs no
// message to the owning program.
std::string TitleOf(HWND window) {
    char title[512] = {};
    const int length = ::GetWindowTextA(window, title, sizeof title);
    return std::string(title, length > 0 ? static_cast<std::size_t>(length) : 0);
}

BOOL CALLBACK CollectTitled(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    if (TitleOf(window) == *search->title) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
        return {};
    }
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    const int length = ::GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::vector<HWND> WindowsTitled(const std::string& title) {
    TitleSearch search{&title, {}};
    ::EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::string& title, DWORD timeoutMs) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (const std::vector<HWND> found = WindowsTitled(title); !found.empty()) return found.front();
        if (deadline.passed()) return nullptr;
        ::Sleep(kPollMs);
    }
}

bool WaitUntilGone(const std::string& title, DWORD timeoutMs) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (WindowsTitled(title).empty()) return true;
        if (deadline.passed()) return false;
        ::Sleep(kPollMs);
    }
}

}  // namespace kvt::winauto
