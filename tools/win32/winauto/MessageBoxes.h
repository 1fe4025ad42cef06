#pragma once
// Message boxes of another program: found by caption and a piece of their
// text, answered with one of their buttons.
#include <windows.h>

#include <string>

namespace kvt::winauto {

// IDYES, IDNO, IDOK or IDCANCEL for "Yes", "No", "OK", "Cancel"; 0 otherwise.
int BoxButtonId(const std::string& name);

// Waits up to `timeoutMs` for a dialog-class window titled `caption` whose
// static text contains `textPart`; null if none came. `text` receives the
// box's whole text.
HWND WaitForMessageBox(const std::string& caption, const std::string& textPart, DWORD timeoutMs,
                       std::string& text);

}  // namespace kvt::winauto
