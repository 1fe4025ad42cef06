#pragma once
// The main window's pre-translation of every message that reaches the window
// thread: wait cursor and no Close command while the worker installs or
// removes, Escape swallowed while it installs.
#include <windows.h>

namespace kvt::setup::shell {

// Returns true when the message is swallowed.
bool PreTranslateSetupMessage(HWND mainWindow, const MSG& message, int busy, int removing);

// The cursor for WM_SETCURSOR over the main window, which Windows sends
// straight to the window without passing the filter.
void SetSetupCursor(int busy, int removing);

}  // namespace kvt::setup::shell
