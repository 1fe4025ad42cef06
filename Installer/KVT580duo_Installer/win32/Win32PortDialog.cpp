#include "Installer/KVT580duo_Installer/win32/Win32PortDialog.h"

#include "Installer/KVT580duo_Installer/win32/PortRadioGroup.h"
#include "Installer/KVT580duo_Installer/win32/resource.h"
#include "Installer/setup_common/win32/ProcedureGuard.h"

namespace kvt::installer::shell {

namespace {

// -1 when no button is marked, as the flow expects of an empty group.
int MarkedIndex(HWND dialog) {
    for (std::size_t index = 0; index < kPortRadioIds.size(); ++index) {
        if (::IsDlgButtonChecked(dialog, kPortRadioIds[index]) == BST_CHECKED) return static_cast<int>(index);
    }
    return -1;
}

void MarkIndex(HWND dialog, int selection) {
    for (std::size_t index = 0; index < kPortRadioIds.size(); ++index) {
        const bool marked = static_cast<int>(index) == selection;
        ::CheckDlgButton(dialog, kPortRadioIds[index], marked ? BST_CHECKED : BST_UNCHECKED);
    }
}

int* SelectionOf(HWND dialog) { return reinterpret_cast<int*>(::GetWindowLongPtrA(dialog, DWLP_USER)); }

INT_PTR HandlePortMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            MarkIndex(dialog, *reinterpret_cast<int*>(lParam));
            return TRUE;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            int* selection = SelectionOf(dialog);
            if (selection == nullptr) return FALSE;
            if (const int index = PortIndexOfControl(id); index >= 0 && HIWORD(wParam) == BN_CLICKED) {
                *selection = index;
                return TRUE;
            }
            if (id == IDOK || id == IDCANCEL) {
                *selection = MarkedIndex(dialog);
                ::EndDialog(dialog, id);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CLOSE:
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// The dialog has no log of its own: an exception only answers "not handled".
INT_PTR CALLBACK PortDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return setup::shell::GuardedProcedure<INT_PTR>(
        FALSE, [&] { return HandlePortMessage(dialog, message, wParam, lParam); }, [](const char*) {});
}

}  // namespace

ports::PortDialogResult Win32PortDialog::showModal(int preselection) {
    int selection = preselection;
    const INT_PTR result = ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_PORT_TYPE), owner_, PortDialogProc,
                                             reinterpret_cast<LPARAM>(&selection));
    return ports::PortDialogResult{result == IDOK, selection};
}

int Win32PortDialog::hiddenSelection(int preselection) {
    int selection = preselection;
    const HWND dialog = ::CreateDialogParamA(instance_, MAKEINTRESOURCEA(IDD_PORT_TYPE), owner_, PortDialogProc,
                                             reinterpret_cast<LPARAM>(&selection));
    if (dialog == nullptr) return preselection;
    ::ShowWindow(dialog, SW_HIDE);
    selection = MarkedIndex(dialog);
    ::DestroyWindow(dialog);
    return selection;
}

}  // namespace kvt::installer::shell
