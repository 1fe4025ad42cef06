#include "platform/sim/SystemInfFiles.h"

#include <string>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {

std::string DriverStoreRepository(const World& world) {
    return world.windowsDirectory + "\\System32\\DriverStore\\FileRepository";
}

std::optional<InfSource> FindSystemInf(const World& world, std::string_view fileName, InfArchitecture architecture) {
    if (fileName.empty() || fileName.find_first_of("\\/:") != std::string_view::npos) return std::nullopt;
    std::string infPath;
    if (winpath::Normalise(winpath::Join(world.windowsDirectory + "\\inf", fileName), {}, infPath) != 0)
        return std::nullopt;
    const FileRecord* inf = world.files.findFile(infPath);
    if (inf == nullptr) return std::nullopt;
    std::string repository;
    if (winpath::Normalise(DriverStoreRepository(world), {}, repository) != 0) return std::nullopt;
    const std::string prefix =
        std::string(fileName) + (architecture == InfArchitecture::amd64 ? "_amd64_" : "_x86_");
    for (const std::string& folder : world.files.childDirectories(repository)) {
        const std::string directory = winpath::Join(repository, folder);
        if (StartsWithNoCase(folder, prefix) && world.files.findFile(winpath::Join(directory, fileName)) != nullptr)
            return InfSource{InfFile::Parse(inf->bytes), directory};
    }
    return std::nullopt;
}

}  // namespace kvt::sim
