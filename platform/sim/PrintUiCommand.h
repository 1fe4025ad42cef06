#pragma once
// The system's printer installation as setup programs start it: the command
// line "cmd /c RUNDLL32 printui.dll,PrintUIEntry ..." with the full path of
// cmd.exe in the system directory as the application (a cmd.exe elsewhere is
// not the system's). On 64-bit Windows the cmd.exe the name reaches decides
// the bitness of printui, and with it the environment it installs for. As cmd does, it looks for RUNDLL32 in the current
// directory first unless the child's environment holds
// NoDefaultCurrentDirectoryInExePath: a RUNDLL32.COM, .EXE, .BAT or .CMD
// there runs instead, installs nothing and ends at once. It serves the switches
//   /if  install a printer from an INF: /b printer name, /f INF file,
//        /r port, /m model (the driver's name in the INF);
//   /ia  install only the driver of model /m from INF /f;
//   /u   use the model's driver when it is installed already;
//   /z, /q  (no sharing, no messages) change nothing here.
// The driver is the one the INF names for printui's own architecture
// (see PrinterInfPackage.h), with the system's own INFs of its Include= line
// found as SystemInfFiles.h describes. It is installed as the system does
// it: the INF goes into the INF store through SetupAPI's copy, each file
// into the destination its CopyFiles section has (the version folder "3" of
// the system environment's driver directory, the environment's
// print-processor directory, or the native system directory), and
// monitor, processor and driver are registered with the spooler. /if then
// adds the printer on the port with the "WinPrint" processor, and the
// spooler lets the driver's plug-in set it up. A printer name that is taken
// makes /if fail before it installs anything. An INF that breaks a printer
// INF's rules, or names a file that is not there, installs nothing: the run
// ends with 1797 (ERROR_UNKNOWN_PRINTER_DRIVER) or 2 (ERROR_FILE_NOT_FOUND),
// and, started hidden, shows nobody why.
//
// The run is another process: the program's last error and fault plan are
// not touched. Its exit code is 0, or the Windows error code that stopped it
// (87 for a command line it cannot read). Its effects are there when the
// program's wait begins; the run itself takes virtual time, which two
// top-level image fields set:
//   "printuiRunMs": virtual milliseconds one run takes (default 3000);
//   "printuiHangs": true makes every run hang before it installs anything,
//       as printui does when it waits for an answer in a window nobody
//       sees; the process then ends only after a day.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/Simulation.h"

namespace kvt::sim {

inline constexpr std::uint64_t kPrintUiDefaultRunMs = 3000;
inline constexpr std::uint64_t kPrintUiHangMs = 24ull * 60 * 60 * 1000;

struct PrintUiOptions {
    std::uint64_t runMs = kPrintUiDefaultRunMs;
    bool hangs = false;
};
PrintUiOptions ReadPrintUiOptions(const World& world);

struct PrintUiRequest {
    enum class Action { InstallPrinter, InstallDriver };
    Action action = Action::InstallPrinter;
    std::string printerName, infPath, port, model;
    bool useInstalledDriver = false;
};

// The PrintUIEntry part of a command line; nothing when it is not a printui
// command at all; `error` 87 when it is one with switches printui refuses.
std::optional<PrintUiRequest> ParsePrintUiCommandLine(std::string_view commandLine, std::uint32_t& error);

// A SimProcesses handler (Simulation registers it).
std::optional<ProcessOutcome> RunPrintUiCommand(Simulation& sim, const ports::ProcessStart& start);

}  // namespace kvt::sim
