#include "platform/win32/Win32DialogControls.h"

#include <prsht.h>

#include <string>

namespace kvt::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Terminated(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The CB_ or LB_ message of a list operation, as the control is.
struct ListMessages {
    UINT reset, add, count, getSelection, setSelection, textLength, text;
    LRESULT error;
};
constexpr ListMessages kCombo{CB_RESETCONTENT, CB_ADDSTRING,   CB_GETCOUNT, CB_GETCURSEL,
                              CB_SETCURSEL,    CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_ERR};
constexpr ListMessages kList{LB_RESETCONTENT, LB_ADDSTRING, LB_GETCOUNT, LB_GETCURSEL,
                             LB_SETCURSEL,    LB_GETTEXTLEN, LB_GETTEXT,  LB_ERR};

const ListMessages* MessagesOf(HWND control) {
    if (control == nullptr) return nullptr;
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    if (::lstrcmpiW(name, L"ComboBox") == 0) return &kCombo;
    if (::lstrcmpiW(name, L"ListBox") == 0) return &kList;
    return nullptr;
}

UINT IconFlags(ports::MessageIcon icon) {
    switch (icon) {
        case ports::MessageIcon::Information: return MB_ICONINFORMATION;
        case ports::MessageIcon::Question: return MB_ICONQUESTION;
        case ports::MessageIcon::Warning: return MB_ICONWARNING;
        case ports::MessageIcon::Error: return MB_ICONERROR;
        case ports::MessageIcon::None: break;
    }
    return 0;
}

ports::MessageAnswer AnswerOf(int result) {
    switch (result) {
        case IDYES: return ports::MessageAnswer::Yes;
        case IDNO: return ports::MessageAnswer::No;
        case IDCANCEL: return ports::MessageAnswer::Cancel;
        default: return ports::MessageAnswer::Ok;
    }
}

}  // namespace

std::u16string Win32DialogControls::text(int id) {
    HWND control = ::GetDlgItem(dialog_, id);
    if (control == nullptr) return {};
    const int length = ::GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, buffer.data(), length + 1);
    return std::u16string(buffer.begin(), buffer.begin() + (copied > 0 ? copied : 0));
}

void Win32DialogControls::setText(int id, std::u16string_view text) {
    const std::wstring terminated = Terminated(text);
    ::SetDlgItemTextW(dialog_, id, terminated.c_str());
}

void Win32DialogControls::limitText(int id, std::size_t characters) {
    ::SendDlgItemMessageW(dialog_, id, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

bool Win32DialogControls::checked(int id) { return ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void Win32DialogControls::setChecked(int id, bool checked) {
    ::CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogControls::enable(int id, bool enabled) {
    if (HWND control = ::GetDlgItem(dialog_, id)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void Win32DialogControls::resetList(int id) {
    HWND control = ::GetDlgItem(dialog_, id);
    if (const ListMessages* list = MessagesOf(control)) ::SendMessageW(control, list->reset, 0, 0);
}

void Win32DialogControls::addListItem(int id, std::u16string_view text) {
    HWND control = ::GetDlgItem(dialog_, id);
    const ListMessages* list = MessagesOf(control);
    if (list == nullptr) return;
    const std::wstring terminated = Terminated(text);
    ::SendMessageW(control, list->add, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

int Win32DialogControls::listCount(int id) {
    HWND control = ::GetDlgItem(dialog_, id);
    const ListMessages* list = MessagesOf(control);
    if (list == nullptr) return 0;
    const LRESULT count = ::SendMessageW(control, list->count, 0, 0);
    return count == list->error ? 0 : static_cast<int>(count);
}

int Win32DialogControls::listSelection(int id) {
    HWND control = ::GetDlgItem(dialog_, id);
    const ListMessages* list = MessagesOf(control);
    if (list == nullptr) return -1;
    const LRESULT selected = ::SendMessageW(control, list->getSelection, 0, 0);
    return selected == list->error ? -1 : static_cast<int>(selected);
}

void Win32DialogControls::selectListItem(int id, int index) {
    HWND control = ::GetDlgItem(dialog_, id);
    if (const ListMessages* list = MessagesOf(control))
        ::SendMessageW(control, list->setSelection, static_cast<WPARAM>(index), 0);
}

std::optional<std::u16string> Win32DialogControls::listItemText(int id, int index) {
    HWND control = ::GetDlgItem(dialog_, id);
    const ListMessages* list = MessagesOf(control);
    if (list == nullptr || index < 0) return std::nullopt;
    const LRESULT length = ::SendMessageW(control, list->textLength, static_cast<WPARAM>(index), 0);
    if (length == list->error || length < 0) return std::nullopt;
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(control, list->text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied == list->error || copied < 0) return std::nullopt;
    return std::u16string(buffer.begin(), buffer.begin() + std::min<LRESULT>(copied, length));
}

void Win32DialogControls::setScrollRange(int id, int minimum, int maximum, bool redraw) {
    if (HWND control = ::GetDlgItem(dialog_, id)) ::SetScrollRange(control, SB_CTL, minimum, maximum, redraw);
}

void Win32DialogControls::setScrollPosition(int id, int position, bool redraw) {
    if (HWND control = ::GetDlgItem(dialog_, id)) ::SetScrollPos(control, SB_CTL, position, redraw);
}

void Win32DialogControls::markChanged() {
    ::SendMessageW(::GetParent(dialog_), PSM_CHANGED, reinterpret_cast<WPARAM>(dialog_), 0);
}

ports::MessageAnswer Win32DialogControls::messageBox(std::u16string_view text, std::u16string_view caption,
                                                     ports::MessageIcon icon, ports::MessageButtons buttons) {
    const std::wstring body = Terminated(text), title = Terminated(caption);
    const UINT style = (buttons == ports::MessageButtons::YesNo ? MB_YESNO : MB_OK) | IconFlags(icon);
    return AnswerOf(::MessageBoxW(dialog_, body.c_str(), title.c_str(), style));
}

void Win32DialogControls::runModalDialog(std::uint16_t dialogId) {
    if (runModal_ != nullptr) runModal_(dialog_, dialogId);
}

void Win32DialogControls::endDialog(std::intptr_t result) { ::EndDialog(dialog_, result); }

}  // namespace kvt::win32
