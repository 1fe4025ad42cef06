#pragma once
// The "NORVEX KVT-580duo Uninstaller" window (template 102) and the worker
// thread behind it. The window turns messages into calls of the
// uninstaller's flow and shows what the flow reports; the flow decides
// everything and ends the process itself.
#include <windows.h>

#include "Installer/KVT580duo_Uninstaller/NVXPOS_UninstallerDlg.h"
#include "Installer/KVT580duo_Uninstaller/win32/Win32UninstallerControls.h"
#include "Installer/setup_common/win32/MainWindowIcon.h"
#include "Installer/setup_common/win32/Win32SetupWindow.h"
#include "platform/win32/Win32Platform.h"

namespace kvt::uninstaller::shell {

class UninstallerWindow {
public:
    UninstallerWindow(HINSTANCE instance, const char* programTitle, setup::SetupCommandLine commandLine);
    UninstallerWindow(const UninstallerWindow&) = delete;
    UninstallerWindow& operator=(const UninstallerWindow&) = delete;

    // Creates the window and runs its message loop until the dialog ends;
    // returns the exit code.
    int run();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // DialogProc's work, run under setup::shell::GuardedProcedure.
    static INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static void ReportFault(HWND dialog, UINT message, const char* what);
    static DWORD WINAPI WorkerProc(LPVOID self);
    static bool FilterMessage(const MSG& message, void* self);

    BOOL onInitDialog(HWND dialog);
    BOOL onTimer(WPARAM timer);
    BOOL onCommand(WPARAM wParam);
    void onUninstall();
    void onRefresh();
    BOOL onPaint();
    BOOL onSetCursor(LPARAM lParam);
    void endDialog();

    HINSTANCE instance_;
    HWND dialog_ = nullptr;
    setup::shell::WindowIcons icons_;
    win32::Win32Platform system_;
    ports::Platform platform_;
    setup::shell::Win32SetupWindow window_;
    Win32UninstallerControls controls_;
    NVXPOS_UninstallerDlg flow_;
};

}  // namespace kvt::uninstaller::shell
