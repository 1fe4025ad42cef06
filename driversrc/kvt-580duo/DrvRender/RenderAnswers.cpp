#include "driversrc/kvt-580duo/DrvRender/RenderAnswers.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/ports/WinCodes.h"

namespace kvt::render {
namespace {

constexpr std::uint32_t kPluginVersion = 1;

constexpr std::array<std::string_view, 10> kImplemented{
    "GetInfo",     "PublishDriverInterface", "GetImplementedMethod", "EnableDriver", "DisableDriver",
    "EnablePDEV", "DisablePDEV",            "ResetPDEV",            "CommandCallback", "FilterGraphics"};

}  // namespace

plugin::Answer GetInfo(std::uint32_t mode, void* buffer, std::uint32_t size, std::uint32_t* needed) {
    std::uint32_t value = 0;
    switch (mode) {
    case getinfo::Signature: value = kRenderSignature; break;
    case getinfo::InterfaceVersion: value = kOemInterfaceVersion; break;
    case getinfo::Version: value = kPluginVersion; break;
    default: return plugin::Refuse(err::InvalidParameter);
    }
    if (needed == nullptr) return plugin::Refuse(err::InvalidParameter);
    *needed = sizeof value;
    if (buffer == nullptr || size < sizeof value) return plugin::Refuse(err::InsufficientBuffer);
    std::memcpy(buffer, &value, sizeof value);
    return {plugin::hr::SOk, std::nullopt};
}

bool ImplementsMethod(std::string_view method) {
    return std::find(kImplemented.begin(), kImplemented.end(), method) != kImplemented.end();
}

}  // namespace kvt::render
