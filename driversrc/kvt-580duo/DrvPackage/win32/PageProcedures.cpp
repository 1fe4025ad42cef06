#include "driversrc/kvt-580duo/DrvPackage/win32/PageProcedures.h"

#include <commctrl.h>
#include <prsht.h>

#include <memory>
#include <type_traits>

#include "driversrc/kvt-580duo/DrvPackage/DocumentSettingsPage.h"
#include "driversrc/kvt-580duo/DrvPackage/HostBoundary.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "driversrc/kvt-580duo/DrvPackage/PaperPage.h"
#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"
#include "driversrc/kvt-580duo/DrvPackage/VersionPage.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/PageRegistration.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/PluginSpoolerInstance.h"
#include "platform/win32/Win32AnsiCodePage.h"
#include "platform/win32/Win32DialogControls.h"

namespace kvt::oemui {
namespace {

// The page state a page was created with, from its dialog's user data; null
// before WM_INITDIALOG has bound it.
plugin::PageState* BoundState(HWND page) {
    return reinterpret_cast<plugin::PageState*>(::GetWindowLongPtrW(page, DWLP_USER));
}

INT_PTR CALLBACK UserPaperSizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the paper-size dialog over the page that asked for it; the dialog
// reaches the same page state through its creation parameter.
void RunModal(HWND owner, std::uint16_t dialogId) {
    ::DialogBoxParamW(ModuleHandle(), MAKEINTRESOURCEW(dialogId), owner, UserPaperSizeProc,
                      reinterpret_cast<LPARAM>(BoundState(owner)));
}

// The objects a model works through for one message. The models keep no
// state, so nothing outlives the message.
struct Shell {
    explicit Shell(HWND dialog) : controls(dialog, RunModal) {}
    win32::Win32DialogControls controls;
    win32::Win32AnsiCodePage codePage;
};

template <class Model>
std::unique_ptr<ports::DialogModel> MakeModel(Shell& shell, plugin::PageState& state) {
    if constexpr (std::is_same_v<Model, plugin::VersionPage>) {
        return std::make_unique<Model>(shell.controls, PluginSpooler(), state);
    } else {
        return std::make_unique<Model>(shell.controls, PluginSpooler(), shell.codePage, state);
    }
}

// WM_VSCROLL from a scroll bar names it by its handle.
int ScrollBarId(LPARAM lParam) {
    const auto bar = reinterpret_cast<HWND>(lParam);
    return bar != nullptr ? ::GetDlgCtrlID(bar) : 0;
}

// Translates the messages that carry behaviour into calls of the page's
// model; everything else is the dialog manager's.
template <class Model>
INT_PTR PageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* created = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        ::SetWindowLongPtrW(page, DWLP_USER, created ? created->lParam : 0);
    }
    plugin::PageState* state = BoundState(page);
    if (state == nullptr) return FALSE;
    Shell shell(page);
    const std::unique_ptr<ports::DialogModel> model = MakeModel<Model>(shell, *state);
    switch (message) {
        case WM_INITDIALOG:
            return model->onInit() ? TRUE : FALSE;
        case WM_COMMAND:
            return model->onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_VSCROLL:
            return model->onScroll(ScrollBarId(lParam), LOWORD(wParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
            // The version page saves nothing; the others answer every
            // notification with PSNRET_NOERROR, except an apply whose writes
            // the spooler refused: the sheet then stays open on the page.
            if constexpr (std::is_same_v<Model, plugin::VersionPage>) return FALSE;
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            const bool applied =
                header == nullptr || header->code != static_cast<UINT>(PSN_APPLY) || model->onApply();
            ::SetWindowLongPtrW(page, DWLP_MSGRESULT, applied ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
            return TRUE;
        }
        case WM_CLOSE:
            return model->onClose() ? TRUE : FALSE;
        case WM_PAINT:
            // The version page draws nothing of its own (its picture frames
            // stay hidden): the plain window painting answers for it.
            if constexpr (!std::is_same_v<Model, plugin::VersionPage>) return FALSE;
            ::DefWindowProcW(page, message, wParam, lParam);
            return TRUE;
        default:
            return FALSE;
    }
}

// The procedures themselves: a message whose handling throws counts as not
// handled, and the exception goes no further.
template <class Model>
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return plugin::GuardedOr<INT_PTR>(FALSE, [&] { return PageMessage<Model>(page, message, wParam, lParam); });
}

INT_PTR UserPaperSizeMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    plugin::PageState* state = BoundState(dialog);
    if (state == nullptr) return FALSE;
    Shell shell(dialog);
    plugin::UserPaperSizeDialog model(shell.controls, PluginSpooler(), shell.codePage, *state);
    switch (message) {
        case WM_INITDIALOG:
            return model.onInit() ? TRUE : FALSE;
        case WM_COMMAND:
            return model.onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_VSCROLL:
            return model.onScroll(ScrollBarId(lParam), LOWORD(wParam)) ? TRUE : FALSE;
        case WM_SYSCOMMAND:
            // The low four bits of the request are the system's own.
            if ((wParam & 0xFFF0) != SC_CLOSE) return FALSE;
            model.onWindowMenuClose();
            return TRUE;
        case WM_CLOSE:
            return model.onClose() ? TRUE : FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK UserPaperSizeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return plugin::GuardedOr<INT_PTR>(FALSE, [&] { return UserPaperSizeMessage(dialog, message, wParam, lParam); });
}

}  // namespace

DLGPROC PageProcedure(std::uint16_t dialogId) {
    switch (dialogId) {
        case IDD_PAPER:
            return PageProc<plugin::PaperPage>;
        case IDD_DOCUMENT_SETTINGS:
            return PageProc<plugin::DocumentSettingsPage>;
        case IDD_VERSION:
            return PageProc<plugin::VersionPage>;
        default:
            return nullptr;
    }
}

}  // namespace kvt::oemui
