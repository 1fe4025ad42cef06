#pragma once
// Functions that the programs look up by name at run time, and whether the
// simulated Windows has them. The defaults follow the Windows releases; an
// image can take any of them away with "os": { "missingFunctions": [ ... ] }.
#include <string_view>

#include "platform/sim/World.h"

namespace kvt::sim {

// Names as the programs look them up: "RegDeleteKeyExA", "IsWow64Process",
// "GetSystemWow64DirectoryA", "SetupUninstallOEMInfA",
// "Wow64DisableWow64FsRedirection", "Wow64RevertWow64FsRedirection".
bool SystemHasFunction(const World& world, std::string_view name);

// Whether WOW64 maps <windir>\Sysnative to the real system directory for
// 32-bit programs: on 64-bit Vista and later, and on XP x64 and Server 2003
// x64 only with the update that added the alias ("os": { "sysnative": true }).
bool SysnativeAliasExists(const World& world);

}  // namespace kvt::sim
