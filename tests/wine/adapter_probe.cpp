// Drives the Win32 adapters and the setup support library against a real
// Windows (Wine in the tests): the log, the system checks, registry keys in
// the 64-bit view, files, processes. Prints one line per check and exits 0
// only when every check held.
#include <cstdio>
#include <string>

#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/SetupProgram.h"
#include "platform/win32/Win32Platform.h"
#include "tests/wine/ProbeChecks.h"
#include "tests/wine/ProbeReport.h"

int main() {
    using namespace kvt;
    win32::Win32Platform windows;
    probe::ProbeReport report;

    setup::SetupLog log(windows.files(), windows.clock(), setup::kInstallerLogFileName);
    log.InitLogFile();
    report.check(log.path().ends_with(":\\\\Temp\\KVT-580duo_Installer.txt"), "InitLogFile path", log.path());
    log.WriteLog("\r\n");
    log.WriteLog("AdapterProbe BEGIN");

    probe::CheckSystemInfo(windows, log, report);
    probe::CheckRegistry(windows, log, report);

    std::string windowsDirectory;
    windows.files().getWindowsDirectory(windowsDirectory);
    const std::string scratch = windowsDirectory.substr(0, 3) + "Temp\\KVT-Probe";
    probe::CheckFiles(windows, scratch, report);
    probe::CheckProcesses(windows, scratch, report);
    probe::CheckEnvironmentBlock(report);
    probe::CheckSpooler(windows, report);
    probe::CheckDeviceSetup(windows, scratch + "-Inf", report);

    log.WriteLog("AdapterProbe END");
    probe::CheckLogFile(windows, log, report);

    std::fputs(report.failures() == 0 ? "adapter_probe: all checks held\n" : "adapter_probe: checks failed\n", stdout);
    return report.failures() == 0 ? 0 : 1;
}
