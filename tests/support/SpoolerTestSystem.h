#pragma once
// A simulated system ready for the product's spooler registrations: the
// driver files staged in the driver directory, the language monitor DLL in
// the system directory and the print processor DLL in its folder, as the
// installer leaves them before it calls the spooler.
#include <string>
#include <string_view>

#include "platform/ports/Spooler.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/World.h"

namespace kvt::test {

inline constexpr std::string_view kDriverName = "NORVEX KVT-580duo";
inline constexpr std::string_view kMonitorName = "NVX Language Monitor KVT580duo";
inline constexpr std::string_view kMonitorDll = "MON580D.dll";
inline constexpr std::string_view kProcessorName = "NVX PRINT PROCESSOR KVT580duo";
inline constexpr std::string_view kProcessorDll = "PRO580D.dll";

// "W32X86" or "x64".
std::string EnvironmentFolder(std::string_view environment);
std::string DriverDirectory(const sim::World& world, std::string_view environment);
std::string ProcessorDirectory(const sim::World& world, std::string_view environment);

// Places the product's files for `environment` where the spooler looks for
// them; the modules are the native package's loadable stand-ins of the
// environment's machine.
void StageProductFiles(sim::World& world, std::string_view environment);

// The records the installer hands the spooler.
ports::DriverInfo3 ProductDriver(std::string_view environment);
ports::MonitorInfo2 ProductMonitor(std::string_view environment);
ports::PrinterInfo2 ProductPrinter(std::string_view name, std::string_view port = "COM1:");

// Registers monitor, processor and driver as the installer does; true when
// every call succeeded. The spooler is first told the data types of the
// product's processor.
bool RegisterProduct(sim::SimSpooler& spooler, std::string_view environment);

}  // namespace kvt::test
