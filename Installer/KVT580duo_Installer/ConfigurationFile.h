#pragma once
// The optional configuration file that steers the installer's port choice.
// The copy next to the installer is asked first, key by key, then the copy in
// the product folder under the Windows directory.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"

namespace kvt::installer {

inline constexpr std::string_view kConfigurationFileName = "KVT580duo_Config.NVX";
inline constexpr std::string_view kConfigurationSection = "KVT580D";
inline constexpr std::string_view kPortDialogKey = "PORTDLG";
inline constexpr std::string_view kPortKey = "PORT";

// Capacity of the path buffers, terminator included.
inline constexpr std::size_t kConfigurationPathCapacity = 256;

// The key's value, read into a buffer of `bufferSize` characters; nothing when
// neither file has a non-empty value for it (that failure is logged).
std::optional<std::string> GetDriverInfoFromFile(ports::Platform& platform, setup::SetupLog& log,
                                                 std::string_view section, std::string_view key,
                                                 std::size_t bufferSize);

}  // namespace kvt::installer
