#pragma once
// Freshly installed Windows systems, one per release that support staff
// reproduce: the starting point of scenarios and of `kvtsim image`.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/World.h"

namespace kvt::sim {

// "xp-x86", "xp-x64", "vista-x86", "win7-x86", "win7-x64", "win10-x64".
const std::vector<std::string>& KnownOsNames();
// Nothing for a name that KnownOsNames() does not hold.
std::optional<World> FreshImage(std::string_view osName);

}  // namespace kvt::sim
