#include "platform/sim/DevModeBlob.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace kvt::sim {
namespace {

// Offsets of DEVMODEW's fields.
constexpr std::size_t kSpecVersion = 64, kDriverVersion = 66, kSize = 68, kDriverExtra = 70, kFields = 72;
constexpr std::size_t kOrientation = 76, kPaperSize = 78, kPaperLength = 80, kPaperWidth = 82, kCopies = 86,
                      kDefaultSource = 88, kColor = 92, kFormName = 102;
constexpr std::size_t kPublicEnd = kFormName + 2 * (kDevModeNameChars + 1);

constexpr std::uint16_t kSpecVersionValue = 0x0401;  // DM_SPECVERSION
constexpr std::uint16_t kDriverVersionValue = 0x0600;
constexpr std::uint32_t kFieldsPresent = 0x00000001     // DM_ORIENTATION
                                         | 0x00000002   // DM_PAPERSIZE
                                         | 0x00000004   // DM_PAPERLENGTH
                                         | 0x00000008   // DM_PAPERWIDTH
                                         | 0x00000100   // DM_COPIES
                                         | 0x00000200   // DM_DEFAULTSOURCE
                                         | 0x00000800   // DM_COLOR
                                         | 0x00010000;  // DM_FORMNAME
constexpr std::int16_t kPortrait = 1;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, static_cast<std::uint16_t>(value));
    Put16(out, at + 2, static_cast<std::uint16_t>(value >> 16));
}

void PutShort(std::vector<std::uint8_t>& out, std::size_t at, std::int32_t value) {
    Put16(out, at, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
}

// ANSI bytes of the simulated code page are the code points U+0000..U+00FF.
void PutName(std::vector<std::uint8_t>& out, std::size_t at, std::string_view name) {
    const std::size_t count = std::min(name.size(), kDevModeNameChars);
    for (std::size_t i = 0; i < count; ++i) Put16(out, at + 2 * i, static_cast<std::uint8_t>(name[i]));
}

std::uint16_t Get16(const std::vector<std::uint8_t>& in, std::size_t at) {
    return static_cast<std::uint16_t>(in[at] | in[at + 1] << 8);
}

std::int32_t GetShort(const std::vector<std::uint8_t>& in, std::size_t at) {
    return static_cast<std::int16_t>(Get16(in, at));
}

// Characters above U+00FF have no ANSI byte; they read as "?", as
// WideCharToMultiByte gives them.
std::string GetName(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::string out;
    for (std::size_t i = 0; i < kDevModeNameChars + 1; ++i) {
        const std::uint16_t c = Get16(in, at + 2 * i);
        if (c == 0) break;
        out += c > 0xFF ? '?' : static_cast<char>(c);
    }
    return out;
}

bool FitsShort(std::int32_t value) {
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

std::vector<std::uint8_t> EncodeDevMode(const DevModeRecord& devmode, std::string_view deviceName) {
    std::vector<std::uint8_t> out(kDevModeSize, 0);
    PutName(out, 0, deviceName);
    Put16(out, kSpecVersion, kSpecVersionValue);
    Put16(out, kDriverVersion, kDriverVersionValue);
    Put16(out, kSize, static_cast<std::uint16_t>(kDevModeSize));
    Put16(out, kDriverExtra, 0);
    Put32(out, kFields, kFieldsPresent);
    PutShort(out, kOrientation, kPortrait);
    PutShort(out, kPaperSize, devmode.paperSize);
    PutShort(out, kPaperLength, devmode.paperLength);
    PutShort(out, kPaperWidth, devmode.paperWidth);
    PutShort(out, kCopies, devmode.copies);
    PutShort(out, kDefaultSource, devmode.defaultSource);
    PutShort(out, kColor, devmode.color);
    PutName(out, kFormName, devmode.formName);
    return out;
}

std::optional<DevModeRecord> DecodeDevMode(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < kPublicEnd) return std::nullopt;
    const std::size_t declared = static_cast<std::size_t>(Get16(bytes, kSize)) + Get16(bytes, kDriverExtra);
    if (Get16(bytes, kSize) < kPublicEnd || declared > bytes.size()) return std::nullopt;
    DevModeRecord devmode;
    devmode.paperSize = GetShort(bytes, kPaperSize);
    devmode.paperLength = GetShort(bytes, kPaperLength);
    devmode.paperWidth = GetShort(bytes, kPaperWidth);
    devmode.copies = GetShort(bytes, kCopies);
    devmode.defaultSource = GetShort(bytes, kDefaultSource);
    devmode.color = GetShort(bytes, kColor);
    devmode.formName = GetName(bytes, kFormName);
    return devmode;
}

std::optional<DevModeProblem> CheckDevMode(const DevModeRecord& devmode) {
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"copies", devmode.copies},       {"color", devmode.color},           {"defaultSource", devmode.defaultSource},
        {"paperSize", devmode.paperSize}, {"paperWidth", devmode.paperWidth}, {"paperLength", devmode.paperLength}};
    for (const auto& [name, value] : numbers) {
        if (!FitsShort(value)) return DevModeProblem{name, "expected an integer from -32768 to 32767"};
    }
    if (devmode.formName.size() > kDevModeNameChars)
        return DevModeProblem{"formName", "a device mode holds a form name of at most 31 characters"};
    return std::nullopt;
}

}  // namespace kvt::sim
