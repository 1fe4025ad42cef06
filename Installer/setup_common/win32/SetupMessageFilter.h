#pragma once
// The main window's pre-translation of every message that reaches the window
// thread: wait cursor and no Close command while the worker installs or
// removes, Escape swallowed while it installs.
#include <windows.h>

#include "Installer/setup_common/win32/MessageFilterDecision.h"

namespace kvt::setup::shell {

// Returns true when the message is swallowed.
bool PreTranslateSetupMessage(HWND mainWindow, const MSG& message, int busy, int removing);

// Carries out a decision made elsewhere (cursor, Close command); returns
// true when the message is swallowed.
bool ApplySetupMessageDecision(HWND mainWindow, const FilterDecision& decision);

// The cursor for WM_SETCURSOR over the main window, which Windows sends
// straight to the window without passing the filter.
void SetSetupCursor(int busy, int removing);

}  // namespace kvt::setup::shell
