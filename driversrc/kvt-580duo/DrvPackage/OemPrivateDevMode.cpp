#include "driversrc/kvt-580duo/DrvPackage/OemPrivateDevMode.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

// The host's buffers carry no alignment promise, so fields are copied, never
// read through a cast pointer.
constexpr std::size_t kSizeAt = 0, kSignatureAt = 4, kVersionAt = 8, kValue1At = 12, kValue2At = 16;

std::uint32_t Read(const void* record, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, static_cast<const std::uint8_t*>(record) + offset, sizeof value);
    return value;
}

void Write(void* record, std::size_t offset, std::uint32_t value) {
    std::memcpy(static_cast<std::uint8_t*>(record) + offset, &value, sizeof value);
}

void WriteHeader(void* record) {
    Write(record, kSizeAt, kOemDevModeSize);
    Write(record, kSignatureAt, kOemSignature);
    Write(record, kVersionAt, kOemVersion);
}

void Merge(const void* in, void* out) {
    ConvertOemDevMode(in, out);
    if (out == nullptr) return;
    WriteHeader(out);
    if (Read(out, kValue1At) > kOemValueMax) Write(out, kValue1At, 0);
    if (Read(out, kValue2At) > kOemValueMax) Write(out, kValue2At, 0);
}

}  // namespace

void ConvertOemDevMode(const void* in, void* out) {
    if (in == nullptr || out == nullptr) return;
    Write(out, kValue1At, 0);
    Write(out, kValue2At, 0);
    // The output's own signature decides, whatever the host left in it.
    if (Read(in, kSignatureAt) == Read(out, kSignatureAt)) {
        const std::uint32_t count = std::min({Read(out, kSizeAt), Read(in, kSizeAt), kOemDevModeSize});
        std::memmove(out, in, count);
    } else {
        Write(out, kSignatureAt, kOemSignature);
    }
    Write(out, kSizeAt, kOemDevModeSize);
    Write(out, kVersionAt, kOemVersion);
}

Answer DevMode(std::uint32_t mode, OemDevModeParam* param) {
    if (param == nullptr) return Refuse(err::InvalidParameter);
    switch (mode) {
        case devmode::Size:
            param->bufferSize = kOemDevModeSize;
            break;
        case devmode::Default:
            if (param->out != nullptr) {
                const OemPrivateDevMode fresh;
                std::memcpy(param->out, &fresh, sizeof fresh);
            }
            break;
        case devmode::Convert:
            ConvertOemDevMode(param->in, param->out);
            break;
        case devmode::Merge:
            Merge(param->in, param->out);
            break;
        default:
            return Refuse(err::InvalidParameter);
    }
    return {hr::SOk, std::nullopt};
}

}  // namespace kvt::plugin
