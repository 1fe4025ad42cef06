#include "Installer/setup_common/SetupLog.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/ports/WinCodes.h"
#include "tests/setup_common/SetupTestSupport.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::setup {
namespace {

using testing::MakeWorld;
using testing::WorldOptions;

class SetupLogTest : public testing::SetupTest {};

TEST_F(SetupLogTest, LinesAreStampedAndEndInCrLfByteForByte) {
    start(MakeWorld());
    log().WriteLog("CheckOS BEGIN");
    log().WriteLog("\r\n");
    log().WriteLog("osvi.dwMajorVersion : %d", 10u);
    log().WriteLog("SECTION NAME : %s", std::string());
    EXPECT_EQ(logBytes(),
              "09:05:07: CheckOS BEGIN\r\n"
              "09:05:07: \r\n\r\n"
              "09:05:07: osvi.dwMajorVersion : 10\r\n"
              "09:05:07: SECTION NAME : \r\n");
}

TEST_F(SetupLogTest, PathIsTempAtTheRootOfTheWindowsDrive) {
    start(MakeWorld());
    EXPECT_EQ(log().path(), "C:\\\\Temp\\KVT-580duo_Installer.txt");
    ASSERT_NE(world().files.findDirectory("C:\\Temp"), nullptr) << "Temp is created when missing";
    log().WriteLog("x");
    EXPECT_NE(world().files.findFile("C:\\Temp\\KVT-580duo_Installer.txt"), nullptr);
}

TEST_F(SetupLogTest, WindowsOnDriveDLogsToDTemp) {
    WorldOptions options;
    options.windowsDirectory = "D:\\WINNT";
    start(MakeWorld(options));
    log().WriteLog("x");
    EXPECT_NE(world().files.findFile("D:\\Temp\\KVT-580duo_Installer.txt"), nullptr);
    EXPECT_EQ(world().files.findFile("C:\\Temp\\KVT-580duo_Installer.txt"), nullptr);
}

TEST_F(SetupLogTest, UninstallerHasItsOwnFile) {
    start(MakeWorld(), sim::Bitness::x86, kUninstallerLogFileName);
    log().WriteLog("x");
    EXPECT_NE(world().files.findFile("C:\\Temp\\KVT-580duo_UnInstaller.txt"), nullptr);
    EXPECT_EQ(world().files.findFile("C:\\Temp\\KVT-580duo_Installer.txt"), nullptr);
}

TEST_F(SetupLogTest, MessageIsCutTo1013Characters) {
    start(MakeWorld());
    const std::string exact(1013, 'a');
    const std::string longer(2000, 'b');
    log().WriteLog("%s", exact);
    log().WriteLog("%s", longer);
    EXPECT_EQ(logBytes(), "09:05:07: " + exact + "\r\n" + "09:05:07: " + std::string(1013, 'b') + "\r\n");
}

TEST_F(SetupLogTest, EachLineIsOneAppendAndFailuresAreIgnored) {
    start(MakeWorld());
    sim().faults().failCall("FileSystem.appendToFile", 5, 2);
    log().WriteLog("one");
    log().WriteLog("two");
    log().WriteLog("three");
    EXPECT_EQ(sim().faults().callCount("FileSystem.appendToFile"), 3u);
    EXPECT_EQ(logBytes(), "09:05:07: one\r\n09:05:07: three\r\n");
}

TEST_F(SetupLogTest, SecondRunStartsWithAnEmptyFile) {
    sim::World world = MakeWorld();
    world.files.putFile("C:\\Temp\\KVT-580duo_Installer.txt", "09:00:00: earlier run\r\n");
    start(std::move(world));
    log().WriteLog("this run");
    EXPECT_EQ(logBytes(), "09:05:07: this run\r\n");
}

TEST_F(SetupLogTest, OldFileThatCannotBeDeletedIsAppendedTo) {
    sim::World world = MakeWorld();
    world.files.putFile("C:\\Temp\\KVT-580duo_Installer.txt", "09:00:00: earlier run\r\n").inUse = true;
    start(std::move(world));
    log().WriteLog("this run");
    EXPECT_EQ(logBytes(), "09:00:00: earlier run\r\n09:05:07: this run\r\n");
}

TEST_F(SetupLogTest, RunPastMidnightShowsTheClockGoingBack) {
    WorldOptions options;
    options.clock = "2026-12-08T23:59:59";
    start(MakeWorld(options));
    log().WriteLog("before");
    platform().clock.sleep(1500);
    log().WriteLog("after");
    EXPECT_EQ(logBytes(), "23:59:59: before\r\n00:00:00: after\r\n");
}

TEST(SetupLogBeforeInit, WritesNothing) {
    kvtsim::ProductSimulation sim(MakeWorld(), sim::Bitness::x86);
    ports::Platform platform = sim.platform();
    SetupLog log(platform.files, platform.clock, kInstallerLogFileName);
    EXPECT_EQ(log.path(), "");
    log.WriteLog("lost");
    EXPECT_EQ(sim.faults().callCount("FileSystem.appendToFile"), 0u);
    EXPECT_EQ(sim.world().files.findDirectory("C:\\Temp"), nullptr);
}

TEST_F(SetupLogTest, ZeroByteFromCharDirectiveEndsTheLine) {
    start(MakeWorld());
    log().WriteLog("ab%ccd", '\0');
    EXPECT_EQ(logBytes(), "09:05:07: ab\r\n");
}

}  // namespace
}  // namespace kvt::setup

namespace kvt::setup {
namespace {

// Any user may create the Temp folder at the root of the drive. Planted as a
// junction, it would have this program delete and write a file of the log's
// name wherever the junction points.
TEST_F(SetupLogTest, TempFolderThatIsAJunctionGetsNoLog) {
    sim::World planted = MakeWorld();
    planted.files.putFile("C:\\Users\\Clerk\\KVT-580duo_Installer.txt", "the clerk's own file");
    planted.files.ensureDirectory("C:\\Temp").junctionTo = "C:\\Users\\Clerk";
    start(std::move(planted));
    EXPECT_EQ(log().path(), "");
    log().WriteLog("lost");
    EXPECT_EQ(sim().faults().callCount("FileSystem.appendToFile"), 0u);
    EXPECT_EQ(sim().faults().callCount("FileSystem.deleteFile"), 0u);
    EXPECT_EQ(world().files.findFile("C:\\Users\\Clerk\\KVT-580duo_Installer.txt")->bytes, "the clerk's own file");
}

// A link at the log's name is removed at the start as any old log is; one
// that cannot be removed is never written through.
TEST_F(SetupLogTest, LogFileThatIsALinkIsNeverWrittenThrough) {
    sim::World planted = MakeWorld();
    planted.files.putFile("C:\\Windows\\win.ini", "[fonts]\r\n");
    sim::FileRecord& link = planted.files.putFile("C:\\Temp\\KVT-580duo_Installer.txt", "");
    link.linkTo = "C:\\Windows\\win.ini";
    link.inUse = true;
    start(std::move(planted));
    log().WriteLog("this run");
    EXPECT_EQ(world().files.findFile("C:\\Windows\\win.ini")->bytes, "[fonts]\r\n");
    EXPECT_EQ(sim().lastError(), err::CantAccessFile);
}

}  // namespace
}  // namespace kvt::setup
