#pragma once
// The answers of IPrintOemUI's small methods: GetInfo, QueryColorProfile and
// CommonUIProp. Each gives the result and the last error the COM object then
// sets; buffers are the host's and are written with byte copies.
#include <cstdint>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"
#include "platform/ports/WinCodes.h"

namespace kvt::plugin {

// Modes of GetInfo.
namespace getinfo {
inline constexpr std::uint32_t Signature = 1;         // OEMGI_GETSIGNATURE
inline constexpr std::uint32_t InterfaceVersion = 2;  // OEMGI_GETINTERFACEVERSION, refused
inline constexpr std::uint32_t Version = 3;           // OEMGI_GETVERSION
inline constexpr std::uint32_t PublisherInfo = 4;     // OEMGI_GETPUBLISHERINFO
}  // namespace getinfo

// `needed` is the host's pcbNeeded.
Answer GetInfo(std::uint32_t mode, void* buffer, std::uint32_t size, std::uint32_t* needed);

inline constexpr std::u16string_view kColorProfileName = u"OEMPROFILE.icm";
inline constexpr std::uint32_t kColorProfileBufferSize = 32;  // bytes the host is asked for
inline constexpr std::uint32_t kQueryDeviceProfile = 0;       // QCP_DEVICEPROFILE
inline constexpr std::uint32_t kProfileOnDisk = 2;            // QCP_PROFILEDISK

// `size` is the host's byte count of `profile`, `flags` its profile flags.
Answer QueryColorProfile(std::uint32_t queryMode, void* profile, std::uint32_t* size, std::uint32_t* flags);

// Modes of CommonUIProp.
namespace uiprop {
inline constexpr std::uint32_t Document = 1;  // OEMCUIP_DOCPROP
inline constexpr std::uint32_t Printer = 2;   // OEMCUIP_PRNPROP
}  // namespace uiprop
inline constexpr std::uint32_t kOptionHidden = 0x2;  // OPTIF_HIDE

// Hides every one of the driver's own option items (`items`, `count` of them;
// null for none), so that only the plug-in's pages remain. `OptionItem` is
// the host's OPTITEM, of which only `Flags` is touched.
template <typename OptionItem>
Answer CommonUIProp(std::uint32_t mode, bool hasParam, OptionItem* items, std::uint32_t count) {
    if ((mode != uiprop::Document && mode != uiprop::Printer) || !hasParam) return Refuse(err::InvalidParameter);
    if (items != nullptr) {
        for (std::uint32_t i = 0; i < count; ++i) items[i].Flags |= kOptionHidden;
    }
    return {hr::SOk, std::nullopt};
}

}  // namespace kvt::plugin
