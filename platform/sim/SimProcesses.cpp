#include <algorithm>
#include <sstream>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

constexpr std::uint32_t kInfinite = 0xFFFFFFFF;
constexpr std::uint32_t kServiceDoesNotExist = 1060;  // ERROR_SERVICE_DOES_NOT_EXIST

std::string FileNameOf(std::string_view path) {
    auto slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::vector<std::string> Words(std::string_view commandLine) {
    std::istringstream in{std::string(commandLine)};
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

constexpr std::uint64_t kNeverEnds = std::uint64_t{1} << 52;
// net waits for the service to report that it stopped.
constexpr std::uint64_t kStopCommandMs = 1000;

// "net stop spooler" and "net start spooler". Like net.exe, a second stop or
// start of the service in the same state fails with exit code 2.
std::optional<ProcessOutcome> RunNetCommand(Simulation& sim, const ports::ProcessStart& start) {
    if (!EqualsNoCase(FileNameOf(start.application), "net.exe")) return std::nullopt;
    std::vector<std::string> words = Words(start.commandLine);
    if (words.size() != 3 || !EqualsNoCase(words[2], "spooler")) return ProcessOutcome{1, 0};
    sim.spooler().serviceState();  // a stop that is due is done by now
    bool& running = sim.world().spooler.running;
    if (EqualsNoCase(words[1], "stop")) {
        if (!running || sim.spooler().stopPending()) return ProcessOutcome{2, 0};
        // With a dependent service running, net asks whether to stop that
        // one too and waits for an answer that a hidden console never gets:
        // the command does not end and the spooler keeps running.
        if (!sim.world().spooler.dependentServices.empty()) return ProcessOutcome{0, kNeverEnds};
        sim.spooler().stopRequested();
        return ProcessOutcome{0, kStopCommandMs};
    }
    if (EqualsNoCase(words[1], "start")) {
        // A service that is still stopping cannot be started yet.
        if (running || sim.spooler().stopPending()) return ProcessOutcome{2, 0};
        running = true;
        sim.spooler().serviceStarted();
        return ProcessOutcome{0, 0};
    }
    return ProcessOutcome{1, 0};
}

}  // namespace

SimProcesses::SimProcesses(Simulation& sim) : sim_(sim) { handlers_.push_back(RunNetCommand); }

void SimProcesses::addHandler(CommandHandler handler) { handlers_.push_back(std::move(handler)); }

std::uint32_t SimProcesses::startProcess(const ports::ProcessStart& start, ports::ProcessHandle& process) {
    if (auto fault = sim_.faults().check("Processes.startProcess")) return sim_.lastError() = *fault;
    // CreateProcess finds the program file through the caller's file-system view.
    std::uint32_t attributes = 0;
    if (std::uint32_t error = sim_.files().getFileAttributes(start.application, attributes)) return error;
    if (attributes & fileattr::Directory) return sim_.lastError() = err::AccessDenied;

    nlohmann::json event{{"event", "process"},
                         {"application", start.application},
                         {"commandLine", start.commandLine},
                         // wShowWindow counts only with STARTF_USESHOWWINDOW set.
                         {"hidden", start.hidden && (start.startupFlags & ports::startf::UseShowWindow) != 0},
                         {"startupFlags", start.startupFlags}};
    if (!start.environment.empty()) event["environment"] = start.environment;
    sim_.transcript().add(std::move(event));
    ProcessOutcome outcome{1, 0};  // a program the simulation does not model ends at once with 1
    for (auto it = handlers_.rbegin(); it != handlers_.rend(); ++it) {
        if (auto handled = (*it)(sim_, start)) {
            outcome = *handled;
            break;
        }
    }
    if (outcome.startError != 0) return sim_.lastError() = outcome.startError;
    process.value = nextHandle_++;
    running_[process.value] = Running{static_cast<std::uint64_t>(sim_.clock().elapsedMs()) + outcome.runMs,
                                      outcome.exitCode};
    return err::Success;
}

std::uint32_t SimProcesses::waitForProcess(ports::ProcessHandle process, std::uint32_t timeoutMs) {
    if (auto fault = sim_.faults().check("Processes.waitForProcess")) {
        sim_.lastError() = *fault;
        return ports::wait::Failed;
    }
    auto it = running_.find(process.value);
    if (it == running_.end()) {
        sim_.lastError() = err::InvalidHandle;
        return ports::wait::Failed;
    }
    std::uint64_t now = sim_.clock().elapsedMs();
    std::uint64_t remaining = it->second.endsAtMs > now ? it->second.endsAtMs - now : 0;
    bool ends = timeoutMs == kInfinite || remaining <= timeoutMs;
    std::uint64_t waited = ends ? remaining : timeoutMs;
    sim_.clock().advance(waited);
    sim_.spooler().serviceState();  // a stop that is done by now shows in the world
    sim_.transcript().add({{"event", "wait"}, {"ms", waited}, {"result", ends ? "signaled" : "timeout"}});
    return ends ? ports::wait::Object0 : ports::wait::Timeout;
}

std::uint32_t SimProcesses::getExitCodeProcess(ports::ProcessHandle process, std::uint32_t& exitCode) {
    if (auto fault = sim_.faults().check("Processes.getExitCodeProcess")) return sim_.lastError() = *fault;
    auto it = running_.find(process.value);
    if (it == running_.end()) return sim_.lastError() = err::InvalidHandle;
    const bool ended = it->second.endsAtMs <= static_cast<std::uint64_t>(sim_.clock().elapsedMs());
    exitCode = ended ? it->second.exitCode : ports::kStillActive;
    return err::Success;
}

void SimProcesses::closeProcess(ports::ProcessHandle process) { running_.erase(process.value); }

std::uint32_t SimProcesses::queryServiceState(std::string_view service, std::uint32_t& state) {
    if (auto fault = sim_.faults().check("Processes.queryServiceState")) return sim_.lastError() = *fault;
    if (!EqualsNoCase(service, "Spooler")) return sim_.lastError() = kServiceDoesNotExist;
    state = sim_.spooler().serviceState();
    return err::Success;
}

}  // namespace kvt::sim
