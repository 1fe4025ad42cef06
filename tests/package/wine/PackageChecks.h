#pragma once
// The groups of checks that package_check runs under wine64 against the
// package folder of the 64-bit driver (dist\Driver64).
#include <string>

#include "tests/wine/ProbeReport.h"

namespace kvt::package_check {

// Stages the files and registers monitor, processor, driver and printer as
// the installer does; `package` is the folder holding the driver files.
void CheckRegistration(const std::string& package, probe::ProbeReport& report);
// What the spooler lists afterwards: the monitor, the driver's record, the printer.
void CheckRegisteredObjects(probe::ProbeReport& report);
// The language monitor's function table, loaded from `dll`, against a port
// monitor that records what reaches it.
void CheckMonitorTable(const std::string& dll, probe::ProbeReport& report);

}  // namespace kvt::package_check
