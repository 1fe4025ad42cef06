#pragma once
// The plug-in's private part of every device mode: a 20-byte record that the
// host appends after the public DEVMODEW. It begins with the host's extra
// header (size, signature, version) and carries two numbers that no page
// shows. The driver's rendering side reads it, so its layout is fixed.
#include <cstdint>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::plugin {

inline constexpr std::uint32_t kOemSignature = 0x4D534654;  // the bytes 54 46 53 4D
inline constexpr std::uint32_t kOemVersion = 1;
inline constexpr std::uint32_t kOemDevModeSize = 20;
inline constexpr std::uint32_t kOemValueMax = 100;

// Little-endian on every Windows the driver runs on.
struct OemPrivateDevMode {
    std::uint32_t size = kOemDevModeSize;
    std::uint32_t signature = kOemSignature;
    std::uint32_t version = kOemVersion;
    std::uint32_t value1 = 0;
    std::uint32_t value2 = 0;
    friend bool operator==(const OemPrivateDevMode&, const OemPrivateDevMode&) = default;
};
static_assert(sizeof(OemPrivateDevMode) == kOemDevModeSize);

// Modes of IPrintOemUI::DevMode.
namespace devmode {
inline constexpr std::uint32_t Size = 1;     // OEMDM_SIZE
inline constexpr std::uint32_t Default = 2;  // OEMDM_DEFAULT
inline constexpr std::uint32_t Convert = 3;  // OEMDM_CONVERT
inline constexpr std::uint32_t Merge = 4;    // OEMDM_MERGE
}  // namespace devmode

// The members of the host's OEMDMPARAM that the plug-in uses. `in` and `out`
// point into the host's memory; an input record may be shorter than 20 bytes
// (an older driver's), which its own size field says.
struct OemDevModeParam {
    const void* in = nullptr;
    void* out = nullptr;
    std::uint32_t bufferSize = 0;
};

// Copies what `in` and `out` share when both carry the plug-in's signature,
// else leaves a fresh record; either way the values start at 0 and the
// header ends up current. Nothing happens when either is null.
void ConvertOemDevMode(const void* in, void* out);

// IPrintOemUI::DevMode. `param` null or an unknown mode: ERROR_INVALID_PARAMETER.
Answer DevMode(std::uint32_t mode, OemDevModeParam* param);

}  // namespace kvt::plugin
