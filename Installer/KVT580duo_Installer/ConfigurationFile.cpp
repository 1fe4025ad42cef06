#include "Installer/KVT580duo_Installer/ConfigurationFile.h"

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
    return value;
}

}  // namespace

std::optional<std::string> GetDriverInfoFromFile(ports::Platform& platform, setup::SetupLog& log,
                                                 std::string_view section, std::string_view key,
                                                 std::size_t bufferSize) {
    std::string directory;

    setup::BoundedText besideInstaller(kConfigurationPathCapacity);
    if (platform.files.getCurrentDirectory(directory) == 0) besideInstaller.assign(directory);
    besideInstaller.append("\\");
    besideInstaller.append(kConfigurationFileName);
    if (auto value = ReadKey(platform.files, besideInstaller, section, key, bufferSize)) return value;

    directory.clear();
    setup::BoundedText productFolder(kConfigurationPathCapacity);
    if (platform.files.getWindowsDirectory(directory) == 0) productFolder.assign(directory);
    productFolder.append("\\");
    productFolder.append(setup::product::ModelName);
    productFolder.append("\\");
    productFolder.append(kConfigurationFileName);
    if (auto value = ReadKey(platform.files, productFolder, section, key, bufferSize)) return value;

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
