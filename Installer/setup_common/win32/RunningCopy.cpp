#include "Installer/setup_common/win32/RunningCopy.h"

#include <string>

namespace kvt::setup::shell {

LONG CountThisStart(volatile LONG& sharedCount) { return ::InterlockedIncrement(&sharedCount); }

HWND FindRunningCopyWindow(std::span<const std::string_view> titles) {
    for (const std::string_view title : titles) {
        const std::string terminated(title);
        if (const HWND window = ::FindWindowA(nullptr, terminated.c_str()); window != nullptr) return window;
    }
    return nullptr;
}

void BringWindowForward(HWND window) {
    if (window == nullptr) return;
    const HWND popup = ::GetLastActivePopup(window);
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(popup != nullptr ? popup : window);
}

}  // namespace kvt::setup::shell
