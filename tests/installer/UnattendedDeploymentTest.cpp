// Unattended deployment through kvtsim's runner: quiet runs of both programs
// with the exit codes deployment tools read, the port of the command line,
// the quiet removal of a different version, the uninstall entry's values for
// deployment tools, and the interactive program as it always was.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "Installer/setup_common/SetupPauses.h"
#include "tests/support/InstallerRuns.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "tools/kvtsim/UninstallerRun.h"

namespace kvt::installer {
namespace {

constexpr const char* kDeployEntryKey =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";

kvtsim::ProgramRun QuietInstall(sim::World world, const char* args) {
    kvtsim::RunAnswers answers = test::Answers("LPT2", ports::MessageAnswer::Yes);  // must be ignored
    answers.args = args;
    return test::Install(std::move(world), answers);
}

kvtsim::ProgramRun QuietUninstall(sim::World world, const char* args) {
    kvtsim::RunAnswers answers;
    answers.args = args;
    return kvtsim::RunUninstaller(std::move(world), answers);
}

std::string DeployPort(const kvtsim::ProgramRun& run) {
    const auto& printers = run.result["system"]["spooler"]["printers"];
    return printers.empty() ? std::string("(none)") : printers[0]["port"].get<std::string>();
}

bool LogHas(const kvtsim::ProgramRun& run, const std::string& text) {
    return run.result["log"].get<std::string>().find(text) != std::string::npos;
}

// The image after a first installation whose printer records another build.
sim::World OtherVersionInstalled() {
    const kvtsim::ProgramRun first = test::Install(test::SystemWithPackage("win10-x64"), test::Answers("COM1"));
    nlohmann::json image = first.result["system"];
    for (auto& printer : image["spooler"]["printers"])
        printer["data"]["BuildVersion"] = {{"type", "REG_DWORD"}, {"data", 2}};
    sim::World world;
    EXPECT_FALSE(sim::LoadImage(image, world));
    return world;
}

struct ExitRow {
    const char* name;
    const char* os;
    const char* args;
    std::function<void(sim::World&)> edit;
    unsigned exitCode;
    const char* port;  // of the first printer afterwards
    bool restarted;
};

void PrintTo(const ExitRow& row, std::ostream* out) { *out << row.name; }

class QuietInstallExitCode : public testing::TestWithParam<ExitRow> {};

TEST_P(QuietInstallExitCode, EndsWithTheCodeOfWhatItDidAndShowsNothing) {
    const ExitRow& row = GetParam();
    sim::World world = test::SystemWithPackage(row.os);
    if (row.edit) row.edit(world);
    const kvtsim::ProgramRun run = QuietInstall(std::move(world), row.args);
    ASSERT_EQ(run.exitCode, row.exitCode) << run.result["log"].get<std::string>();
    EXPECT_EQ(DeployPort(run), row.port);
    EXPECT_EQ(!run.result["system"]["restart"].is_null(), row.restarted);
    EXPECT_EQ(run.result["uiErrors"], nlohmann::json::array());
    for (const char* kind : {"window", "messageBox", "dialog"}) EXPECT_TRUE(test::Events(run, kind).empty()) << kind;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, QuietInstallExitCode,
    testing::Values(
        ExitRow{"NewDriverNeedsRestart", "win10-x64", "/quiet /port=COM2", {}, 3010, "COM2:", false},
        ExitRow{"CaseAndDashAndForcedRestart", "xp-x86", "-QUIET /Port=com3 /ForceRestart", {}, 1641, "COM3:", true},
        ExitRow{"UsbNeedsNoRestart", "win10-x64", "/quiet /port=USB", {}, 0, "(none)", false},
        ExitRow{"PrintUiHangs", "win10-x64", "/quiet /port=COM2",
                [](sim::World& w) { w.extra["printuiHangs"] = true; }, 1603, "(none)", false},
        ExitRow{"AnotherCopyRuns", "win10-x64", "/quiet", [](sim::World& w) { w.otherInstanceRunning = true; },
                1618, "(none)", false},
        ExitRow{"WindowsNt4", "xp-x86", "/quiet",
                [](sim::World& w) { w.os.major = 4; w.os.minor = 0; }, 1633, "(none)", false},
        ExitRow{"UnknownOption", "win10-x64", "/quiet /port=COM2 /silent", {}, 87, "(none)", false},
        ExitRow{"BadPort", "win10-x64", "/quiet /port=COM9", {}, 87, "(none)", false},
        ExitRow{"BothRestartOptions", "win10-x64", "/quiet /norestart /forcerestart", {}, 87, "(none)", false},
        ExitRow{"Usage", "win10-x64", "/quiet /?", {}, 0, "(none)", false}),
    [](const testing::TestParamInfo<ExitRow>& row) { return std::string(row.param.name); });

TEST(QuietInstall, PortOfTheCommandLineWinsOverTheConfigurationFile) {
    sim::World world = *sim::FreshImage("win10-x64");
    world.files.putFile("C:\\Setup\\KVT580duo_Config.NVX", "[KVT580D]\r\nPORT=LPT1\r\nPORTDLG=TRUE\r\n");
    std::string problem;
    ASSERT_TRUE(kvtsim::PlacePackage(world, kvtsim::DefaultPackageDirectory(), problem)) << problem;
    kvtsim::TrustPackagePublisher(world, kvtsim::DefaultPackageDirectory());
    EXPECT_EQ(DeployPort(QuietInstall(world, "/quiet /port=COM4")), "COM4:");
    // Without /port the file's port, and no dialog although PORTDLG asks for it.
    EXPECT_EQ(DeployPort(QuietInstall(world, "/quiet")), "LPT1:");
}

TEST(QuietInstall, RemovesADifferentVersionAndAsksForTheRunAfterTheRestart) {
    const kvtsim::ProgramRun run = QuietInstall(OtherVersionInstalled(), "/quiet /port=COM2");
    EXPECT_EQ(run.exitCode, 3010u);
    EXPECT_TRUE(run.result["system"]["restart"].is_null());
    EXPECT_TRUE(run.result["system"]["spooler"]["printers"].empty());
    EXPECT_FALSE(test::FindKey(run, kDeployEntryKey));
    EXPECT_TRUE(LogHas(run, "The installation must run again after the restart."));
    EXPECT_TRUE(LogHas(run, "MESSAGE : There is a different version driver in this system."));

    const kvtsim::ProgramRun forced = QuietInstall(OtherVersionInstalled(), "/quiet /forcerestart");
    EXPECT_EQ(forced.exitCode, 1641u);
    EXPECT_FALSE(forced.result["system"]["restart"].is_null());
}

TEST(QuietInstall, SkipsTheReadingPausesButKeepsTheSettlingOnes) {
    const kvtsim::ProgramRun quiet = QuietInstall(test::SystemWithPackage("xp-x86"), "/quiet /port=COM2");
    const kvtsim::ProgramRun shown = test::Install(test::SystemWithPackage("xp-x86"), test::Answers("COM2"));
    const auto sleeps = test::EventField<unsigned>(quiet, "sleep", "ms");
    // The spooler's grace time after its start stays; the step texts' half
    // seconds and the closing two seconds go.
    ASSERT_FALSE(sleeps.empty());
    EXPECT_EQ(sleeps.front(), setup::pause::SpoolerStartGrace.ms);
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), setup::pause::InstallStep.ms), 0);
    EXPECT_LT(quiet.result["elapsedMs"].get<unsigned>() + 5000, shown.result["elapsedMs"].get<unsigned>());
}

TEST(QuietInstall, EntryCarriesTheValuesOfDeploymentToolsUntilTheQuietUninstallation) {
    const kvtsim::ProgramRun installed = QuietInstall(test::SystemWithPackage("win10-x64"), "/quiet /port=COM2");
    ASSERT_EQ(installed.exitCode, 3010u);
    const nlohmann::json* entry = test::FindKey(installed, kDeployEntryKey);
    ASSERT_TRUE(entry);
    const nlohmann::json& values = (*entry)["values"];
    const std::string uninstaller = "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe";
    EXPECT_EQ(values["UninstallString"]["data"], uninstaller);
    EXPECT_EQ(values["DisplayVersion"], (nlohmann::json{{"type", "REG_SZ"}, {"data", "3.4.3"}}));
    EXPECT_EQ(values["Publisher"]["data"], "NORVEX");
    EXPECT_EQ(values["QuietUninstallString"]["data"], "\"" + uninstaller + "\" /quiet");
    EXPECT_EQ(values["DisplayIcon"]["data"], uninstaller);
    EXPECT_EQ(values["NoModify"], (nlohmann::json{{"type", "REG_DWORD"}, {"data", 1}}));
    EXPECT_EQ(values["NoRepair"], (nlohmann::json{{"type", "REG_DWORD"}, {"data", 1}}));
    // The package's 64-bit folder alone is more than a KiB of files.
    EXPECT_EQ(values["EstimatedSize"]["type"], "REG_DWORD");
    EXPECT_GT(values["EstimatedSize"]["data"].get<unsigned>(), 1u);

    const kvtsim::ProgramRun removed = QuietUninstall(test::Reloaded(installed), "/quiet");
    EXPECT_EQ(removed.exitCode, 3010u);
    EXPECT_EQ(removed.result["uiErrors"], nlohmann::json::array());
    EXPECT_TRUE(test::Events(removed, "messageBox").empty());
    EXPECT_TRUE(removed.result["system"]["spooler"]["printers"].empty());
    EXPECT_FALSE(test::FindNamed(removed.result["system"]["spooler"]["drivers"], "NORVEX KVT-580duo"));
    EXPECT_FALSE(test::FindKey(removed, kDeployEntryKey));
}

TEST(QuietUninstall, RemovesEveryPrinterAndRestartsOnlyWhenForced) {
    kvtsim::RunAnswers second = test::Answers("COM3");
    const kvtsim::ProgramRun first = test::Install(test::SystemWithPackage("xp-x86"), test::Answers("COM1"));
    const kvtsim::ProgramRun both = test::Install(test::Reloaded(first), second);
    ASSERT_EQ(both.result["system"]["spooler"]["printers"].size(), 2u);

    const kvtsim::ProgramRun forced = QuietUninstall(test::Reloaded(both), "/quiet /forcerestart");
    EXPECT_EQ(forced.exitCode, 1641u);
    EXPECT_TRUE(forced.result["system"]["spooler"]["printers"].empty());
    EXPECT_FALSE(forced.result["system"]["restart"].is_null());
    EXPECT_TRUE(test::Events(forced, "checkList").empty() || test::Events(forced, "press").empty());

    EXPECT_EQ(QuietUninstall(test::Reloaded(both), "/quiet /port=COM1").exitCode, 87u);
    EXPECT_EQ(QuietUninstall(test::Reloaded(first), "/quiet /norestart").exitCode, 3010u);
    sim::World running = test::Reloaded(first);
    running.otherInstanceRunning = true;
    EXPECT_EQ(QuietUninstall(std::move(running), "/quiet").exitCode, 1618u);
}

TEST(InteractiveInstall, StillEndsWithZeroAndAsksAsBefore) {
    kvtsim::RunAnswers answers = test::Answers("COM2", ports::MessageAnswer::Yes);
    answers.args = "";
    const kvtsim::ProgramRun run = test::Install(test::SystemWithPackage("win10-x64"), answers);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(test::Events(run, "dialog").size(), 1u);
    const auto boxes = test::Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["buttons"], "yesNo");
    EXPECT_FALSE(run.result["system"]["restart"].is_null());
    // "/norestart" answers the restart question for the person.
    answers.args = "/norestart";
    const kvtsim::ProgramRun noRestart = test::Install(test::SystemWithPackage("win10-x64"), answers);
    EXPECT_EQ(noRestart.exitCode, 0u);
    EXPECT_TRUE(test::Events(noRestart, "messageBox").empty());
    EXPECT_TRUE(noRestart.result["system"]["restart"].is_null());
}

}  // namespace
}  // namespace kvt::installer
