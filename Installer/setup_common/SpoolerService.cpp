#include "Installer/setup_common/SpoolerService.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "Installer/setup_common/SetupPauses.h"

namespace kvt::setup {
namespace {

// The setup programs stop the spooler themselves; a start that is never
// launched would leave the computer without printing until it restarts, and
// the uninstaller does not always offer that restart. So a start the system
// refuses to launch is tried again every half second, for about five seconds.
// Whether the launched command succeeds is still not awaited: net.exe reports
// a service that already runs as an error, and the callers' pauses give it
// its time.
constexpr int kStartAttempts = 10;

// net.exe is named by its full path in the system directory: a bare "net"
// would be looked for in the setup program's own folder first, where any file
// of that name would run with the installer's rights. True when the command
// was launched.
bool RunNetCommand(ports::Platform& platform, std::string_view commandLine) {
    std::string systemDirectory;
    if (platform.files.getSystemDirectory(systemDirectory) != 0 || systemDirectory.empty()) return false;

    ports::ProcessStart start;
    start.application = systemDirectory + "\\net.exe";
    start.commandLine = std::string(commandLine);
    start.hidden = true;

    ports::ProcessHandle process;
    if (platform.processes.startProcess(start, process) != 0) return false;
    platform.processes.closeProcess(process);
    return true;
}

}  // namespace

void NetStopSpooler(ports::Platform& platform) { RunNetCommand(platform, "net stop spooler"); }

bool LogSpoolerStillRunning(ports::Platform& platform, SetupLog& log) {
    std::uint32_t state = 0;
    if (const std::uint32_t rc = platform.processes.queryServiceState("Spooler", state); rc != 0) {
        log.WriteLog("QueryServiceStatus failed. (%d)", rc);
        return false;
    }
    if (state == ports::service::Stopped) return true;
    log.WriteLog("The print spooler has not stopped (state %u): the files it holds cannot be deleted.", state);
    return false;
}

void NetStartSpooler(ports::Platform& platform) {
    for (int attempt = 1; attempt <= kStartAttempts; ++attempt) {
        if (RunNetCommand(platform, "net start spooler")) return;
        if (attempt < kStartAttempts) platform.clock.sleep(pause::SpoolerRelaunch.ms);
    }
}

}  // namespace kvt::setup
