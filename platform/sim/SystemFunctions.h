#pragma once
// Functions that the programs look up by name at run time, and whether the
// simulated Windows has them. The defaults follow the Windows releases; an
// image can take any of them away with "os": { "missingFunctions": [ ... ] }.
#include <string_view>

#include "platform/sim/World.h"

namespace kvt::sim {

// Names as the programs look them up: "RegDeleteKeyExA", "IsWow64Process",
// "GetSystemWow64DirectoryA", "SetupUninstallOEMInfA".
bool SystemHasFunction(const World& world, std::string_view name);

}  // namespace kvt::sim
