#pragma once
// The groups of checks that adapter_probe runs, in this order. Each leaves
// the system as it found it, apart from the installer log.
#include <cstdint>
#include <string>

#include "Installer/setup_common/SetupLog.h"
#include "platform/win32/Win32Platform.h"
#include "tests/wine/ProbeReport.h"

namespace kvt::probe {

// The result of naming a trustee that does not exist: Windows says 1332
// (no mapping between account names and security IDs), Wine 87.
inline bool IsUnmappedTrustee(std::uint32_t code) { return code == 1332 || code == 87; }

void CheckSystemInfo(win32::Win32Platform& windows, setup::SetupLog& log, ProbeReport& report);
void CheckRegistry(win32::Win32Platform& windows, setup::SetupLog& log, ProbeReport& report);
// `scratch` is a folder that does not exist yet; the groups make and remove it.
void CheckFiles(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report);
void CheckProcesses(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report);
void CheckEnvironmentBlock(ProbeReport& report);
// The INF store and the USB device list; `scratch` as for CheckFiles.
void CheckDeviceSetup(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report);
// Driver, printer, printer data and forms through the spooler adapter.
void CheckSpooler(win32::Win32Platform& windows, ProbeReport& report);
// Reads the log back: stamps, CR LF, the lines the other groups wrote.
void CheckLogFile(win32::Win32Platform& windows, const setup::SetupLog& log, ProbeReport& report);

}  // namespace kvt::probe
