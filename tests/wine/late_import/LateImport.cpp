// Not shipped: the self-test of check_pe_imports.sh. The program imports
// SetWindowSubclass (comctl32 version 6, Windows XP) and GetTickCount64
// (Windows Vista), so the check must refuse it as an i686 file that has to
// start on Windows 2000 and as an x86_64 file that has to start on XP x64.
#include <windows.h>
#include <commctrl.h>

namespace {

LRESULT CALLBACK PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

int main() {
    // No window: the call fails, and only the import matters.
    if (!::SetWindowSubclass(nullptr, PassOn, 1, 0)) return static_cast<int>(::GetTickCount64() % 2);
    return 0;
}
