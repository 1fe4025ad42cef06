#include "Installer/setup_common/SystemChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/setup_common/SetupTestSupport.h"

namespace kvt::setup {
namespace {

using testing::MakeWorld;
using testing::WorldOptions;

struct OsRow {
    const char* name;
    std::uint32_t platform, major, minor;
    std::uint8_t productType;
    int code;
};

class OsCodeTable : public ::testing::TestWithParam<OsRow> {};

TEST_P(OsCodeTable, MapsVersionToCode) {
    const OsRow& r = GetParam();
    EXPECT_EQ(OsCodeFor(ports::OsVersionInfo{r.platform, r.major, r.minor, 1234, r.productType}), r.code);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OsCodeTable,
    ::testing::Values(OsRow{"Windows95", 1, 4, 0, 0, 2000}, OsRow{"Windows98", 1, 4, 10, 0, 2001},
                      OsRow{"WindowsMe", 1, 4, 90, 0, 2002}, OsRow{"NineX_4_20", 1, 4, 20, 0, 2010},
                      OsRow{"NineX_major_5", 1, 5, 0, 0, 2010}, OsRow{"NT_3_51", 2, 3, 51, 1, 2003},
                      OsRow{"NT4", 2, 4, 0, 1, 2003}, OsRow{"Windows2000", 2, 5, 0, 1, 2004},
                      OsRow{"WindowsXP", 2, 5, 1, 1, 2005}, OsRow{"XPx64_workstation", 2, 5, 2, 1, 2006},
                      OsRow{"Server2003", 2, 5, 2, 3, 2006}, OsRow{"NT_5_3", 2, 5, 3, 1, 2010},
                      OsRow{"Vista", 2, 6, 0, 1, 2007}, OsRow{"Server2008_domain_controller", 2, 6, 0, 2, 2008},
                      OsRow{"Server2008", 2, 6, 0, 3, 2008}, OsRow{"Server2008R2", 2, 6, 1, 3, 2009},
                      OsRow{"Windows7", 2, 6, 1, 1, 2010}, OsRow{"Windows8", 2, 6, 2, 1, 2010},
                      OsRow{"Windows10", 2, 10, 0, 1, 2010}, OsRow{"Major7", 2, 7, 0, 3, 2010},
                      OsRow{"Win32s", 0, 3, 10, 0, 2010}, OsRow{"WindowsCE", 3, 5, 0, 0, 2010}),
    [](const ::testing::TestParamInfo<OsRow>& row) { return std::string(row.param.name); });

class SystemChecksTest : public testing::SetupTest {};

TEST_F(SystemChecksTest, CheckOsLogsTheVersionFields) {
    sim::World world = MakeWorld();
    world.os.major = 5;
    world.os.minor = 1;
    world.os.build = 2600;
    start(std::move(world));
    EXPECT_EQ(CheckOS(platform(), log()), 2005);
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"", "", "CheckOS BEGIN", "osvi.dwPlatformID   : 2",
                                                       "osvi.dwMajorVersion : 5", "osvi.dwMinorVersion : 1",
                                                       "osvi.dwBuildNumber  : 2600", "CheckOS END"}));
}

TEST_F(SystemChecksTest, CheckOsAsksOnceMoreThenGivesUpWith2010) {
    sim::World world = MakeWorld();
    world.os.major = 6;
    world.os.minor = 0;
    start(std::move(world));
    sim().faults().failCall("SystemInfo.getVersionEx", 87, 1);
    EXPECT_EQ(CheckOS(platform(), log()), 2007);
    EXPECT_EQ(sim().faults().callCount("SystemInfo.getVersionEx"), 2u);

    sim().faults().failCall("SystemInfo.getVersionEx", 87);
    EXPECT_EQ(CheckOS(platform(), log()), 2010);
    EXPECT_EQ(sim().faults().callCount("SystemInfo.getVersionEx"), 4u);
    EXPECT_EQ(logMessages().at(11), "osvi.dwPlatformID   : 0") << "a record that stays cleared";
}

struct Wow64Row {
    const char* name;
    bool is64Bit;
    sim::Bitness program;
    const char* failingCall;  // nullptr: none
    bool functionMissing;
    int flag;
};

class IsWow64Test : public testing::SetupTest, public ::testing::WithParamInterface<Wow64Row> {};

TEST_P(IsWow64Test, ReportsAndLogsTheFlag) {
    const Wow64Row& r = GetParam();
    WorldOptions options;
    options.is64Bit = r.is64Bit;
    sim::World world = MakeWorld(options);
    if (r.functionMissing) world.os.extra["missingFunctions"] = {"IsWow64Process"};
    start(std::move(world), r.program);
    if (r.failingCall != nullptr) sim().faults().failCall(r.failingCall, 5);
    EXPECT_EQ(IsWow64(platform(), log()), r.flag);
    EXPECT_EQ(logMessages(), std::vector<std::string>{r.flag != 0 ? "The process is running under WOW64."
                                                                  : "The process is not running under WOW64."});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IsWow64Test,
    ::testing::Values(Wow64Row{"x86_program_on_x64", true, sim::Bitness::x86, nullptr, false, 1},
                      Wow64Row{"x64_build_on_x64", true, sim::Bitness::x64, nullptr, false, 1},
                      Wow64Row{"x86_program_on_x86", false, sim::Bitness::x86, nullptr, false, 0},
                      Wow64Row{"function_missing", true, sim::Bitness::x86, nullptr, true, 0},
                      Wow64Row{"query_fails", true, sim::Bitness::x86, "SystemInfo.isWow64Process", false, 0}),
    [](const ::testing::TestParamInfo<Wow64Row>& row) { return std::string(row.param.name); });

struct RestartRow {
    const char* name;
    bool shutdownPrivilege;
    const char* failingCall;  // nullptr: none
    int result;
};

class RestartSystemTest : public testing::SetupTest, public ::testing::WithParamInterface<RestartRow> {};

TEST_P(RestartSystemTest, RestartsOnlyWhenEverythingHolds) {
    const RestartRow& r = GetParam();
    sim::World image = MakeWorld();
    image.shutdownPrivilege = r.shutdownPrivilege;
    start(std::move(image));
    // A stale error from earlier work must not count against the privilege.
    sim().lastError() = 5;
    if (r.failingCall != nullptr) sim().faults().failCall(r.failingCall, 1115);

    EXPECT_EQ(RestartSystem(platform()), r.result);
    EXPECT_EQ(sim().system().openTokenCount(), 0u) << "the token is closed on every path";
    if (r.result != 0) {
        ASSERT_TRUE(world().restart.has_value());
        EXPECT_EQ(world().restart->flags, 0x12u) << "EWX_REBOOT | EWX_FORCEIFHUNG, never EWX_FORCE";
        EXPECT_EQ(world().restart->reason, 0u);
    } else {
        EXPECT_FALSE(world().restart.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RestartSystemTest,
    ::testing::Values(RestartRow{"accepted", true, nullptr, 1}, RestartRow{"privilege_not_held", false, nullptr, 0},
                      RestartRow{"token_cannot_be_opened", true, "SystemInfo.openProcessToken", 0},
                      RestartRow{"privilege_lookup_fails", true, "SystemInfo.lookupPrivilegeValue", 0},
                      RestartRow{"adjustment_fails", true, "SystemInfo.adjustTokenPrivileges", 0},
                      RestartRow{"restart_refused", true, "SystemInfo.exitWindowsEx", 0}),
    [](const ::testing::TestParamInfo<RestartRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::setup
