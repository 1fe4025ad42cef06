#pragma once
// A printer's default device mode as the spooler stores it in the printer's
// "Default DevMode" value: a DEVMODEW structure (220 bytes, little-endian,
// texts in UTF-16) without private driver bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/SpoolerRecords.h"

namespace kvt::sim {

inline constexpr std::size_t kDevModeSize = 220;
// dmDeviceName and dmFormName hold 32 characters with the terminator.
inline constexpr std::size_t kDevModeNameChars = 31;

// `deviceName` (the printer's name) is cut to 31 characters, as the spooler
// cuts it. The record's numbers must fit DEVMODE's 16-bit fields (see
// CheckDevMode).
std::vector<std::uint8_t> EncodeDevMode(const DevModeRecord& devmode, std::string_view deviceName);
// Nothing when the bytes are too short to hold the public fields or say
// they are longer than they are.
std::optional<DevModeRecord> DecodeDevMode(const std::vector<std::uint8_t>& bytes);
struct DevModeProblem {
    std::string field;  // the record's field, as an image names it
    std::string reason;
};
// The first field that EncodeDevMode cannot keep, if any.
std::optional<DevModeProblem> CheckDevMode(const DevModeRecord& devmode);

}  // namespace kvt::sim
