#include "Installer/setup_common/SpoolerService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "tests/setup_common/SetupTestSupport.h"

namespace kvt::setup {
namespace {

using testing::MakeWorld;
using testing::WorldOptions;

std::vector<nlohmann::json> EventsOf(sim::Simulation& sim, std::string_view kind) {
    std::vector<nlohmann::json> found;
    for (const nlohmann::json& event : sim.transcript().events())
        if (event.value("event", "") == kind) found.push_back(event);
    return found;
}

struct SpoolerRow {
    const char* name;
    bool is64Bit;
    bool runningBefore;
    void (*command)(ports::Platform&);
    const char* commandLine;
    bool runningAfter;
};

class SpoolerServiceTest : public testing::SetupTest, public ::testing::WithParamInterface<SpoolerRow> {};

TEST_P(SpoolerServiceTest, StartsNetByItsFullPathHiddenAndDoesNotWait) {
    const SpoolerRow& r = GetParam();
    WorldOptions options;
    options.is64Bit = r.is64Bit;
    sim::World world = MakeWorld(options);
    world.spooler.running = r.runningBefore;
    // A program's own folder is searched first for a bare name; this one must never run.
    world.files.putFile("C:\\Setup\\net.exe", "planted");
    start(std::move(world));

    r.command(platform());

    const std::vector<nlohmann::json> processes = EventsOf(sim(), "process");
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0]["application"], "C:\\Windows\\system32\\net.exe");
    EXPECT_EQ(processes[0]["commandLine"], r.commandLine);
    EXPECT_EQ(processes[0]["hidden"], true);
    EXPECT_TRUE(EventsOf(sim(), "wait").empty()) << "the callers' fixed pauses do the waiting";
    EXPECT_EQ(sim().processes().openProcessCount(), 0u) << "the process handle is closed at once";
    sim().clockPort().sleep(1000);  // the caller's pause, in which a stopping service stops
    EXPECT_EQ(this->world().spooler.running, r.runningAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpoolerServiceTest,
    ::testing::Values(SpoolerRow{"stop_on_x86", false, true, NetStopSpooler, "net stop spooler", false},
                      SpoolerRow{"start_under_wow64", true, false, NetStartSpooler, "net start spooler", true}),
    [](const ::testing::TestParamInfo<SpoolerRow>& row) { return std::string(row.param.name); });

class SpoolerServiceFailureTest : public testing::SetupTest {};

TEST_F(SpoolerServiceFailureTest, FailuresAreIgnoredAndNothingRunsByABareName) {
    sim::World world = MakeWorld();
    world.files.eraseFile("C:\\Windows\\System32\\net.exe");
    world.files.putFile("C:\\Setup\\net.exe", "planted");
    start(std::move(world));
    NetStopSpooler(platform());
    EXPECT_TRUE(EventsOf(sim(), "process").empty());
    EXPECT_TRUE(this->world().spooler.running);

    sim().faults().failCall("FileSystem.getSystemDirectory", 5);
    NetStartSpooler(platform());
    EXPECT_EQ(sim().faults().callCount("Processes.startProcess"), 1u) << "only the first, failed, attempt";
}

// The programs stop the spooler themselves; a start the system refuses to
// launch must not leave the computer without printing.
struct RelaunchRow {
    const char* name;
    const char* method;
    std::vector<std::uint32_t> failing;  // the calls of `method` that fail; 0: every call
    std::uint32_t launches;              // attempts that reached the process start
    std::size_t pauses;
    bool runningAfter;
};

class SpoolerStartRelaunchTest : public testing::SetupTest, public ::testing::WithParamInterface<RelaunchRow> {};

TEST_P(SpoolerStartRelaunchTest, ARefusedStartIsLaunchedAgainForAboutFiveSeconds) {
    const RelaunchRow& r = GetParam();
    sim::World world = MakeWorld();
    world.spooler.running = false;
    start(std::move(world));
    for (const std::uint32_t nth : r.failing) sim().faults().failCall(r.method, err::AccessDenied, nth);

    NetStartSpooler(platform());

    EXPECT_EQ(sim().faults().callCount("Processes.startProcess"), r.launches);
    EXPECT_EQ(EventsOf(sim(), "sleep").size(), r.pauses);
    for (const nlohmann::json& pause : EventsOf(sim(), "sleep")) EXPECT_EQ(pause["ms"], 500);
    EXPECT_EQ(this->world().spooler.running, r.runningAfter);
    EXPECT_EQ(sim().processes().openProcessCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpoolerStartRelaunchTest,
    ::testing::Values(RelaunchRow{"SystemDirectoryOnce", "FileSystem.getSystemDirectory", {1}, 1, 1, true},
                      RelaunchRow{"LaunchOnce", "Processes.startProcess", {1}, 2, 1, true},
                      RelaunchRow{"LaunchTwice", "Processes.startProcess", {1, 2}, 3, 2, true},
                      RelaunchRow{"LaunchAlways", "Processes.startProcess", {0}, 10, 9, false}),
    [](const ::testing::TestParamInfo<RelaunchRow>& row) { return std::string(row.param.name); });

TEST_F(SpoolerServiceFailureTest, ARefusedStopIsNotTriedAgain) {
    start(MakeWorld());
    sim().faults().failCall("Processes.startProcess", err::AccessDenied, 1);
    NetStopSpooler(platform());
    EXPECT_EQ(sim().faults().callCount("Processes.startProcess"), 1u);
    EXPECT_TRUE(EventsOf(sim(), "sleep").empty());
    EXPECT_TRUE(this->world().spooler.running) << "the service goes on running, as before";
}

}  // namespace
}  // namespace kvt::setup
