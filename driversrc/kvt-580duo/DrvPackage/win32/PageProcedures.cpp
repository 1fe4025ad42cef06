#include "driversrc/kvt-580duo/DrvPackage/win32/PageProcedures.h"

#include <prsht.h>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"

namespace kvt::oemui {
namespace {

// The page state a page was created with, from its dialog's user data; null
// before WM_INITDIALOG has bound it.
plugin::PageState* BoundState(HWND page) {
    return reinterpret_cast<plugin::PageState*>(::GetWindowLongPtrW(page, DWLP_USER));
}

// The templates carry no controls yet: a page binds the shared page state,
// as every page does first, and keeps the sheet from closing on WM_CLOSE.
INT_PTR CALLBACK TemplatePageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* created = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
            ::SetWindowLongPtrW(page, DWLP_USER, created ? created->lParam : 0);
            return TRUE;
        }
        case WM_CLOSE:
            return BoundState(page) != nullptr ? TRUE : FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

DLGPROC PageProcedure(std::uint16_t) { return TemplatePageProc; }

}  // namespace kvt::oemui
