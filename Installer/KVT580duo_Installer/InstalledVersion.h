#pragma once
// Which version of the product, if any, the system already has: the version
// values that the driver's plug-in records on each of its printers, or the
// leftovers of an installation that has no printer any more.
#include <string_view>

#include "Installer/setup_common/ProductConfiguration.h"
#include "platform/ports/Spooler.h"

namespace kvt::installer {

namespace installed {
inline constexpr int OlderOrUnknown = 0;  // older, unreadable, or only leftovers
inline constexpr int Newer = 1;
inline constexpr int Nothing = 2;
inline constexpr int Same = 3;
}  // namespace installed

// Compares `product` with the version recorded by the first local printer
// whose driver is `driverName` (exact, case-sensitive). Without such a
// printer a registered driver of that name (caller's own environment) or a
// print processor named `processorName` counts as a leftover.
int CompareInstalledDriverVersion(ports::Spooler& spooler, std::string_view driverName,
                                  std::string_view processorName, const setup::ProductVersion& product);

}  // namespace kvt::installer
