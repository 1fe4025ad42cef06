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
    // kernel32 exports the WOW64 redirection switches from XP x64 / Server
    // 2003 SP1 on; XP's 32-bit kernel32 lacks them.
    if (name == "Wow64DisableWow64FsRedirection" || name == "Wow64RevertWow64FsRedirection")
        return AtLeast(os, {5, 2});
    return true;
}

bool SysnativeAliasExists(const World& world) {
    if (!world.os.is64Bit) return false;
    if (world.os.sysnative) return *world.os.sysnative;
    // WOW64 knows the alias from Vista on; XP x64 and Server 2003 x64 learnt
    // it only with a later update, which an image states with "sysnative".
    return AtLeast(world.os, {6, 0});
}

}  // namespace kvt::sim
