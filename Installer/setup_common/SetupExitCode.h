#pragma once
// The exit codes of a quiet run, the Windows Installer's own conventions,
// which deployment tools already read. An interactive run ends with 0 on
// every path, as it always has; only an unusable command line says 87
// either way, since nothing was done.
#include <cstdint>

namespace kvt::setup {

namespace exitcode {
inline constexpr std::uint32_t Success = 0;
inline constexpr std::uint32_t InvalidParameter = 87;      // ERROR_INVALID_PARAMETER
inline constexpr std::uint32_t InstallFailure = 1603;      // ERROR_INSTALL_FAILURE
inline constexpr std::uint32_t AlreadyRunning = 1618;      // ERROR_INSTALL_ALREADY_RUNNING
inline constexpr std::uint32_t PlatformUnsupported = 1633;  // ERROR_INSTALL_PLATFORM_UNSUPPORTED
inline constexpr std::uint32_t RestartStarted = 1641;      // ERROR_SUCCESS_REBOOT_INITIATED
inline constexpr std::uint32_t RestartNeeded = 3010;       // ERROR_SUCCESS_REBOOT_REQUIRED
}  // namespace exitcode

enum class RunOutcome {
    Done,               // nothing more to do
    RestartNeeded,      // done; the restart it needs was not made
    RestartStarted,     // done; Windows accepted the restart
    Failed,             // the driver is not installed (installer) or still installed (uninstaller)
    AlreadyRunning,     // another copy of the program runs
    UnsupportedSystem,  // the Windows release is too old
    BadCommandLine,
};

constexpr std::uint32_t ExitCodeOf(RunOutcome outcome, bool quiet) {
    if (outcome == RunOutcome::BadCommandLine) return exitcode::InvalidParameter;
    if (!quiet) return exitcode::Success;
    switch (outcome) {
        case RunOutcome::RestartNeeded: return exitcode::RestartNeeded;
        case RunOutcome::RestartStarted: return exitcode::RestartStarted;
        case RunOutcome::Failed: return exitcode::InstallFailure;
        case RunOutcome::AlreadyRunning: return exitcode::AlreadyRunning;
        case RunOutcome::UnsupportedSystem: return exitcode::PlatformUnsupported;
        default: return exitcode::Success;
    }
}

// The outcome of a restart that the run needed: started when Windows
// accepted it (RestartSystem's nonzero), else still needed.
constexpr RunOutcome RestartOutcome(int restartAccepted) {
    return restartAccepted != 0 ? RunOutcome::RestartStarted : RunOutcome::RestartNeeded;
}

}  // namespace kvt::setup
