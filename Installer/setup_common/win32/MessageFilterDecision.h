#pragma once
// What the main window of a setup program does with a message before the
// dialog sees it, while its worker runs. Kept free of <windows.h> so the
// decision is checked natively; the Win32 filter applies it.
#include <cstdint>

namespace kvt::setup::shell {

// Keyboard and mouse messages and the keys that matter, under names of their own.
namespace msg {
inline constexpr unsigned KeyDown = 0x0100;
inline constexpr unsigned KeyUp = 0x0101;
inline constexpr unsigned Char = 0x0102;
inline constexpr unsigned LButtonDown = 0x0201;
inline constexpr unsigned LButtonDblClk = 0x0203;
inline constexpr std::uintptr_t EscapeKey = 27;
inline constexpr std::uintptr_t SpaceKey = 32;
}  // namespace msg

enum class Cursor { Arrow, Wait };

struct FilterDecision {
    Cursor cursor = Cursor::Arrow;
    bool removeCloseCommand = false;  // SC_CLOSE taken out of the system menu
    bool swallow = false;             // the message never reaches the dialog
};

// Escape is swallowed only as a key: other messages whose wParam happens to
// be 27 (a mouse move with four buttons held, a command of id 27) belong to
// the dialog.
constexpr bool IsEscapeKey(unsigned message, std::uintptr_t wParam) {
    const bool keyboard = message == msg::KeyDown || message == msg::KeyUp || message == msg::Char;
    return keyboard && wParam == msg::EscapeKey;
}

// What toggles an item of a check list: a click or double click (on its box),
// and Space on the selected item, as key or as character.
constexpr bool IsCheckToggleInput(unsigned message, std::uintptr_t wParam) {
    if (message == msg::LButtonDown || message == msg::LButtonDblClk) return true;
    return (message == msg::KeyDown || message == msg::Char) && wParam == msg::SpaceKey;
}

// toCheckList: the message is aimed at the window's check list. While busy
// the list takes no toggle, so a box cannot change the choice (nor bring
// a disabled button back) under the running worker.
constexpr FilterDecision DecideSetupMessage(int busy, int removing, unsigned message, std::uintptr_t wParam,
                                            bool toCheckList = false) {
    FilterDecision decision;
    if (busy != 0 || removing != 0) {
        decision.cursor = Cursor::Wait;
        decision.removeCloseCommand = true;
    }
    decision.swallow =
        busy != 0 && (IsEscapeKey(message, wParam) || (toCheckList && IsCheckToggleInput(message, wParam)));
    return decision;
}

// Whether the dialog may end at the user's request (Escape, the close box,
// Alt+F4): never while the worker installs or removes.
constexpr bool MayCloseWindow(int busy, int removing) { return busy == 0 && removing == 0; }

}  // namespace kvt::setup::shell
