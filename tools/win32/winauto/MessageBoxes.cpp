#include "tools/win32/winauto/MessageBoxes.h"

#include "tools/win32/winauto/DialogControls.h"
#include "tools/win32/winauto/Deadline.h"
#include "tools/win32/winauto/TopLevelWindows.h"

namespace kvt::winauto {

namespace {

constexpr DWORD kPollMs = 50;
constexpr const char* kDialogClass = "#32770";

std::string StaticTextOf(HWND box) {
    std::string text;
    for (const ControlInfo& control : ControlsOf(box)) {
        if (control.className != "Static" || control.text.empty()) continue;
        if (!text.empty()) text += '\n';
        text += control.text;
    }
    return text;
}

}  // namespace

int BoxButtonId(const std::string& name) {
    if (name == "Yes") return IDYES;
    if (name == "No") return IDNO;
    if (name == "OK") return IDOK;
    if (name == "Cancel") return IDCANCEL;
    return 0;
}

HWND WaitForMessageBox(const std::string& caption, const std::string& textPart, DWORD timeoutMs,
                       std::string& text) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        for (HWND window : WindowsTitled(caption)) {
            if (ClassOf(window) != kDialogClass) continue;
            const std::string boxText = StaticTextOf(window);
            if (boxText.find(textPart) != std::string::npos) {
                text = boxText;
                return window;
            }
        }
        if (deadline.passed()) return nullptr;
        ::Sleep(kPollMs);
    }
}

}  // namespace kvt::winauto
