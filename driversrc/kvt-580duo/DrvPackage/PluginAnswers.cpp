#include "driversrc/kvt-580duo/DrvPackage/PluginAnswers.h"

#include <cstring>

#include "driversrc/kvt-580duo/DrvPackage/OemPrivateDevMode.h"

namespace kvt::plugin {
namespace {

constexpr std::uint32_t kInfoSize = 4;
constexpr std::uint32_t kPluginVersion = 1;

}  // namespace

Answer GetInfo(std::uint32_t mode, void* buffer, std::uint32_t size, std::uint32_t* needed) {
    const bool known = mode == getinfo::Signature || mode == getinfo::Version || mode == getinfo::PublisherInfo;
    if (needed == nullptr || !known) return Refuse(err::InvalidParameter);
    *needed = kInfoSize;
    if (size < kInfoSize || buffer == nullptr) return Refuse(err::InsufficientBuffer);
    if (mode == getinfo::PublisherInfo) {
        *needed = 0;
        return Refuse(err::NotSupported);
    }
    // The signature is the private device mode's: the host matches the two.
    const std::uint32_t value = mode == getinfo::Signature ? kOemSignature : kPluginVersion;
    std::memcpy(buffer, &value, sizeof value);
    return {hr::SOk, std::nullopt};
}

Answer QueryColorProfile(std::uint32_t queryMode, void* profile, std::uint32_t* size, std::uint32_t* flags) {
    if (queryMode != kQueryDeviceProfile) return {hr::EFail, std::nullopt};
    if (size == nullptr) return Refuse(err::InvalidParameter);
    if (profile == nullptr || *size < kColorProfileBufferSize) {
        *size = kColorProfileBufferSize;
        return Refuse(err::InsufficientBuffer);
    }
    // Little-endian UTF-16 with its terminator: 30 bytes.
    auto* out = static_cast<std::uint8_t*>(profile);
    std::size_t at = 0;
    for (char16_t unit : kColorProfileName) {
        out[at++] = static_cast<std::uint8_t>(unit);
        out[at++] = static_cast<std::uint8_t>(unit >> 8);
    }
    out[at++] = 0;
    out[at++] = 0;
    *size = kColorProfileBufferSize;
    if (flags != nullptr) *flags = kProfileOnDisk;
    return {hr::SOk, std::nullopt};
}

}  // namespace kvt::plugin
