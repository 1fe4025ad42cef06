// Whole lifetimes of the product as support staff reproduce them, each run
// loading the image the previous one saved: installations, then the
// uninstaller with every printer chosen. Afterwards the system is the one
// before the first installation, but for the logs and the utilities that
// the removal leaves on purpose.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

using ::testing::IsEmpty;

// The product folder under the Windows directory keeps the uninstaller and
// the configuration file, and the system directory its copy of the
// configuration file; the logs are in C:\Temp.
sim::World WithoutWhatTheRemovalLeaves(sim::World world) {
    world = WithoutLogs(std::move(world));
    world.files.eraseDirectory(world.windowsDirectory + "\\KVT-580duo");
    for (const char* systemFolder : {"\\System32", "\\SysWOW64"})
        world.files.eraseFile(world.windowsDirectory + systemFolder + "\\KVT580duo_Config.NVX");
    return world;
}

struct LifetimeRow {
    const char* name;
    const char* os;
    std::vector<std::string> ports;         // one installation each
    std::vector<std::string> printers;      // as the check list shows them
    std::vector<std::string> deletedInOrder;
    friend void PrintTo(const LifetimeRow& row, std::ostream* out) { *out << row.name; }
};

class UninstallScenario : public ::testing::TestWithParam<LifetimeRow> {};

TEST_P(UninstallScenario, InstallationsThenUninstallLeaveTheSystemAsItWas) {
    const LifetimeRow& row = GetParam();
    const sim::World fresh = SystemWithPackage(row.os);

    sim::World world = fresh;
    for (const std::string& port : row.ports) {
        const kvtsim::ProgramRun installation = Install(world, Answers(port));
        ASSERT_EQ(installation.exitCode, 0u) << port;
        world = Reloaded(installation);
    }

    const kvtsim::ProgramRun removal = Uninstall(world, Choice({}));
    ASSERT_EQ(removal.exitCode, 0u);
    const auto lists = Events(removal, "checkList");
    ASSERT_EQ(lists.size(), 1u);
    std::vector<std::string> listed;
    for (const auto& item : lists[0]["items"]) {
        listed.push_back(item["text"]);
        EXPECT_TRUE(item["checked"].get<bool>());
    }
    EXPECT_EQ(listed, row.printers);
    std::vector<std::string> deleted;
    for (const std::string& message : LogMessages(removal))
        if (message.rfind("OBJECT NAME : ", 0) == 0) deleted.push_back(message.substr(14));
    EXPECT_EQ(deleted, row.deletedInOrder);
    EXPECT_EQ(Events(removal, "messageBox").size(), 1u);

    const sim::World after = Reloaded(removal);
    EXPECT_TRUE(after.files.findFile(after.windowsDirectory + "\\KVT-580duo\\KVT580duo_Uninstaller.exe"));
    EXPECT_THAT(ImageDifferences(WithoutWhatTheRemovalLeaves(fresh), WithoutWhatTheRemovalLeaves(after)),
                IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Lifetimes, UninstallScenario,
    ::testing::Values(LifetimeRow{"TwoInstallationsOnXp",
                                  "xp-x86",
                                  {"COM1", "COM2"},
                                  {"NORVEX KVT-580duo", "NORVEX KVT-580duo(#1)"},
                                  {"NORVEX KVT-580duo(#1)", "NORVEX KVT-580duo"}},
                      LifetimeRow{"OneInstallationOnWin10",
                                  "win10-x64",
                                  {"COM1"},
                                  {"NORVEX KVT-580duo"},
                                  {"NORVEX KVT-580duo"}}),
    RowName());

// XP x64 without its update has no Sysnative. A monitor DLL in the real
// system directory (where the system's printer installation puts it) goes
// all the same, and the log shows the name that was not found.
TEST(UninstallOnXpX64, RemovesTheMonitorDllFromTheRealSystemDirectory) {
    const sim::World fresh = SystemWithPackage("xp-x64");
    const kvtsim::ProgramRun installation = Install(fresh, Answers("COM1"));
    ASSERT_EQ(installation.exitCode, 0u);
    sim::World world = Reloaded(installation);
    world.files.putFile("C:\\Windows\\System32\\MON580D.dll", "monitor");

    const kvtsim::ProgramRun removal = Uninstall(world, Choice({}));
    ASSERT_EQ(removal.exitCode, 0u);
    EXPECT_THAT(LogMessages(removal),
                ::testing::Contains("DeleteFile Error : C:\\Windows\\Sysnative\\MON580D.dll , (3)"));
    EXPECT_THAT(ImageDifferences(WithoutWhatTheRemovalLeaves(fresh), WithoutWhatTheRemovalLeaves(Reloaded(removal))),
                IsEmpty());
}

}  // namespace
}  // namespace kvt::test
