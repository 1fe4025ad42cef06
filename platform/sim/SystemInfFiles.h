#pragma once
// The system's own INF files as an INF's Include= line finds them: by file
// name in %windir%\inf. Their files come from the driver store folder the
// system installed the INF from, "<inf name>_<architecture>_<suffix>" (the
// architecture "amd64" or "x86") in System32\DriverStore\FileRepository,
// which holds a copy of the INF; an INF without such a folder has no files
// to give.
#include <optional>
#include <string_view>

#include "platform/sim/PrinterInfPackage.h"
#include "platform/sim/World.h"

namespace kvt::sim {

std::optional<InfSource> FindSystemInf(const World& world, std::string_view fileName, InfArchitecture architecture);

// The driver store of the image's system directory.
std::string DriverStoreRepository(const World& world);

}  // namespace kvt::sim
