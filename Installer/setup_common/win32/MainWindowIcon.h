#pragma once
// The setup programs' main windows carry the program icon as their large and
// small icon, and draw it centred in the client area while minimised.
#include <windows.h>

namespace kvt::setup::shell {

struct WindowIcons {
    HICON large = nullptr;
    HICON small = nullptr;
};

// Loads icon `resourceId` in both sizes and sets it on `window`.
WindowIcons SetMainWindowIcons(HINSTANCE instance, HWND window, int resourceId);

// WM_PAINT: draws the icon while the window is minimised and returns TRUE;
// FALSE (default painting) otherwise.
BOOL PaintMinimisedIcon(HWND window, HICON icon);

}  // namespace kvt::setup::shell
