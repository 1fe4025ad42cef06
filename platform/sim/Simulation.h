#pragma once
// One simulated Windows computer with one running program: the world of a
// system image, the program's bitness and thread state, the virtual clock,
// faults and the transcript, and the ports the program works through.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/Platform.h"
#include "platform/sim/Faults.h"
#include "platform/sim/SimDeviceSetup.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimPluginSpooler.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/Transcript.h"
#include "platform/sim/VirtualClock.h"
#include "platform/sim/World.h"

namespace kvt::sim {

enum class Bitness { x86, x64 };

// Thrown by the simulated ExitProcess; the runner catches it. Not derived from
// std::exception so that no handler of the product can swallow it by accident.
struct ProcessExited {
    std::uint32_t code;
};

// Thrown by a window that a run without a person tries to show (a message
// box or a dialog of a quiet run): nobody would ever answer it, so the
// program would wait for ever. The runner catches it; the run has no exit
// code.
struct WindowUnanswered {};

class SimClock final : public ports::Clock {
public:
    explicit SimClock(Simulation& sim) : sim_(sim) {}
    void sleep(std::uint32_t milliseconds) override;
    ports::LocalTime localTime() override;

private:
    Simulation& sim_;
};

class SimSystemInfo final : public ports::SystemInfo {
public:
    explicit SimSystemInfo(Simulation& sim) : sim_(sim) {}
    std::uint32_t getVersionEx(ports::OsVersionInfo& info) override;
    bool hasIsWow64Process() override;
    std::uint32_t isWow64Process(bool& wow64) override;
    std::uint32_t getLastError() override;
    void setLastError(std::uint32_t code) override;
    std::uint32_t formatMessage(std::uint32_t code, std::uint32_t languageId, std::string& text) override;
    std::uint32_t openProcessToken(std::uint32_t access, ports::TokenHandle& token) override;
    std::uint32_t lookupPrivilegeValue(std::string_view name, std::uint64_t& luid) override;
    std::uint32_t adjustTokenPrivileges(ports::TokenHandle token, std::uint64_t luid,
                                        std::uint32_t attributes) override;
    void closeToken(ports::TokenHandle token) override;
    std::uint32_t exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

    std::size_t openTokenCount() const { return openTokens_; }

private:
    Simulation& sim_;
    std::size_t openTokens_ = 0;
    bool shutdownEnabled_ = false;
};

// What a simulated program does when it is started: its exit code and how
// much virtual time it runs.
struct ProcessOutcome {
    std::uint32_t exitCode = 0;
    std::uint64_t runMs = 0;
    // Nonzero: CreateProcess fails with this code and nothing runs.
    std::uint32_t startError = 0;
};
// Carries out a command line the simulated Windows knows; nothing when the
// command is not its own.
using CommandHandler = std::function<std::optional<ProcessOutcome>(Simulation&, const ports::ProcessStart&)>;

class SimProcesses final : public ports::Processes {
public:
    explicit SimProcesses(Simulation& sim);
    // Later handlers are asked first.
    void addHandler(CommandHandler handler);
    std::uint32_t startProcess(const ports::ProcessStart& start, ports::ProcessHandle& process) override;
    std::uint32_t waitForProcess(ports::ProcessHandle process, std::uint32_t timeoutMs) override;
    std::uint32_t getExitCodeProcess(ports::ProcessHandle process, std::uint32_t& exitCode) override;
    void closeProcess(ports::ProcessHandle process) override;
    // Only the spooler is a service of the simulated computer.
    std::uint32_t queryServiceState(std::string_view service, std::uint32_t& state) override;

    std::size_t openProcessCount() const { return running_.size(); }

private:
    Simulation& sim_;
    struct Running {
        std::uint64_t endsAtMs;  // virtual time at which the process ends
        std::uint32_t exitCode;
    };
    std::map<std::uint64_t, Running> running_;
    std::vector<CommandHandler> handlers_;
    std::uint64_t nextHandle_ = 0x100;
};

class SimProcessExit final : public ports::ProcessExit {
public:
    explicit SimProcessExit(Simulation& sim) : sim_(sim) {}
    [[noreturn]] void exitProcess(std::uint32_t code) override;

private:
    Simulation& sim_;
};

class Simulation {
public:
    explicit Simulation(World world, Bitness program = Bitness::x86);
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    World& world() { return world_; }
    const World& world() const { return world_; }
    Bitness program() const { return program_; }
    // Another process's run (RunsAsProcess in OtherProcess.h) takes the
    // bitness of its own program for its time.
    void setProgram(Bitness program) { program_ = program; }
    // A 32-bit program on 64-bit Windows.
    bool underWow64() const { return world_.os.is64Bit && program_ == Bitness::x86; }
    // The spooler environment of the program's own bitness.
    std::string ownEnvironment() const;

    Faults& faults() { return faults_; }
    Transcript& transcript() { return transcript_; }
    const Transcript& transcript() const { return transcript_; }
    VirtualClock& clock() { return clock_; }
    const VirtualClock& clock() const { return clock_; }
    std::uint32_t& lastError() { return lastError_; }

    ports::Platform platform();
    SimRegistry& registry() { return registry_; }
    SimFileSystem& files() { return files_; }
    SimSystemInfo& system() { return system_; }
    SimClock& clockPort() { return clockPort_; }
    SimProcesses& processes() { return processes_; }
    SimProcessExit& exitPort() { return exit_; }
    SimSpooler& spooler() { return spooler_; }
    SimDeviceSetup& deviceSetup() { return deviceSetup_; }
    // The spooler as the driver's plug-in calls it, in the spooler's process.
    SimPluginSpooler& pluginSpooler() { return pluginSpooler_; }

    // The world as an image after the run: the clock moved on by the elapsed
    // virtual time.
    World snapshot() const;

private:
    World world_;
    Bitness program_;
    Faults faults_;
    Transcript transcript_;
    VirtualClock clock_;
    std::uint32_t lastError_ = 0;
    SimRegistry registry_{*this};
    SimFileSystem files_{*this};
    SimSystemInfo system_{*this};
    SimClock clockPort_{*this};
    SimProcesses processes_{*this};
    SimProcessExit exit_{*this};
    SimSpooler spooler_{*this};
    SimDeviceSetup deviceSetup_{*this};
    SimPluginSpooler pluginSpooler_{*this};
};

// English texts of the system error codes, as FormatMessage gives them
// (with the trailing "\r\n"); empty for codes without a text.
std::string SystemErrorText(std::uint32_t code);

}  // namespace kvt::sim
