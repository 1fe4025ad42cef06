#include "Installer/KVT580duo_Installer/win32/InstallerWindow.h"

#include <string>

#include "Installer/KVT580duo_Installer/win32/resource.h"
#include "Installer/setup_common/win32/MainWindowIcon.h"
#include "Installer/setup_common/win32/MessageFilterDecision.h"
#include "Installer/setup_common/win32/ProcedureGuard.h"
#include "Installer/setup_common/win32/SetupDialogLoop.h"
#include "Installer/setup_common/win32/SetupMessageFilter.h"

namespace kvt::installer::shell {

InstallerWindow::InstallerWindow(HINSTANCE instance, const char* programTitle,
                                  setup::SetupCommandLine commandLine)
    : instance_(instance),
      platform_(system_.platform()),
      window_(programTitle, IDC_PROGRESS),
      portDialog_(instance),
      flow_(platform_, window_, portDialog_, std::move(commandLine)) {}

int InstallerWindow::run() {
    dialog_ = ::CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_KVT580DUO_INSTALLER_DIALOG), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (dialog_ == nullptr) return 0;
    // A quiet run works in the hidden window: nobody sees it.
    if (!flow_.commandLine().quiet) ::ShowWindow(dialog_, SW_SHOWNORMAL);
    return setup::shell::RunSetupDialogLoop(dialog_, FilterMessage, this);
}

bool InstallerWindow::FilterMessage(const MSG& message, void* self) {
    auto* window = static_cast<InstallerWindow*>(self);
    return setup::shell::PreTranslateSetupMessage(window->dialog_, message, window->flow_.busy(),
                                                  window->flow_.removing());
}

DWORD WINAPI InstallerWindow::WorkerProc(LPVOID self) {
    return static_cast<DWORD>(static_cast<InstallerWindow*>(self)->flow_.InstallThreadProc());
}

INT_PTR CALLBACK InstallerWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return setup::shell::GuardedProcedure<INT_PTR>(
        FALSE, [&] { return HandleMessage(dialog, message, wParam, lParam); },
        [&](const char* what) { ReportFault(dialog, message, what); });
}

void InstallerWindow::ReportFault(HWND dialog, UINT message, const char* what) {
    auto* window = reinterpret_cast<InstallerWindow*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (window == nullptr) return;
    window->flow_.log().WriteLog("Exception in the window procedure (message %u): %s", message, what);
}

INT_PTR InstallerWindow::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return reinterpret_cast<InstallerWindow*>(lParam)->onInitDialog(dialog);
    }
    auto* window = reinterpret_cast<InstallerWindow*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (window == nullptr) return FALSE;
    switch (message) {
        case setup::shell::kRefreshMessage:
            window->onRefresh();
            ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_PAINT:
            return window->onPaint();
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(window->icons_.large);
        case WM_SETCURSOR:
            return window->onSetCursor(lParam);
        case WM_COMMAND:
            // Enter and Escape arrive as IDOK and IDCANCEL, the close box and
            // Alt+F4 as IDCANCEL.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return window->onCloseRequest();
            return FALSE;
        default:
            return FALSE;
    }
}

BOOL InstallerWindow::onInitDialog(HWND dialog) {
    dialog_ = dialog;
    window_.attach(dialog);
    portDialog_.setOwner(dialog);

    icons_ = setup::shell::SetMainWindowIcons(instance_, dialog, IDR_MAINFRAME);

    flow_.OnInitDialog();

    DWORD threadId = 0;
    worker_.reset(::CreateThread(nullptr, 0, WorkerProc, this, 0, &threadId));
    if (!worker_) {
        // Without its worker the program could only sit there; say why and end.
        window_.messageBox("The installation could not be started.", ports::MessageIcon::Error,
                           ports::MessageButtons::Ok);
        platform_.exit.exitProcess(0);
    }
    return TRUE;
}

void InstallerWindow::onRefresh() {
    const std::string step = window_.stepText();
    ::SetDlgItemTextA(dialog_, IDC_MESSAGES, step.c_str());
    ::SetDlgItemTextA(dialog_, IDC_DRIVER_VERSION, flow_.versionText().c_str());
}

BOOL InstallerWindow::onPaint() { return setup::shell::PaintMinimisedIcon(dialog_, icons_.large); }

BOOL InstallerWindow::onSetCursor(LPARAM lParam) {
    const int busy = flow_.busy();
    const int removing = flow_.removing();
    if (LOWORD(lParam) != HTCLIENT || setup::shell::MayCloseWindow(busy, removing)) return FALSE;
    setup::shell::SetSetupCursor(busy, removing);
    ::SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

BOOL InstallerWindow::onCloseRequest() {
    if (setup::shell::MayCloseWindow(flow_.busy(), flow_.removing())) {
        ::DestroyWindow(dialog_);
        ::PostQuitMessage(0);
    }
    return TRUE;
}

}  // namespace kvt::installer::shell
