#pragma once
// The "Installation Progress" window (template 102) and the worker thread
// behind it. The window turns messages into calls of the installer's flow and
// shows what the flow reports; the flow decides everything and ends the
// process itself.
#include <windows.h>

#include "Installer/KVT580duo_Installer/NVXPOS_InstallerDlg.h"
#include "Installer/KVT580duo_Installer/win32/Win32PortDialog.h"
#include "Installer/setup_common/win32/MainWindowIcon.h"
#include "Installer/setup_common/win32/Win32SetupWindow.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace kvt::installer::shell {

class InstallerWindow {
public:
    InstallerWindow(HINSTANCE instance, const char* programTitle, setup::SetupCommandLine commandLine);
    InstallerWindow(const InstallerWindow&) = delete;
    InstallerWindow& operator=(const InstallerWindow&) = delete;

    // Creates the window, runs its message loop; returns the exit code when
    // the user closes a window that is not busy.
    int run();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // DialogProc's work, run under setup::shell::GuardedProcedure.
    static INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static void ReportFault(HWND dialog, UINT message, const char* what);
    static DWORD WINAPI WorkerProc(LPVOID self);
    static bool FilterMessage(const MSG& message, void* self);

    BOOL onInitDialog(HWND dialog);
    void onRefresh();
    BOOL onPaint();
    BOOL onSetCursor(LPARAM lParam);
    BOOL onCloseRequest();

    HINSTANCE instance_;
    HWND dialog_ = nullptr;
    setup::shell::WindowIcons icons_;
    win32::Win32Platform system_;
    ports::Platform platform_;
    setup::shell::Win32SetupWindow window_;
    Win32PortDialog portDialog_;
    NVXPOS_InstallerDlg flow_;
    win32::UniqueHandle worker_;
};

}  // namespace kvt::installer::shell
