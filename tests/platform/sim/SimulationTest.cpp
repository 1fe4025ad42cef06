// The simulated system services: virtual clock, version and WOW64 answers,
// privileges and restart, processes and the spooler commands, faults.
#include <gtest/gtest.h>

#include <optional>

#include "platform/ports/WinCodes.h"
#include "platform/sim/HostedProgram.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/VirtualClock.h"

namespace kvt::sim {
namespace {

World SmallWorld(bool is64Bit) {
    World world;
    world.os.is64Bit = is64Bit;
    world.files.putFile("C:\\Windows\\System32\\net.exe", "simulated system file");
    if (is64Bit) world.files.putFile("C:\\Windows\\SysWOW64\\net.exe", "simulated system file");
    world.files.ensureDirectory("C:\\Setup");
    return world;
}

TEST(VirtualClock, ParsesAndFormatsLocalTime) {
    auto ms = ParseIsoLocalTime("2026-12-08T23:59:58");
    ASSERT_TRUE(ms.has_value());
    EXPECT_EQ(FormatIsoLocalTime(*ms + 2500), "2026-12-09T00:00:00.500");
    ports::LocalTime t = ToLocalTime(*ms + 2000);
    EXPECT_EQ(t.day, 9);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.minute, 0);
    for (const char* bad : {"", "2026-12-08", "2026-13-08T00:00:00", "2026-02-30T00:00:00", "2026-12-08T24:00:00",
                            "2026-12-08T10:00:00Z", "x026-12-08T10:00:00"})
        EXPECT_FALSE(ParseIsoLocalTime(bad).has_value()) << bad;
}

TEST(SimClock, SleepsAdvanceVirtualTimeAndAreRecorded) {
    Simulation sim(SmallWorld(true));
    sim.clockPort().sleep(1500);
    sim.clockPort().sleep(500);
    EXPECT_EQ(sim.clock().elapsedMs(), 2000u);
    EXPECT_EQ(sim.clockPort().localTime().second, 2);
    ASSERT_EQ(sim.transcript().events().size(), 2u);
    EXPECT_EQ(sim.transcript().events()[0], (nlohmann::json{{"event", "sleep"}, {"ms", 1500}}));
    EXPECT_EQ(sim.snapshot().clock, "2026-12-08T09:00:02");
}

TEST(SimSystemInfo, ReportsTheImageVersionAndSixtyFourBitWindows) {
    for (bool is64 : {false, true}) {
        for (Bitness program : {Bitness::x86, Bitness::x64}) {
            if (!is64 && program == Bitness::x64) continue;
            World world = SmallWorld(is64);
            world.os.major = 6;
            world.os.minor = 1;
            world.os.productType = 3;
            Simulation sim(std::move(world), program);
            ports::OsVersionInfo info;
            ASSERT_EQ(sim.system().getVersionEx(info), 0u);
            EXPECT_EQ(info, (ports::OsVersionInfo{2, 6, 1, 19045, 3}));
            bool wow64 = !is64;
            ASSERT_EQ(sim.system().isWow64Process(wow64), 0u);
            EXPECT_EQ(wow64, is64);
            EXPECT_EQ(sim.underWow64(), is64 && program == Bitness::x86);
        }
    }
}

TEST(SimSystemInfo, RestartNeedsTheShutdownPrivilege) {
    for (bool privilege : {true, false}) {
        World world = SmallWorld(true);
        world.shutdownPrivilege = privilege;
        Simulation sim(std::move(world));
        ports::TokenHandle token;
        ASSERT_EQ(sim.system().openProcessToken(0x28, token), 0u);
        std::uint64_t luid = 0;
        ASSERT_EQ(sim.system().lookupPrivilegeValue("SeShutdownPrivilege", luid), 0u);
        sim.system().setLastError(77);
        // The adjustment itself succeeds either way; the last error tells.
        EXPECT_EQ(sim.system().adjustTokenPrivileges(token, luid, 2), 0u);
        EXPECT_EQ(sim.system().getLastError(), privilege ? 0u : err::NotAllAssigned);
        sim.system().closeToken(token);
        EXPECT_EQ(sim.system().openTokenCount(), 0u);
        std::uint32_t result = sim.system().exitWindowsEx(0x12, 0);
        if (privilege) {
            EXPECT_EQ(result, 0u);
            ASSERT_TRUE(sim.world().restart.has_value());
            EXPECT_EQ(sim.world().restart->flags, 0x12u);
        } else {
            EXPECT_NE(result, 0u);
            EXPECT_FALSE(sim.world().restart.has_value());
        }
    }
}

std::string EnglishText(Simulation& sim, std::uint32_t code) {
    std::string text;
    sim.system().formatMessage(code, 0x409, text);
    return text;
}

TEST(SimSystemInfo, EnglishErrorTexts) {
    Simulation sim(SmallWorld(true));
    for (std::uint32_t code : {2u, 3u, 5u, 32u, 80u, 87u, 122u, 126u, 183u, 1722u, 1797u, 1801u, 1802u, 3000u,
                               3001u, 3006u})
        EXPECT_FALSE(EnglishText(sim, code).empty()) << code;
    EXPECT_EQ(EnglishText(sim, 5), "Access is denied.\r\n");
    EXPECT_EQ(EnglishText(sim, 1722), "The RPC server is unavailable.\r\n");
    std::string text = "stale";
    EXPECT_EQ(sim.system().formatMessage(999999, 0x409, text), err::MessageNotFound);
    EXPECT_EQ(text, "");
}

// A German Windows has no English message table: only the system's own
// language answers.
TEST(SimSystemInfo, EnglishTextsOnlyWhereInstalled) {
    World german = SmallWorld(true);
    german.os.uiLanguage = 0x407;
    Simulation sim(std::move(german));
    std::string text;
    EXPECT_EQ(sim.system().formatMessage(5, 0x409, text), err::MuiFileNotFound);
    EXPECT_EQ(text, "");
    EXPECT_EQ(sim.system().formatMessage(5, 0, text), err::Success);
    EXPECT_FALSE(text.empty());
}

ports::ProcessStart Net(const char* application, const char* commandLine) {
    return ports::ProcessStart{application, commandLine, true, {}};
}

TEST(SimProcesses, NetStopsAndStartsTheSpooler) {
    Simulation sim(SmallWorld(true));
    ports::ProcessHandle stop;
    ASSERT_EQ(sim.processes().startProcess(Net("C:\\Windows\\system32\\net.exe", "net stop spooler"), stop), 0u);
    EXPECT_EQ(sim.processes().waitForProcess(stop, 0), ports::wait::Timeout) << "the service takes a moment to stop";
    EXPECT_EQ(sim.processes().waitForProcess(stop, 1000), ports::wait::Object0);
    EXPECT_FALSE(sim.world().spooler.running);
    sim.processes().closeProcess(stop);
    ports::ProcessHandle start;
    ASSERT_EQ(sim.processes().startProcess(Net("C:\\Windows\\system32\\net.exe", "net start spooler"), start), 0u);
    EXPECT_TRUE(sim.world().spooler.running);
    sim.processes().closeProcess(start);
    EXPECT_EQ(sim.processes().openProcessCount(), 0u);
    const auto& events = sim.transcript().events();
    ASSERT_GE(events.size(), 1u);
    EXPECT_EQ(events[0]["commandLine"], "net stop spooler");
    EXPECT_EQ(events[0]["hidden"], true);
}

TEST(SimProcesses, AProgramThatIsNotThereDoesNotStart) {
    Simulation sim(SmallWorld(false));
    ports::ProcessHandle process;
    EXPECT_EQ(sim.processes().startProcess(Net("C:\\Setup\\net.exe", "net stop spooler"), process),
              err::FileNotFound);
    EXPECT_EQ(sim.lastError(), err::FileNotFound);
    EXPECT_TRUE(sim.world().spooler.running);
    EXPECT_TRUE(sim.transcript().events().empty());
}

TEST(SimProcesses, WaitsTimeOutOnALongRun) {
    Simulation sim(SmallWorld(true));
    sim.processes().addHandler([](Simulation&, const ports::ProcessStart& start) -> std::optional<ProcessOutcome> {
        if (start.commandLine != "long") return std::nullopt;
        return ProcessOutcome{0, 5000};
    });
    ports::ProcessHandle process;
    ASSERT_EQ(sim.processes().startProcess(Net("C:\\Windows\\system32\\net.exe", "long"), process), 0u);
    EXPECT_EQ(sim.processes().waitForProcess(process, 1000), ports::wait::Timeout);
    EXPECT_EQ(sim.clock().elapsedMs(), 1000u);
    EXPECT_EQ(sim.processes().waitForProcess(process, 10000), ports::wait::Object0);
    EXPECT_EQ(sim.clock().elapsedMs(), 5000u);
    sim.processes().closeProcess(process);
    EXPECT_EQ(sim.processes().waitForProcess(process, 0), ports::wait::Failed);
}

// A program the composer brings runs as a process of its own bitness, its
// exit code readable once it has ended; the starter's last error and
// bitness survive it. A 64-bit program does not start on 32-bit Windows.
TEST(HostedProgram, RunsWithItsOwnBitnessAndReportsItsExitCode) {
    struct Row {
        const char* name;
        bool windows64;
        Bitness bitness;
        std::uint32_t startResult;
        bool ranUnderWow64;
    };
    const Row rows[] = {
        {"SixtyFourBitProgram", true, Bitness::x64, err::Success, false},
        {"ThirtyTwoBitProgram", true, Bitness::x86, err::Success, true},
        {"SixtyFourBitProgramOn32BitWindows", false, Bitness::x64, kBadExeFormat, false},
    };
    for (const Row& row : rows) {
        World world = SmallWorld(row.windows64);
        world.files.putFile("C:\\Tools\\Helper.exe", "program");
        Simulation sim(std::move(world), Bitness::x86);
        std::optional<bool> underWow64;
        AddHostedProgram(sim, {"HELPER.EXE", row.bitness, 700, [&](ports::Platform& platform, std::string_view line) {
                                   underWow64 = sim.underWow64();
                                   platform.system.setLastError(5);
                                   return line == "helper go" ? 42u : 1u;
                               }});
        sim.lastError() = 87;
            ports::ProcessHandle process;
        EXPECT_EQ(sim.processes().startProcess({"C:\\Tools\\Helper.exe", "helper go", true, {}}, process),
                  row.startResult)
            << row.name;
        EXPECT_EQ(sim.program(), Bitness::x86) << row.name;
        if (row.startResult != err::Success) {
            EXPECT_FALSE(underWow64.has_value()) << row.name;
            continue;
        }
        EXPECT_EQ(sim.lastError(), 87u) << row.name;
        EXPECT_EQ(underWow64, row.ranUnderWow64) << row.name;
        std::uint32_t exitCode = 0;
        ASSERT_EQ(sim.processes().getExitCodeProcess(process, exitCode), err::Success) << row.name;
        EXPECT_EQ(exitCode, ports::kStillActive) << row.name;
        EXPECT_EQ(sim.processes().waitForProcess(process, 1000), ports::wait::Object0) << row.name;
        ASSERT_EQ(sim.processes().getExitCodeProcess(process, exitCode), err::Success) << row.name;
        EXPECT_EQ(exitCode, 42u) << row.name;
    }
}

TEST(Faults, FailTheNthCallOrEveryCall) {
    Simulation sim(SmallWorld(true));
    sim.faults().failCall("SystemInfo.getVersionEx", err::AccessDenied, 2);
    ports::OsVersionInfo info;
    EXPECT_EQ(sim.system().getVersionEx(info), 0u);
    EXPECT_EQ(sim.system().getVersionEx(info), err::AccessDenied);
    EXPECT_EQ(sim.lastError(), err::AccessDenied);
    EXPECT_EQ(sim.system().getVersionEx(info), 0u);
    sim.faults().failCall("SystemInfo.openProcessToken", 1722);
    ports::TokenHandle token;
    EXPECT_EQ(sim.system().openProcessToken(0x28, token), 1722u);
    EXPECT_EQ(sim.system().openProcessToken(0x28, token), 1722u);
    EXPECT_EQ(sim.faults().callCount("SystemInfo.getVersionEx"), 3u);
    sim.faults().clearPlans();
    EXPECT_EQ(sim.system().openProcessToken(0x28, token), 0u);
}

TEST(SimProcessExit, UnwindsWithTheCode) {
    Simulation sim(SmallWorld(true));
    try {
        sim.exitPort().exitProcess(3);
        FAIL() << "exitProcess returned";
    } catch (const ProcessExited& exited) {
        EXPECT_EQ(exited.code, 3u);
    }
    EXPECT_EQ(sim.transcript().events().back(), (nlohmann::json{{"event", "exit"}, {"code", 3}}));
}

}  // namespace
}  // namespace kvt::sim
