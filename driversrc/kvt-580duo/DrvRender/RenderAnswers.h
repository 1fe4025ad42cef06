#pragma once
// The answers of IPrintOemUni's questions about the plug-in itself: GetInfo
// and GetImplementedMethod. GetInfo gives the result and the last error the
// COM object then sets; its buffer is the driver's and is written with a byte
// copy.
#include <cstdint>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::render {

// The plug-in's own signature, "K5RD".
inline constexpr std::uint32_t kRenderSignature = 0x4452354B;
inline constexpr std::uint32_t kOemInterfaceVersion = 0x00010000;  // PRINTER_OEMINTF_VERSION

// Modes of GetInfo.
namespace getinfo {
inline constexpr std::uint32_t Signature = 1;         // OEMGI_GETSIGNATURE
inline constexpr std::uint32_t InterfaceVersion = 2;  // OEMGI_GETINTERFACEVERSION
inline constexpr std::uint32_t Version = 3;           // OEMGI_GETVERSION
}  // namespace getinfo

// `needed` is the driver's pcbNeeded.
plugin::Answer GetInfo(std::uint32_t mode, void* buffer, std::uint32_t size, std::uint32_t* needed);

// Whether the plug-in implements the IPrintOemUni method of that name; the
// driver asks before it calls any of the optional ones.
bool ImplementsMethod(std::string_view method);

}  // namespace kvt::render
