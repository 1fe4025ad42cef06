// libFuzzer target of the registry helpers' parsing: the input is a textual
// key path and a permission option (separated by the first line feed), as
// `DeleteRegKeyWithGrant` hands them to `SetRegKeyPermission` and
// `OpenRegKeyPath`. Against the simulated registry every text ends with a
// Windows error code, within the 512-character work buffers, and leaves no
// key open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/Simulation.h"

namespace {

kvt::sim::World WorldWithKeys() {
    kvt::sim::World world;
    world.registry.ensure("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo\\1&2");
    world.registry.ensure("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo");
    world.registry.ensure("HKCU\\Software\\Example");
    world.registry.ensure("HKU\\.DEFAULT\\Software");
    world.registry.ensure("HKCR\\.inf");
    world.registry.find("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo")->isProtected = true;
    return world;
}

void CheckOption(std::string_view option) {
    using kvt::ports::AccessMode;
    const kvt::setup::PermissionOption parsed = kvt::setup::ParsePermissionOption(option);
    if (parsed.result != 0 && parsed.result != kvt::err::InvalidParameter) std::abort();
    if (parsed.result != 0) return;
    if (parsed.trustee.empty() || parsed.trustee.find(':') != std::string_view::npos) std::abort();
    if (option.find(parsed.trustee) == std::string_view::npos) std::abort();
    constexpr std::uint32_t known = kvt::reg::AllAccess | kvt::reg::Read | kvt::reg::WriteRights;
    if ((parsed.rights & ~known) != 0) std::abort();
    const bool readsRights =
        parsed.mode == AccessMode::Grant || parsed.mode == AccessMode::Set || parsed.mode == AccessMode::Deny;
    if (!readsRights && parsed.rights != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    const std::string_view keyPath = input.substr(0, split);
    const std::string_view option = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    CheckOption(option);

    kvt::sim::Simulation sim(WorldWithKeys());
    kvt::ports::Registry& registry = sim.registry();
    kvt::ports::RegKey key;
    const std::uint32_t opened = kvt::setup::OpenRegKeyPath(registry, keyPath, key);
    if (keyPath.empty() && opened != kvt::err::InvalidParameter) std::abort();
    if (opened == 0) registry.closeKey(key);
    kvt::setup::SetRegKeyPermission(registry, keyPath, option);
    if (sim.registry().openHandleCount() != 0) std::abort();
    return 0;
}
