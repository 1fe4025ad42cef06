#include "Installer/setup_common/win32/Win32SetupWindow.h"

#include <commctrl.h>

#include <mutex>
#include <string_view>
#include <utility>

#include "Installer/setup_common/SetupProgram.h"
#include "Installer/setup_common/win32/MessageBoxStyle.h"

namespace kvt::setup::shell {

static_assert(mb::Ok == MB_OK && mb::YesNo == MB_YESNO);
static_assert(mb::IconError == MB_ICONERROR && mb::IconQuestion == MB_ICONQUESTION);
static_assert(mb::IconWarning == MB_ICONWARNING && mb::IconInformation == MB_ICONINFORMATION);
static_assert(boxid::Ok == IDOK && boxid::Cancel == IDCANCEL && boxid::Yes == IDYES && boxid::No == IDNO);

std::string ProgramFileTitle(const char* shipped) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
    // 0 on failure; the whole buffer when the path was cut short.
    if (length == 0 || length > MAX_PATH) return shipped;
    const std::string_view title = ProgramTitleOf(std::string_view(path, length));
    return title.empty() ? std::string(shipped) : std::string(title);
}

Win32SetupWindow::Win32SetupWindow(std::string title, int progressId)
    : title_(std::move(title)), progressId_(progressId) {}

LRESULT Win32SetupWindow::sendToBar(UINT message, WPARAM wParam, LPARAM lParam) const {
    const HWND bar = ::GetDlgItem(dialog_, progressId_);
    return bar != nullptr ? ::SendMessageA(bar, message, wParam, lParam) : 0;
}

void Win32SetupWindow::setProgressRange(int minimum, int maximum) {
    sendToBar(PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
}

void Win32SetupWindow::setProgressStep(int step) { sendToBar(PBM_SETSTEP, static_cast<WPARAM>(step), 0); }

void Win32SetupWindow::setStepText(std::string_view text) {
    std::lock_guard guard(lock_);
    stepText_.assign(text);
}

std::string Win32SetupWindow::stepText() {
    std::lock_guard guard(lock_);
    return stepText_;
}

void Win32SetupWindow::stepProgress() { sendToBar(PBM_STEPIT, 0, 0); }

void Win32SetupWindow::setProgressPosition(int position) {
    sendToBar(PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32SetupWindow::refresh() {
    if (dialog_ != nullptr) ::PostMessageA(dialog_, kRefreshMessage, 0, 0);
}

ports::MessageAnswer Win32SetupWindow::messageBox(std::string_view text, ports::MessageIcon icon,
                                                  ports::MessageButtons buttons) {
    const std::string terminated(text);
    // Owned by the main window, as the toolkit's boxes are: it stays in front
    // of it and keeps it disabled while it waits.
    const int id = ::MessageBoxA(dialog_, terminated.c_str(), title_.c_str(), MessageBoxFlags(icon, buttons));
    return AnswerFromBoxId(id);
}

}  // namespace kvt::setup::shell
