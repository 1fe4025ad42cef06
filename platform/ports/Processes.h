#pragma once
// Starting other programs: always by the full path of the application, never
// by a bare name that the program's own folder could shadow.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::ports {

// STARTUPINFO.dwFlags bits.
namespace startf {
inline constexpr std::uint32_t UseShowWindow = 0x1;     // STARTF_USESHOWWINDOW
inline constexpr std::uint32_t ForceOnFeedback = 0x40;  // STARTF_FORCEONFEEDBACK
}  // namespace startf

struct ProcessStart {
    std::string application;  // full path of the program file
    std::string commandLine;  // as the child sees it (argv[0] included)
    bool hidden = true;       // SW_HIDE, which takes effect with startf::UseShowWindow only
    // NAME=VALUE entries added to (or replacing in) the parent's environment.
    std::vector<std::string> environment;
    std::uint32_t startupFlags = startf::UseShowWindow;  // STARTUPINFO.dwFlags as it is
};

struct ProcessHandle {
    std::uint64_t value = 0;
};

inline constexpr std::uint32_t kStillActive = 259;  // STILL_ACTIVE

// SERVICE_STATUS.dwCurrentState values.
namespace service {
inline constexpr std::uint32_t Stopped = 1;
inline constexpr std::uint32_t StartPending = 2;
inline constexpr std::uint32_t StopPending = 3;
inline constexpr std::uint32_t Running = 4;
inline constexpr std::uint32_t Paused = 7;
}  // namespace service

namespace wait {
inline constexpr std::uint32_t Object0 = 0;
inline constexpr std::uint32_t Timeout = 258;
inline constexpr std::uint32_t Failed = 0xFFFFFFFF;
}  // namespace wait

class Processes {
public:
    virtual ~Processes() = default;
    // CreateProcessA; the thread handle is closed at once.
    virtual std::uint32_t startProcess(const ProcessStart& start, ProcessHandle& process) = 0;
    // WaitForSingleObject: wait::Object0, wait::Timeout or wait::Failed.
    virtual std::uint32_t waitForProcess(ProcessHandle process, std::uint32_t timeoutMs) = 0;
    // GetExitCodeProcess: 0 or the error code; a process that still runs
    // reports kStillActive.
    virtual std::uint32_t getExitCodeProcess(ProcessHandle process, std::uint32_t& exitCode) = 0;
    virtual void closeProcess(ProcessHandle process) = 0;
    // QueryServiceStatus of a service of this computer: its current state
    // (service::Stopped ... service::Paused) or the error code.
    virtual std::uint32_t queryServiceState(std::string_view service, std::uint32_t& state) = 0;
};

// Ends the program. The Win32 shell calls ExitProcess; the simulation unwinds
// to its runner and records the code.
class ProcessExit {
public:
    virtual ~ProcessExit() = default;
    [[noreturn]] virtual void exitProcess(std::uint32_t code) = 0;
};

}  // namespace kvt::ports
