#pragma once
// The printer's own settings that the pages edit, kept as the printer data
// value "MISC": exactly 20 bytes, one unsigned byte per field. The driver's
// rendering side reads the same bytes, so the offsets are fixed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

inline constexpr std::u16string_view kMiscValueName = u"MISC";
inline constexpr std::size_t kMiscSize = 20;

// Offsets of the fields. A pulse byte holds the pulse length in milliseconds
// divided by 2 (25 to 125 for 50 to 250 ms).
namespace misc {
inline constexpr std::size_t LineFeeds = 0;  // 0 to 99 after printing
inline constexpr std::size_t DrawerABefore = 1;
inline constexpr std::size_t DrawerAPulse = 2;
inline constexpr std::size_t DrawerBBefore = 3;
inline constexpr std::size_t DrawerBPulse = 4;
inline constexpr std::size_t DrawerCAfter = 5;
inline constexpr std::size_t DrawerCPulse = 6;
inline constexpr std::size_t DrawerDAfter = 7;
inline constexpr std::size_t DrawerDPulse = 8;
inline constexpr std::size_t CutMode = 10;     // 0, 1 or 2
inline constexpr std::size_t PaperSource = 11;  // index in the source list
inline constexpr std::size_t PaperSize = 12;    // index in the size list
inline constexpr std::size_t PaperType = 13;    // 0 "Receipt", 1 "Ticket"
inline constexpr std::size_t Color = 14;        // 0 monochrome, 1 colour
inline constexpr std::size_t Copies = 15;       // 1 to 255
// Bytes 9 and 16 to 19 are reserved and stay 0.
}  // namespace misc

struct MiscSettings {
    std::array<std::uint8_t, kMiscSize> bytes{};
    friend bool operator==(const MiscSettings&, const MiscSettings&) = default;
};
static_assert(sizeof(MiscSettings) == kMiscSize);

// What a printer without a usable "MISC" value starts with: every byte 0 but
// cut mode 1 and copies 1.
MiscSettings DefaultMiscSettings();

struct PageState;

// Reads "MISC" into `state.misc` through the page state's printer, recording
// the read's result and reported size; a missing, unreadable or over-long
// value gives the defaults, a shorter one fills the leading bytes.
void LoadMiscSettings(ports::PluginSpooler& spooler, PageState& state);

// Writes the whole record and returns the write's result.
std::uint32_t SaveMiscSettings(ports::PluginSpooler& spooler, const PageState& state);

}  // namespace kvt::plugin
