#pragma once
// Top-level windows of any process, found by their exact title.
#include <windows.h>

#include <string>
#include <vector>

namespace kvt::winauto {

std::vector<HWND> WindowsTitled(const std::string& title);

// Waits up to `timeoutMs` for a window with the title; null if none came.
HWND WaitForWindow(const std::string& title, DWORD timeoutMs);

// Waits up to `timeoutMs` until no window has the title.
bool WaitUntilGone(const std::string& title, DWORD timeoutMs);

// WM_GETTEXT through a time-out, so a hung program cannot hang the helper.
// Works across processes, unlike GetWindowText on another program's controls.
std::string TextOf(HWND window);

std::string ClassOf(HWND window);

}  // namespace kvt::winauto
