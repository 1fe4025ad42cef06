#pragma once
// The MessageBoxA flags for a box the core asks for, and the answer the core
// gets back from the button id the box returns. Free of <windows.h> so the
// tables are checked natively; Win32SetupWindow asserts the values against
// the real macros.
#include <cstdint>

#include "platform/ports/SetupWindow.h"

namespace kvt::setup::shell {

namespace mb {
inline constexpr std::uint32_t Ok = 0x00000000;
inline constexpr std::uint32_t YesNo = 0x00000004;
inline constexpr std::uint32_t IconError = 0x00000010;
inline constexpr std::uint32_t IconQuestion = 0x00000020;
inline constexpr std::uint32_t IconWarning = 0x00000030;
inline constexpr std::uint32_t IconInformation = 0x00000040;
}  // namespace mb

namespace boxid {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace boxid

constexpr std::uint32_t IconFlag(ports::MessageIcon icon) {
    switch (icon) {
        case ports::MessageIcon::Information: return mb::IconInformation;
        case ports::MessageIcon::Question: return mb::IconQuestion;
        case ports::MessageIcon::Warning: return mb::IconWarning;
        case ports::MessageIcon::Error: return mb::IconError;
        case ports::MessageIcon::None: break;
    }
    return 0;
}

constexpr std::uint32_t ButtonFlag(ports::MessageButtons buttons) {
    return buttons == ports::MessageButtons::YesNo ? mb::YesNo : mb::Ok;
}

constexpr std::uint32_t MessageBoxFlags(ports::MessageIcon icon, ports::MessageButtons buttons) {
    return IconFlag(icon) | ButtonFlag(buttons);
}

// A box that could not be shown returns 0; the core reads that as Cancel,
// which no caller takes for consent.
constexpr ports::MessageAnswer AnswerFromBoxId(int id) {
    switch (id) {
        case boxid::Ok: return ports::MessageAnswer::Ok;
        case boxid::Yes: return ports::MessageAnswer::Yes;
        case boxid::No: return ports::MessageAnswer::No;
        default: break;
    }
    return ports::MessageAnswer::Cancel;
}

}  // namespace kvt::setup::shell
