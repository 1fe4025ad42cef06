#pragma once
// The uninstaller's main window beyond the step text and progress bar: the
// printer list with its check boxes, the two buttons, the worker thread and
// the end of the dialog. The worker calls most of these; list and button
// messages are sent, so Windows carries them out on the window's thread.
#include <windows.h>

#include "platform/ports/UninstallerWindow.h"
#include "platform/win32/Handles.h"

namespace kvt::uninstaller::shell {

// Posted to the main window by endDialog; wParam is the dialog's result.
inline constexpr UINT kEndDialogMessage = WM_APP + 1;

class Win32UninstallerControls final : public ports::UninstallerWindow {
public:
    using WorkerEntry = DWORD(WINAPI*)(LPVOID);
    Win32UninstallerControls(WorkerEntry worker, void* workerContext) : worker_(worker), context_(workerContext) {}

    void attach(HWND dialog) { dialog_ = dialog; }
    // Whether the worker could be started; the window reports a failure.
    bool workerStarted() const { return static_cast<bool>(thread_); }

    void resetCheckList() override;
    int addCheckListItem(std::string_view text) override;
    int checkListCount() override;
    std::string checkListText(int index) override;
    bool isChecked(int index) override;
    void setChecked(int index, bool checked) override;
    void enableButton(ports::UninstallerButton button, bool enabled) override;
    void beginUninstallThread() override;
    void endDialog(ports::DialogResult result) override;

private:
    HWND list() const;
    LRESULT sendToList(UINT message, WPARAM wParam, LPARAM lParam) const;

    WorkerEntry worker_;
    void* context_;
    HWND dialog_ = nullptr;
    win32::UniqueHandle thread_;
};

}  // namespace kvt::uninstaller::shell
