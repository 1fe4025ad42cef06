#include "Installer/setup_common/MachineKeyDeletion.h"

#include <cstdint>

#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {

bool DeleteMachineKey(const RemovalContext& context, std::string_view subKey) {
    ports::Platform& platform = context.platform;
    if (context.wow64 != 0) {
        const std::int32_t rc = MyRegDeleteKeyEx(platform.registry, ports::hkey::LocalMachine, subKey,
                                                 reg::Wow64_64Key, 0);
        const std::uint32_t lastError = platform.system.getLastError();
        if (rc == 0) return true;
        context.log.WriteLog("MyRegDeleteKeyEx failed : %s (%d) ", subKey, lastError);
        return false;
    }
    const std::uint32_t rc = platform.registry.shDeleteKey(ports::hkey::LocalMachine, subKey);
    const std::uint32_t lastError = platform.system.getLastError();
    if (rc == 0) return true;
    context.log.WriteLog("SHDeleteKey failed : %s (%d) ", subKey, lastError);
    return false;
}

}  // namespace kvt::setup
