#include "platform/sim/SystemFunctions.h"

namespace kvt::sim {
namespace {

struct Release {
    std::uint32_t major, minor;
};

bool AtLeast(const OsImage& os, Release r) {
    return os.major > r.major || (os.major == r.major && os.minor >= r.minor);
}

bool ListedAsMissing(const World& world, std::string_view name) {
    auto it = world.os.extra.find("missingFunctions");
    if (it == world.os.extra.end() || !it->is_array()) return false;
    for (const auto& entry : *it)
        if (entry.is_string() && entry.get_ref<const std::string&>() == name) return true;
    return false;
}

}  // namespace

bool SystemHasFunction(const World& world, std::string_view name) {
    if (world.os.platform != 2 || ListedAsMissing(world, name)) return false;
    const OsImage& os = world.os;
    // Advapi32 gained RegDeleteKeyExA with XP x64 / Server 2003 SP1.
    if (name == "RegDeleteKeyExA") return AtLeast(os, {5, 2});
    // kernel32 has these from XP SP2 on; the images model service-packed releases.
    if (name == "IsWow64Process" || name == "GetSystemWow64DirectoryA") return AtLeast(os, {5, 1});
    if (name == "SetupUninstallOEMInfA") return AtLeast(os, {5, 1});
    return true;
}

}  // namespace kvt::sim
