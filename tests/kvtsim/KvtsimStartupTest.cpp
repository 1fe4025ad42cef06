// kvtsim startup: the setup programs' start-up on an image given as a file or
// on standard input, and its result.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "tests/support/KvtsimCli.h"

namespace kvt::kvtsim {
namespace {

using test::Outcome;
using test::RunCli;

std::string FreshImageText(const char* os) { return sim::SaveImage(*sim::FreshImage(os)).dump(2); }

struct StartupRow {
    const char* name;
    const char* os;
    const char* program;
    const char* logName;
    const char* logLine;  // a line the start-up must have logged
    bool startsSpooler;
};

class KvtsimStartupTest : public testing::TestWithParam<StartupRow> {};

TEST_P(KvtsimStartupTest, LogsTheSystemAndStartsTheSpooler) {
    const StartupRow& row = GetParam();
    Outcome r = RunCli({"startup", row.program, "--system", "-"}, FreshImageText(row.os));
    ASSERT_EQ(r.status, 0) << r.err;
    nlohmann::json result = nlohmann::json::parse(r.out);
    EXPECT_EQ(result["program"], row.program);
    EXPECT_TRUE(result["exitCode"].is_null());
    const std::string log = result["log"];
    EXPECT_NE(log.find(row.logLine), std::string::npos) << log;
    EXPECT_NE(log.find("CheckOS BEGIN\r\n"), std::string::npos);
    EXPECT_EQ(result["system"]["files"].dump().find(row.logName) != std::string::npos, true);

    bool sawNet = false;
    for (const auto& event : result["transcript"]) {
        if (event["event"] != "process") continue;
        sawNet = true;
        EXPECT_EQ(event["application"], "C:\\Windows\\system32\\net.exe");
        EXPECT_EQ(event["commandLine"], "net start spooler");
        EXPECT_EQ(event["hidden"], true);
    }
    EXPECT_EQ(sawNet, row.startsSpooler);
    EXPECT_EQ(result["elapsedMs"], row.startsSpooler ? 2000 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KvtsimStartupTest,
    testing::Values(
        StartupRow{"installer_win10_x64", "win10-x64", "installer", "KVT-580duo_Installer.txt",
                   "ENV : Windows x64, DRV DIR : .\\Driver64\\ \r\n", true},
        StartupRow{"installer_xp_x86", "xp-x86", "installer", "KVT-580duo_Installer.txt",
                   "ENV : Windows NT x86, DRV DIR : .\\Driver32\\ \r\n", true},
        StartupRow{"installer_win7_x64_window", "win7-x64", "installer", "KVT-580duo_Installer.txt",
                   "SetControlPointers END\r\n", true},
        StartupRow{"uninstaller_win7_x64", "win7-x64", "uninstaller", "KVT-580duo_UnInstaller.txt",
                   "The process is running under WOW64.\r\n", false}),
    [](const testing::TestParamInfo<StartupRow>& row) { return row.param.name; });

// The start-up is the window's own initialisation: what it logs is how a full
// run's log begins, line for line.
TEST(KvtsimStartupSameAsRun, StartupLogBeginsTheRunLog) {
    for (const char* program : {"installer", "uninstaller"}) {
        const std::string image = FreshImageText("win10-x64");
        const Outcome startup = RunCli({"startup", program, "--system", "-"}, image);
        const Outcome run = RunCli({"run", program, "--system", "-"}, image);
        ASSERT_EQ(startup.status, 0) << startup.err;
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string startupLog = nlohmann::json::parse(startup.out)["log"];
        const std::string runLog = nlohmann::json::parse(run.out)["log"];
        EXPECT_NE(startupLog.find("CheckOS END"), std::string::npos) << program;
        EXPECT_EQ(runLog.substr(0, startupLog.size()), startupLog) << program;
    }
}

TEST(KvtsimStartupUsage, UnusableInputExitsTwoWithOneLine) {
    const std::string image = FreshImageText("win10-x64");
    struct Row {
        std::vector<std::string> args;
        std::string input;
    } rows[] = {
        {{"startup", "installer"}, image},
        {{"startup", "--system", "-"}, image},
        {{"startup", "printer", "--system", "-"}, image},
        {{"startup", "installer", "--system", "-", "--format", "xml"}, image},
        {{"startup", "installer", "--system", "-"}, image.substr(0, image.size() / 2)},
        {{"startup", "installer", "--system", "-"}, R"({"os": {"major": "ten"}})"},
        {{"startup", "installer", "--system", "/nonexistent/image.json"}, ""},
    };
    for (const Row& row : rows) {
        Outcome r = RunCli(row.args, row.input);
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_EQ(r.err.rfind("kvtsim: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(KvtsimStartupText, ReportShowsTheLogWithPlainLineEnds) {
    Outcome r = RunCli({"startup", "installer", "--system", "-", "--format", "text"}, FreshImageText("xp-x86"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("09:00:00: CheckOS BEGIN\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    EXPECT_NE(r.out.find("-- virtual time: 2000 ms --"), std::string::npos);
}

}  // namespace
}  // namespace kvt::kvtsim
