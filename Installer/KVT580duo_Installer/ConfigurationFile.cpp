#include "Installer/KVT580duo_Installer/ConfigurationFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/ProductConfiguration.h"

namespace kvt::installer {
namespace {

std::uint32_t PortBufferSize(std::size_t bufferSize) {
    constexpr std::size_t largest = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(bufferSize < largest ? bufferSize : largest);
}

// An empty value counts as absent, like a missing key.
std::optional<std::string> ReadKey(ports::FileSystem& files, const setup::BoundedText& file,
                                   std::string_view section, std::string_view key, std::size_t bufferSize) {
    std::string value;
    const std::uint32_t length =
        files.getPrivateProfileString(section, key, "", value, PortBufferSize(bufferSize), file.view());
    if (length == 0) return std::nullopt;
    // The value lands in a C buffer: a zero byte in the file ends it there,
    // whatever the length the read reported.
    value.resize(std::min(value.size(), value.find('\0')));
    return value;
}

// Whether a directory the system named can lead to the file. An empty
// answer would make the name "\KVT580duo_Config.NVX" at the root of the
// drive, where anybody may put a file that then steers the installation;
// that file is not looked at.
bool KnownDirectory(std::uint32_t error, const std::string& answer) { return error == 0 && !answer.empty(); }

}  // namespace

std::optional<std::string> GetDriverInfoFromFile(ports::Platform& platform, setup::SetupLog& log,
                                                 std::string_view section, std::string_view key,
                                                 std::size_t bufferSize) {
    std::string directory;
    if (KnownDirectory(platform.files.getCurrentDirectory(directory), directory)) {
        setup::BoundedText besideInstaller(kConfigurationPathCapacity);
        besideInstaller.assign(directory);
        besideInstaller.append("\\");
        besideInstaller.append(kConfigurationFileName);
        if (!besideInstaller.wasCut())
            if (auto value = ReadKey(platform.files, besideInstaller, section, key, bufferSize)) return value;
    }

    directory.clear();
    if (KnownDirectory(platform.files.getWindowsDirectory(directory), directory)) {
        setup::BoundedText productFolder(kConfigurationPathCapacity);
        productFolder.assign(directory);
        productFolder.append("\\");
        productFolder.append(setup::product::ModelName);
        productFolder.append("\\");
        productFolder.append(kConfigurationFileName);
        if (!productFolder.wasCut())
            if (auto value = ReadKey(platform.files, productFolder, section, key, bufferSize)) return value;
    }

    // Read before logging: the log's own file calls must not stand in for
    // the reason why the key was not found.
    const std::uint32_t lastError = platform.system.getLastError();
    log.WriteLog("\r\n");
    log.WriteLog("GetDriverInfoFromFile BEGIN");
    log.WriteLog("SECTION NAME : %s", section);
    log.WriteLog("KEY NAME : %s", key);
    log.WriteLog("GetDriverInfoFromFile failed. (%d)", lastError);
    log.WriteLog("GetDriverInfoFromFile END");
    log.WriteLog("\r\n");
    return std::nullopt;
}

}  // namespace kvt::installer
