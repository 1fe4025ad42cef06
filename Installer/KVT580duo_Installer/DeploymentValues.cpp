// The uninstall entry's values that deployment tools read to tell whether
// the product is there, which version it is and how to remove it without a
// person. They live in the entry's key and go with it at uninstallation.
#include <string>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/KVT580duo_Installer/InstallStepTexts.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"

namespace kvt::installer {
namespace {

constexpr std::uint64_t kKiB = 1024;

// Bytes of the files that `pattern` finds; folders count nothing.
std::uint64_t BytesOf(ports::FileSystem& files, std::string_view pattern) {
    std::vector<ports::DirEntry> entries;
    if (files.findFiles(pattern, entries) != err::Success) return 0;
    std::uint64_t bytes = 0;
    for (const ports::DirEntry& entry : entries)
        if ((entry.attributes & fileattr::Directory) == 0) bytes += entry.size;
    return bytes;
}

}  // namespace

std::uint32_t InstallEngine::EstimatedSizeKiB() {
    // What the installation puts on the computer: the driver package of the
    // system's environment, the INF the store keeps, and the utilities.
    ports::FileSystem& files = platform_.files;
    std::uint64_t bytes = BytesOf(files, packageFolder_ + "*.*");
    bytes += BytesOf(files, ".\\" + LoadEntry(setup::entry::InfFileName));
    bytes += BytesOf(files, ".\\" + LoadEntry(setup::entry::UninstallerProgramFile));
    bytes += BytesOf(files, std::string(".\\") + std::string(stepfile::ConfigurationFile));
    return static_cast<std::uint32_t>((bytes + kKiB - 1) / kKiB);
}

void InstallEngine::WriteDeploymentValues(ports::Registry& registry, ports::RegKey entry,
                                          const std::optional<std::string>& uninstaller) {
    std::string version = LoadEntry(setup::entry::MajorVersion);
    version += ".";
    version += LoadEntry(setup::entry::MinorVersion);
    version += ".";
    version += LoadEntry(setup::entry::BuildVersion);
    registry.setValue(entry, "DisplayVersion", setup::TextValue(version));
    registry.setValue(entry, "Publisher", setup::TextValue(LoadEntry(setup::entry::MakerName)));
    // Without the uninstaller's path the entry names no command (see
    // UninstallString), quiet or not.
    if (uninstaller) {
        registry.setValue(entry, "QuietUninstallString", setup::TextValue("\"" + *uninstaller + "\" /quiet"));
        registry.setValue(entry, "DisplayIcon", setup::TextValue(*uninstaller));
    }
    registry.setValue(entry, "NoModify", setup::DwordValue(1));
    registry.setValue(entry, "NoRepair", setup::DwordValue(1));
    registry.setValue(entry, "EstimatedSize", setup::DwordValue(EstimatedSizeKiB()));
}

}  // namespace kvt::installer
