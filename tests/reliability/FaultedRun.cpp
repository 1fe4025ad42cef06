#include "tests/reliability/FaultedRun.h"

#include <exception>

namespace kvt::test {

std::string CallName(const std::string& method, std::uint32_t ordinal) {
    return method + "#" + std::to_string(ordinal);
}

RunBounds BoundsAfter(std::size_t calls, std::uint64_t elapsedMs) {
    return RunBounds{10 * calls + 1000, 10 * elapsedMs + 600000};
}

std::vector<RecordedCall> FaultedRun::injected() const {
    std::vector<RecordedCall> faults;
    for (const RecordedCall& call : calls)
        if (call.fault) faults.push_back(call);
    return faults;
}

std::uint64_t FaultedRun::elapsedMs() const {
    return run ? run->result.value("elapsedMs", std::uint64_t{0}) : 0;
}

FaultedRun RunWithFaults(const SweepScenario& scenario, const RunBounds& bounds,
                         const std::function<void(sim::Faults&)>& plan) {
    FaultedRun outcome;
    auto prepare = [&](sim::Simulation& sim) {
        sim::Faults& faults = sim.faults();
        if (bounds.maxCalls != 0) faults.limitCalls(bounds.maxCalls);
        if (bounds.maxVirtualMs != 0) sim.clock().limitElapsed(bounds.maxVirtualMs);
        faults.observe([&outcome](const sim::Faults::Call& call) {
            outcome.calls.push_back(RecordedCall{std::string(call.method), call.ordinal, call.fault});
        });
        if (plan) plan(faults);
    };
    try {
        outcome.run = RunProgram(scenario, StartOf(scenario), prepare);
    } catch (const sim::RunLimitExceeded& limit) {
        outcome.escaped = "no end: " + limit.reason;
    } catch (const std::exception& error) {
        outcome.escaped = std::string("exception: ") + error.what();
    } catch (...) {
        outcome.escaped = "an exception of unknown type";
    }
    return outcome;
}

}  // namespace kvt::test
