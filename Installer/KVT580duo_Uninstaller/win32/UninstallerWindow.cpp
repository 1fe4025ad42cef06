#include "Installer/KVT580duo_Uninstaller/win32/UninstallerWindow.h"

#include <string>

#include "Installer/KVT580duo_Uninstaller/win32/CheckListBox.h"
#include "Installer/KVT580duo_Uninstaller/win32/resource.h"
#include "Installer/setup_common/win32/MainWindowIcon.h"
#include "Installer/setup_common/win32/MessageFilterDecision.h"
#include "Installer/setup_common/win32/ProcedureGuard.h"
#include "Installer/setup_common/win32/SetupDialogLoop.h"
#include "Installer/setup_common/win32/SetupMessageFilter.h"

namespace kvt::uninstaller::shell {

namespace {

// Runs PrepareUninstall once the window shows.
constexpr UINT_PTR kPrepareTimer = 1;
constexpr UINT kPrepareDelayMs = 1;
// The uninstaller has no installer-style removal phase of its own: busy is
// the only state that locks the window.
constexpr int kNotRemoving = 0;

}  // namespace

UninstallerWindow::UninstallerWindow(HINSTANCE instance, const char* programTitle,
                                      setup::SetupCommandLine commandLine)
    : instance_(instance),
      platform_(system_.platform()),
      window_(programTitle, IDC_PROGRESS),
      controls_(WorkerProc, this),
      flow_(platform_, window_, controls_, std::move(commandLine)) {}

int UninstallerWindow::run() {
    dialog_ = ::CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_KVT580DUO_UNINSTALLER_DIALOG), nullptr,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog_ == nullptr) return 0;
    // A quiet run works in the hidden window: nobody sees it.
    if (!flow_.commandLine().quiet) ::ShowWindow(dialog_, SW_SHOWNORMAL);
    return setup::shell::RunSetupDialogLoop(dialog_, FilterMessage, this);
}

bool UninstallerWindow::FilterMessage(const MSG& message, void* self) {
    auto* window = static_cast<UninstallerWindow*>(self);
    const HWND list = window->dialog_ != nullptr ? ::GetDlgItem(window->dialog_, IDC_PRINTER_LIST) : nullptr;
    const bool toCheckList = list != nullptr && message.hwnd == list;
    return setup::shell::ApplySetupMessageDecision(
        window->dialog_, window->flow_.PreTranslateMessage(message.message, message.wParam, toCheckList));
}

DWORD WINAPI UninstallerWindow::WorkerProc(LPVOID self) {
    return static_cast<DWORD>(static_cast<UninstallerWindow*>(self)->flow_.UninstallThreadProc());
}

INT_PTR CALLBACK UninstallerWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return setup::shell::GuardedProcedure<INT_PTR>(
        FALSE, [&] { return HandleMessage(dialog, message, wParam, lParam); },
        [&](const char* what) { ReportFault(dialog, message, what); });
}

void UninstallerWindow::ReportFault(HWND dialog, UINT message, const char* what) {
    auto* window = reinterpret_cast<UninstallerWindow*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (window == nullptr) return;
    window->flow_.log().WriteLog("Exception in the window procedure (message %u): %s", message, what);
}

INT_PTR UninstallerWindow::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return reinterpret_cast<UninstallerWindow*>(lParam)->onInitDialog(dialog);
    }
    if (message == WM_MEASUREITEM && wParam == IDC_PRINTER_LIST) {
        // Comes while the list is created, before WM_INITDIALOG.
        MeasureCheckListItem(dialog, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    }
    auto* window = reinterpret_cast<UninstallerWindow*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (window == nullptr) return FALSE;
    switch (message) {
        case WM_TIMER:
            return window->onTimer(wParam);
        case WM_COMMAND:
            return window->onCommand(wParam);
        case WM_DRAWITEM:
            if (wParam != IDC_PRINTER_LIST) return FALSE;
            DrawCheckListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case setup::shell::kRefreshMessage:
            window->onRefresh();
            ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case kEndDialogMessage:
            window->endDialog();
            return TRUE;
        case WM_PAINT:
            return window->onPaint();
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(window->icons_.large);
        case WM_SETCURSOR:
            return window->onSetCursor(lParam);
        default:
            return FALSE;
    }
}

BOOL UninstallerWindow::onInitDialog(HWND dialog) {
    dialog_ = dialog;
    window_.attach(dialog);
    controls_.attach(dialog);
    AttachCheckList(::GetDlgItem(dialog, IDC_PRINTER_LIST));

    icons_ = setup::shell::SetMainWindowIcons(instance_, dialog, IDR_MAINFRAME);

    flow_.OnInitDialog();
    ::SetTimer(dialog, kPrepareTimer, kPrepareDelayMs, nullptr);
    return TRUE;
}

BOOL UninstallerWindow::onTimer(WPARAM timer) {
    if (timer != kPrepareTimer) return FALSE;
    ::KillTimer(dialog_, kPrepareTimer);
    flow_.PrepareUninstall();
    if (flow_.busy() != 0 && !controls_.workerStarted()) onUninstall();  // started by itself, but without a worker
    return FALSE;
}

BOOL UninstallerWindow::onCommand(WPARAM wParam) {
    const WORD id = LOWORD(wParam);
    const WORD notification = HIWORD(wParam);
    if (id == IDC_PRINTER_LIST && notification == kCheckChangeNotification) {
        flow_.UpdateUninstallButton();
        return TRUE;
    }
    if (id == IDC_UNINSTALL && notification == BN_CLICKED) {
        // Enter reaches here too, even while the button is disabled.
        const HWND button = ::GetDlgItem(dialog_, IDC_UNINSTALL);
        if (flow_.MayStartRemoval() && button != nullptr && ::IsWindowEnabled(button)) onUninstall();
        return TRUE;
    }
    if (id == IDCANCEL) {
        // The Cancel button, Escape while idle and the close box.
        if (setup::shell::MayCloseWindow(flow_.busy(), kNotRemoving)) flow_.OnCancel();
        return TRUE;
    }
    return FALSE;
}

void UninstallerWindow::onUninstall() {
    if (!controls_.workerStarted()) flow_.StartUninstall();
    if (controls_.workerStarted()) return;
    // Without its worker the program could only sit there; say why and end.
    window_.messageBox("The uninstallation could not be started.", ports::MessageIcon::Error,
                       ports::MessageButtons::Ok);
    platform_.exit.exitProcess(0);
}

void UninstallerWindow::onRefresh() {
    const std::string step = window_.stepText();
    ::SetDlgItemTextA(dialog_, IDC_STEP_TEXT, step.c_str());
}

BOOL UninstallerWindow::onPaint() { return setup::shell::PaintMinimisedIcon(dialog_, icons_.large); }

BOOL UninstallerWindow::onSetCursor(LPARAM lParam) {
    const int busy = flow_.busy();
    if (LOWORD(lParam) != HTCLIENT || setup::shell::MayCloseWindow(busy, kNotRemoving)) return FALSE;
    setup::shell::SetSetupCursor(busy, kNotRemoving);
    ::SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

void UninstallerWindow::endDialog() {
    ::DestroyWindow(dialog_);
    ::PostQuitMessage(static_cast<int>(flow_.ExitCode()));
}

}  // namespace kvt::uninstaller::shell
