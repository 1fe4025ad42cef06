#include "Installer/KVT580duo_Uninstaller/win32/Win32UninstallerControls.h"

#include <string>

#include "Installer/KVT580duo_Uninstaller/win32/CheckListBox.h"
#include "Installer/KVT580duo_Uninstaller/win32/resource.h"

namespace kvt::uninstaller::shell {

HWND Win32UninstallerControls::list() const { return ::GetDlgItem(dialog_, IDC_PRINTER_LIST); }

LRESULT Win32UninstallerControls::sendToList(UINT message, WPARAM wParam, LPARAM lParam) const {
    const HWND control = list();
    return control != nullptr ? ::SendMessageA(control, message, wParam, lParam) : LB_ERR;
}

void Win32UninstallerControls::resetCheckList() { sendToList(LB_RESETCONTENT, 0, 0); }

int Win32UninstallerControls::addCheckListItem(std::string_view text) {
    const std::string terminated(text);
    const LRESULT index = sendToList(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
    if (index < 0) return -1;  // LB_ERR or LB_ERRSPACE
    sendToList(LB_SETITEMDATA, static_cast<WPARAM>(index), 0);
    return static_cast<int>(index);
}

int Win32UninstallerControls::checkListCount() {
    const LRESULT count = sendToList(LB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<int>(count);
}

std::string Win32UninstallerControls::checkListText(int index) {
    const LRESULT length = sendToList(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = sendToList(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
    return text;
}

bool Win32UninstallerControls::isChecked(int index) {
    const HWND control = list();
    return control != nullptr && IsItemChecked(control, index);
}

void Win32UninstallerControls::setChecked(int index, bool checked) {
    if (const HWND control = list()) SetItemChecked(control, index, checked);
}

void Win32UninstallerControls::enableButton(ports::UninstallerButton button, bool enabled) {
    const int id = button == ports::UninstallerButton::Uninstall ? IDC_UNINSTALL : IDCANCEL;
    if (const HWND control = ::GetDlgItem(dialog_, id)) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void Win32UninstallerControls::beginUninstallThread() {
    // One worker per run: the flow starts it once, and the window refuses a
    // second start while the flow is busy.
    if (thread_) return;
    DWORD threadId = 0;
    thread_.reset(::CreateThread(nullptr, 0, worker_, context_, 0, &threadId));
}

void Win32UninstallerControls::endDialog(ports::DialogResult result) {
    // The worker may end the dialog too; the window thread destroys it.
    ::PostMessageA(dialog_, kEndDialogMessage, result == ports::DialogResult::Ok ? IDOK : IDCANCEL, 0);
}

}  // namespace kvt::uninstaller::shell
