#pragma once
// The main window of a setup program as its worker reports through it. The
// worker thread calls these methods; the window thread shows the step text
// when it handles the refresh message (WM_USER + 1). The text is the only
// state the two threads share here, so it sits behind a lock; the progress
// bar is driven by sent messages, which Windows delivers on the window's own
// thread.
#include <windows.h>

#include <string>

#include "platform/ports/SetupWindow.h"
#include "platform/win32/CriticalSection.h"

namespace kvt::setup::shell {

inline constexpr UINT kRefreshMessage = WM_USER + 1;

// The caption of the program's message boxes: the running program file's name
// without its extension, or `shipped` when the file name cannot be read.
std::string ProgramFileTitle(const char* shipped);

class Win32SetupWindow final : public ports::SetupWindow {
public:
    // `title` captions the message boxes; `progressId` is the bar's control.
    Win32SetupWindow(std::string title, int progressId);

    // Binds the dialog once it exists (first thing in WM_INITDIALOG).
    void attach(HWND dialog) { dialog_ = dialog; }
    HWND dialog() const { return dialog_; }

    void setProgressRange(int minimum, int maximum) override;
    void setProgressStep(int step) override;
    void setStepText(std::string_view text) override;
    void stepProgress() override;
    void setProgressPosition(int position) override;
    void refresh() override;
    ports::MessageAnswer messageBox(std::string_view text, ports::MessageIcon icon,
                                    ports::MessageButtons buttons) override;

    // For the window thread: a copy of the step text as last assigned.
    std::string stepText();

private:
    LRESULT sendToBar(UINT message, WPARAM wParam, LPARAM lParam) const;

    std::string title_;
    int progressId_;
    HWND dialog_ = nullptr;
    win32::CriticalSection lock_;
    std::string stepText_;
};

}  // namespace kvt::setup::shell
