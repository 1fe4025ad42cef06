#pragma once
// One run of a scenario's program with faults planned, as the sweep and the
// campaign make it: every port call recorded (method, ordinal, the fault it
// met), the run bounded in port calls and virtual time, and whatever escapes
// the program caught and kept instead of ending the test binary.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/Simulation.h"
#include "tests/reliability/SweepScenarios.h"
#include "tools/kvtsim/ProgramRun.h"

namespace kvt::test {

struct RecordedCall {
    std::string method;
    std::uint32_t ordinal = 0;  // among the calls of the method, 1-based
    std::optional<std::uint32_t> fault;
};

// "Spooler.addMonitor#2"
std::string CallName(const std::string& method, std::uint32_t ordinal);

struct RunBounds {
    std::uint64_t maxCalls = 0;
    std::uint64_t maxVirtualMs = 0;
};

// Bounds for faulted runs of a scenario whose unfaulted run made `calls`
// port calls in `elapsedMs`: a faulted run may take other paths, but none
// that is ten times as long, and none beyond ten minutes of waits more.
RunBounds BoundsAfter(std::size_t calls, std::uint64_t elapsedMs);

struct FaultedRun {
    std::optional<kvtsim::ProgramRun> run;  // empty when something escaped the program
    std::string escaped;                    // what escaped, if anything
    std::vector<RecordedCall> calls;

    std::vector<RecordedCall> injected() const;
    std::uint64_t elapsedMs() const;
};

// Runs the scenario from its start image; `plan` plans the faults.
FaultedRun RunWithFaults(const SweepScenario& scenario, const RunBounds& bounds,
                         const std::function<void(sim::Faults&)>& plan);

}  // namespace kvt::test
