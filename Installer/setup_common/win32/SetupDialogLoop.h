#pragma once
// The message loop of a setup program's main window. The window is a
// modeless dialog driven by this loop rather than a DialogBox, because the
// program must see every message of its thread before the dialog does.
#include <windows.h>

namespace kvt::setup::shell {

// Returns true when the message is swallowed.
using MessageFilter = bool (*)(const MSG& message, void* context);

// Runs until WM_QUIT and returns its exit code.
int RunSetupDialogLoop(HWND dialog, MessageFilter filter, void* context);

}  // namespace kvt::setup::shell
