#pragma once
// The directory ids of INF files ("%11%\file.dll") as SetupGetStringField
// hands fields out: each standard id that names a folder of the system is
// replaced by that folder's path; other numbers stay as written.
#include <string>
#include <string_view>

namespace kvt::sim {

struct World;

std::string SubstituteDirIds(std::string_view field, const World& world);

}  // namespace kvt::sim
