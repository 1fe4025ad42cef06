#include "Installer/setup_common/SpoolerService.h"

#include <string>
#include <string_view>

namespace kvt::setup {
namespace {

// net.exe is named by its full path in the system directory: a bare "net"
// would be looked for in the setup program's own folder first, where any file
// of that name would run with the installer's rights.
void RunNetCommand(ports::Platform& platform, std::string_view commandLine) {
    std::string systemDirectory;
    if (platform.files.getSystemDirectory(systemDirectory) != 0 || systemDirectory.empty()) return;

    ports::ProcessStart start;
    start.application = systemDirectory + "\\net.exe";
    start.commandLine = std::string(commandLine);
    start.hidden = true;

    ports::ProcessHandle process;
    if (platform.processes.startProcess(start, process) == 0) platform.processes.closeProcess(process);
}

}  // namespace

void NetStopSpooler(ports::Platform& platform) { RunNetCommand(platform, "net stop spooler"); }

void NetStartSpooler(ports::Platform& platform) { RunNetCommand(platform, "net start spooler"); }

}  // namespace kvt::setup
