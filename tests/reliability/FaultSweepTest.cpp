// The exhaustive fault sweep: each scenario runs once without faults, with
// every port call recorded, and then once per recorded call and code
// (FaultCodes.h: 5, 32, 1722, 122, 2 and the call's own typical refusal; one
// of them per call in builds with the sanitizers) with that one call
// failing. Every faulted run must keep the promises of RunPromises.h: nothing
// escapes, the process ends in the program's own words, and nothing the
// product does not own ends up otherwise than after the unfaulted run.
//
// KVT_SWEEP_CALLS=1 prints the unfaulted run's calls and log first.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/reliability/CrashNote.h"
#include "tests/reliability/FaultCodes.h"
#include "tests/reliability/FaultedRun.h"
#include "tests/reliability/ProductObjects.h"
#include "tests/reliability/RunPromises.h"
#include "tests/reliability/SweepReport.h"
#include "tests/reliability/SweepScenarios.h"

namespace kvt::test {
namespace {

constexpr std::size_t kSweepFailuresShown = 25;

class FaultSweep : public ::testing::TestWithParam<std::size_t> {};

// The one planned fault, and nothing else, happened.
bool FailedExactly(const FaultedRun& run, const RecordedCall& planned, std::uint32_t code) {
    const std::vector<RecordedCall> injected = run.injected();
    return injected.size() == 1 && injected[0].method == planned.method && injected[0].ordinal == planned.ordinal &&
           injected[0].fault == code;
}

TEST_P(FaultSweep, EveryFailingCallKeepsThePromises) {
    const SweepScenario& scenario = SweepScenarios()[GetParam()];
    CrashNote::Arm();
    const auto started = std::chrono::steady_clock::now();

    CrashNote::Set(scenario.name() + ", unfaulted");
    const FaultedRun unfaulted = RunWithFaults(scenario, {}, {});
    ASSERT_TRUE(unfaulted.run) << unfaulted.escaped;
    ASSERT_EQ(unfaulted.run->exitCode, 0u);
    const std::vector<std::string> baseline = BrokenPromises(scenario, unfaulted, unfaulted);
    ASSERT_TRUE(baseline.empty()) << baseline.front();
    // Without faults the run leaves everything not the product's as it found it.
    const sim::World& start = StartOf(scenario);
    const std::vector<std::string> untouched =
        ForeignChanges(start, unfaulted.run->after, ProductObjects(start, {&unfaulted.run->after}));
    EXPECT_TRUE(untouched.empty()) << ::testing::PrintToString(untouched);
    const RunBounds bounds = BoundsAfter(unfaulted.calls.size(), unfaulted.elapsedMs());
    if (std::getenv("KVT_SWEEP_CALLS") != nullptr) {
        // What the sweep is about to fail, for whoever reads a failure.
        for (std::size_t index = 0; index < unfaulted.calls.size(); ++index)
            std::cout << index << " " << CallName(unfaulted.calls[index].method, unfaulted.calls[index].ordinal)
                      << "\n";
        std::cout << unfaulted.run->result["log"].get<std::string>() << std::endl;
    }

    std::size_t runs = 0;
    std::vector<std::string> failures;
    for (std::size_t index = 0; index < unfaulted.calls.size(); ++index) {
        const RecordedCall& call = unfaulted.calls[index];
        for (const std::uint32_t code : SweepCodes(index, call.method)) {
            const std::string name = CallName(call.method, call.ordinal) + " failing with " + std::to_string(code);
            CrashNote::Set(scenario.name() + ", " + name);
            const FaultedRun faulted = RunWithFaults(
                scenario, bounds, [&](sim::Faults& faults) { faults.failCall(call.method, code, call.ordinal); });
            ++runs;
            std::vector<std::string> broken = BrokenPromises(scenario, unfaulted, faulted);
            if (faulted.run && !FailedExactly(faulted, call, code))
                broken.push_back("the planned fault did not happen as planned: the runs are not repeatable");
            if (broken.empty()) continue;
            std::ostringstream text;
            text << name << ":";
            for (const std::string& promise : broken) text << "\n    " << promise;
            failures.push_back(text.str());
        }
    }
    CrashNote::Clear();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ostringstream summary;
    summary << "fault sweep " << scenario.name() << ": " << runs << " faulted runs ("
            << unfaulted.calls.size() << " port calls" << (kSanitizedBuild ? ", one code each" : "") << "), "
            << (failures.empty() ? std::string("all held") : std::to_string(failures.size()) + " broke promises")
            << " [" << static_cast<int>(seconds + 0.5) << " s]";
    ReportSummary("sweep", scenario.identifier(), summary.str());

    std::ostringstream listed;
    for (std::size_t i = 0; i < failures.size() && i < kSweepFailuresShown; ++i) listed << "\n  " << failures[i];
    if (failures.size() > kSweepFailuresShown) listed << "\n  ... and " << failures.size() - kSweepFailuresShown << " more";
    EXPECT_TRUE(failures.empty()) << scenario.name() << ":" << listed.str();
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, ::testing::Range<std::size_t>(0, SweepScenarios().size()),
                         [](const auto& row) { return SweepScenarios()[row.param].identifier(); });

}  // namespace
}  // namespace kvt::test
