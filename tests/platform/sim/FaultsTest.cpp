// The random fault plan and the run bounds of the simulated Windows: a seed
// gives the same faults for the same calls, so a seeded run replays exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/Faults.h"
#include "platform/sim/VirtualClock.h"

namespace kvt::sim {
namespace {

const std::vector<std::string> kMethods{"Registry.openKey", "Spooler.openPrinter", "FileSystem.deleteFile",
                                        "Spooler.addMonitor"};

// The faults of 2000 calls, cycling through kMethods.
std::vector<std::optional<std::uint32_t>> Draw(Faults& faults) {
    std::vector<std::optional<std::uint32_t>> drawn;
    for (std::size_t i = 0; i < 2000; ++i) drawn.push_back(faults.check(kMethods[i % kMethods.size()]));
    return drawn;
}

std::size_t Failed(const std::vector<std::optional<std::uint32_t>>& drawn) {
    std::size_t count = 0;
    for (const auto& fault : drawn) count += fault.has_value();
    return count;
}

TEST(FaultsRandomPlan, TheSeedAloneGivesTheSameFaults) {
    Faults first, second, other;
    first.failRandomly(4000117, 0.05, {5, 32});
    second.failRandomly(4000117, 0.05, {5, 32});
    other.failRandomly(4000118, 0.05, {5, 32});
    const auto drawn = Draw(first);
    EXPECT_EQ(drawn, Draw(second));
    EXPECT_NE(drawn, Draw(other));
    // About one call in twenty fails, with the codes given.
    EXPECT_GT(Failed(drawn), 60u);
    EXPECT_LT(Failed(drawn), 140u);
    for (const auto& fault : drawn) {
        if (fault) {
            EXPECT_TRUE(*fault == 5 || *fault == 32) << *fault;
        }
    }
}

TEST(FaultsRandomPlan, ProbabilityBoundsAndCodesPerMethod) {
    Faults never, always;
    never.failRandomly(1, 0.0, {5});
    EXPECT_EQ(Failed(Draw(never)), 0u);
    always.failRandomly(1, 1.0, [](std::string_view method) {
        // A method without codes never fails.
        return method == "Spooler.addMonitor" ? std::vector<std::uint32_t>{3006} : std::vector<std::uint32_t>{};
    });
    const auto drawn = Draw(always);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (kMethods[i % kMethods.size()] == "Spooler.addMonitor") EXPECT_EQ(drawn[i], 3006u);
        else EXPECT_FALSE(drawn[i]);
    }
}

TEST(FaultsRandomPlan, APlannedCallWinsWithoutShiftingTheStream) {
    Faults plain, planned;
    plain.failRandomly(77, 0.05, {2});
    planned.failRandomly(77, 0.05, {2});
    planned.failCall("Registry.openKey", 1722, 3);
    const auto expected = Draw(plain);
    const auto drawn = Draw(planned);
    EXPECT_EQ(drawn[8], 1722u);  // the third call of Registry.openKey
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (i != 8) {
            EXPECT_EQ(drawn[i], expected[i]) << i;
        }
    }
}

TEST(FaultsObserver, SeesEveryRecordedCallWithItsOrdinalAndFault) {
    Faults faults;
    std::vector<std::string> seen;
    faults.observe([&](const Faults::Call& call) {
        seen.push_back(std::string(call.method) + "#" + std::to_string(call.ordinal) +
                       (call.fault ? "=" + std::to_string(*call.fault) : ""));
    });
    faults.failCall("Spooler.openPrinter", 1801, 2);
    faults.check("Spooler.openPrinter");
    faults.check("Registry.openKey");
    faults.suspend();
    faults.check("Spooler.openPrinter");  // another process's call
    faults.resume();
    faults.check("Spooler.openPrinter");
    EXPECT_EQ(seen, (std::vector<std::string>{"Spooler.openPrinter#1", "Registry.openKey#1",
                                              "Spooler.openPrinter#2=1801"}));
}

TEST(RunLimits, CallsAndVirtualTimeBeyondTheBoundsEndTheRun) {
    Faults faults;
    faults.limitCalls(3);
    for (int i = 0; i < 3; ++i) faults.check("Registry.openKey");
    EXPECT_THROW(faults.check("Registry.openKey"), RunLimitExceeded);

    VirtualClock clock;
    clock.limitElapsed(10000);
    clock.advance(10000);
    EXPECT_THROW(clock.advance(1), RunLimitExceeded);
}

}  // namespace
}  // namespace kvt::sim
