// The seeded fault campaign: many runs of each scenario in which every port
// call fails with a small probability, drawn from one std::mt19937_64 stream
// per run, with the codes of FaultCodes.h. Where the sweep fails one call at a
// time, the campaign meets the combinations: a second failure on the path
// that the first one opened. Each run keeps the promises of RunPromises.h.
//
// A run's seed is the scenario's number times 1000000 plus the run's number,
// so the seed alone names the scenario and replays the run exactly:
//   KVT_FAULT_SEED=4000117 kvt_reliability_tests --gtest_filter='FaultCampaign*'
// runs just that seed and prints every fault it injected.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/reliability/CrashNote.h"
#include "tests/reliability/FaultCodes.h"
#include "tests/reliability/FaultedRun.h"
#include "tests/reliability/RunPromises.h"
#include "tests/reliability/SweepReport.h"
#include "tests/reliability/SweepScenarios.h"

namespace kvt::test {
namespace {

constexpr std::uint64_t kRunsPerScenario = kSanitizedBuild ? 50 : 500;
constexpr std::uint64_t kSeedsPerScenario = 1000000;
// The probability of a call failing makes about three failures in a run as
// long as the scenario's unfaulted one; it is derived from that run, which
// is always the same, so a seed still replays.
constexpr double kFaultsPerRun = 3.0;
constexpr std::size_t kCampaignFailuresShown = 10;

std::optional<std::uint64_t> SeedFromEnvironment() {
    const char* text = std::getenv("KVT_FAULT_SEED");
    if (text == nullptr || *text == '\0') return std::nullopt;
    char* end = nullptr;
    const unsigned long long seed = std::strtoull(text, &end, 10);
    if (end == nullptr || *end != '\0') {
        ADD_FAILURE() << "KVT_FAULT_SEED must be a decimal number, not \"" << text << "\"";
        return std::nullopt;
    }
    return seed;
}

std::string Injected(const FaultedRun& run) {
    std::string text;
    for (const RecordedCall& call : run.injected())
        text += (text.empty() ? "" : ", ") + CallName(call.method, call.ordinal) + "=" + std::to_string(*call.fault);
    return text.empty() ? std::string("none") : text;
}

class FaultCampaign : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultCampaign, SeededRunsKeepThePromises) {
    const SweepScenario& scenario = SweepScenarios()[GetParam()];
    const std::uint64_t firstSeed = static_cast<std::uint64_t>(scenario.number) * kSeedsPerScenario;
    const std::optional<std::uint64_t> only = SeedFromEnvironment();
    if (only && *only / kSeedsPerScenario != static_cast<std::uint64_t>(scenario.number))
        GTEST_SKIP() << "KVT_FAULT_SEED=" << *only << " belongs to another scenario";
    CrashNote::Arm();
    const auto started = std::chrono::steady_clock::now();

    CrashNote::Set(scenario.name() + ", unfaulted");
    const FaultedRun unfaulted = RunWithFaults(scenario, {}, {});
    ASSERT_TRUE(unfaulted.run) << unfaulted.escaped;
    const RunBounds bounds = BoundsAfter(unfaulted.calls.size(), unfaulted.elapsedMs());
    const double probability = kFaultsPerRun / static_cast<double>(unfaulted.calls.size());

    std::vector<std::uint64_t> seeds;
    if (only) seeds.push_back(*only);
    for (std::uint64_t run = 0; !only && run < kRunsPerScenario; ++run) seeds.push_back(firstSeed + run);

    std::size_t faults = 0;
    std::vector<std::string> failures;
    for (const std::uint64_t seed : seeds) {
        CrashNote::Set(scenario.name() + ", seed " + std::to_string(seed) + " (KVT_FAULT_SEED=" +
                       std::to_string(seed) + " replays it)");
        const FaultedRun faulted = RunWithFaults(scenario, bounds, [=](sim::Faults& plan) {
            plan.failRandomly(seed, probability, FaultCodesFor);
        });
        faults += faulted.injected().size();
        const std::vector<std::string> broken = BrokenPromises(scenario, unfaulted, faulted);
        if (only)
            std::cout << "seed " << seed << " injected: " << Injected(faulted) << "\nlast words: "
                      << (faulted.run ? LastWords(*faulted.run) : faulted.escaped) << std::endl;
        if (broken.empty()) continue;
        std::ostringstream text;
        text << "seed " << seed << " (replay: KVT_FAULT_SEED=" << seed << "), injected " << Injected(faulted) << ":";
        for (const std::string& promise : broken) text << "\n    " << promise;
        failures.push_back(text.str());
    }
    CrashNote::Clear();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ostringstream summary;
    summary << "fault campaign " << scenario.name() << ": " << seeds.size() << " seeded runs (seeds " << seeds.front()
            << (seeds.size() > 1 ? ".." + std::to_string(seeds.back()) : std::string()) << ", p=" << probability
            << "), " << faults << " faults injected, "
            << (failures.empty() ? std::string("all held") : std::to_string(failures.size()) + " broke promises")
            << " [" << static_cast<int>(seconds + 0.5) << " s]";
    if (only) std::cout << summary.str() << std::endl;
    else ReportSummary("campaign", scenario.identifier(), summary.str());

    std::ostringstream listed;
    for (std::size_t i = 0; i < failures.size() && i < kCampaignFailuresShown; ++i) listed << "\n  " << failures[i];
    if (failures.size() > kCampaignFailuresShown) listed << "\n  ... and " << failures.size() - kCampaignFailuresShown << " more";
    EXPECT_TRUE(failures.empty()) << scenario.name() << ":" << listed.str();
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultCampaign, ::testing::Range<std::size_t>(0, SweepScenarios().size()),
                         [](const auto& row) { return SweepScenarios()[row.param].identifier(); });

}  // namespace
}  // namespace kvt::test
