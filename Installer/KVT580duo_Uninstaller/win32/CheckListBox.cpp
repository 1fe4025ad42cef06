#include "Installer/KVT580duo_Uninstaller/win32/CheckListBox.h"

#include <windowsx.h>

#include <string>

#include "Installer/setup_common/win32/ProcedureGuard.h"

namespace kvt::uninstaller::shell {

namespace {

// The list box's own window procedure, kept on the window while the check
// list replaces it. Subclassing through GWLP_WNDPROC works on every release;
// comctl32's SetWindowSubclass is exported by name only from version 6 (XP)
// and would keep the program from starting on Windows 2000.
constexpr char kOriginalProcProperty[] = "KVT580duo.CheckList.Proc";
constexpr int kBoxMargin = 2;

int BoxSize() { return ::GetSystemMetrics(SM_CYMENUCHECK); }

// The item's box: a square at the left edge of its row.
RECT BoxRect(const RECT& row) {
    const int size = BoxSize();
    const int top = row.top + (row.bottom - row.top - size) / 2;
    return RECT{row.left + kBoxMargin, top, row.left + kBoxMargin + size, top + size};
}

void RedrawItem(HWND list, int index) {
    RECT row{};
    if (::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)) != LB_ERR)
        ::InvalidateRect(list, &row, TRUE);
}

void Toggle(HWND list, int index) {
    SetItemChecked(list, index, !IsItemChecked(list, index));
    const HWND parent = ::GetParent(list);
    const int id = ::GetDlgCtrlID(list);
    ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, kCheckChangeNotification), reinterpret_cast<LPARAM>(list));
}

// The item under a click on its box, or -1.
int ItemOfBoxAt(HWND list, POINT point) {
    const LRESULT hit = ::SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(hit) != 0) return -1;  // below the last item
    const int index = LOWORD(hit);
    RECT row{};
    if (::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)) == LB_ERR)
        return -1;
    RECT box = BoxRect(row);
    box.right += kBoxMargin;  // a click just beside the box still counts
    return ::PtInRect(&box, point) ? index : -1;
}

WNDPROC OriginalProc(HWND list) {
    return reinterpret_cast<WNDPROC>(reinterpret_cast<LONG_PTR>(::GetPropA(list, kOriginalProcProperty)));
}

LRESULT HandleCheckListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC original = OriginalProc(list);
    if (original == nullptr) return ::DefWindowProcA(list, message, wParam, lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const LRESULT result = ::CallWindowProcA(original, list, message, wParam, lParam);
            const int index = ItemOfBoxAt(list, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (index >= 0 && ::IsWindowEnabled(list)) Toggle(list, index);
            return result;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                const int index = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
                if (index >= 0) Toggle(list, index);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            // The last message: the list box gets its procedure back and
            // cleans up after itself.
            ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            ::RemovePropA(list, kOriginalProcProperty);
            break;
        default:
            break;
    }
    return ::CallWindowProcA(original, list, message, wParam, lParam);
}

// The list has no log at hand: an exception only answers 0.
LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    return setup::shell::GuardedProcedure<LRESULT>(
        0, [&] { return HandleCheckListMessage(list, message, wParam, lParam); }, [](const char*) {});
}

}  // namespace

void AttachCheckList(HWND list) {
    if (list == nullptr || OriginalProc(list) != nullptr) return;
    const auto original = ::GetWindowLongPtrA(list, GWLP_WNDPROC);
    if (original == 0 || !::SetPropA(list, kOriginalProcProperty, reinterpret_cast<HANDLE>(original))) return;
    ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CheckListProc));
}

void MeasureCheckListItem(HWND parent, MEASUREITEMSTRUCT& item) {
    // Sent while the dialog creates the list, before its initialisation: the
    // dialog's font is set by then.
    int textHeight = 13;
    if (const HDC dc = ::GetDC(parent)) {
        const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(parent, WM_GETFONT, 0, 0));
        const HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
        TEXTMETRICA metrics{};
        if (::GetTextMetricsA(dc, &metrics)) textHeight = metrics.tmHeight;
        if (old != nullptr) ::SelectObject(dc, old);
        ::ReleaseDC(parent, dc);
    }
    const int boxHeight = BoxSize() + 2;
    item.itemHeight = static_cast<UINT>(textHeight > boxHeight ? textHeight + 2 : boxHeight);
}

void DrawCheckListItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;  // an empty list with the focus
    const HWND list = item.hwndItem;
    const int index = static_cast<int>(item.itemID);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = ::IsWindowEnabled(list) != FALSE;

    RECT box = BoxRect(item.rcItem);
    RECT textArea = item.rcItem;
    textArea.left = box.right + kBoxMargin * 2;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    ::FillRect(item.hDC, &textArea, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (IsItemChecked(list, index)) state |= DFCS_CHECKED;
    if (!enabled) state |= DFCS_INACTIVE;
    ::DrawFrameControl(item.hDC, &box, DFC_BUTTON, state);

    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, item.itemID, 0);
    if (length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        ::SendMessageA(list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        ::SetBkMode(item.hDC, TRANSPARENT);
        ::SetTextColor(item.hDC, ::GetSysColor(!enabled ? COLOR_GRAYTEXT
                                                        : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        textArea.left += kBoxMargin;
        ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textArea,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(item.hDC, &textArea);
}

bool IsItemChecked(HWND list, int index) {
    return ::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0) == 1;
}

void SetItemChecked(HWND list, int index, bool checked) {
    if (::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? 1 : 0) != LB_ERR)
        RedrawItem(list, index);
}

}  // namespace kvt::uninstaller::shell
