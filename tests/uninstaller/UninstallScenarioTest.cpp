// Whole lifetimes of the product as support staff reproduce them, each run
// loading the image the previous one saved: installations, then the
// uninstaller with every printer chosen. Afterwards the system is the one
// before the first installation, but for the logs and the utilities that
// the removal leaves on purpose.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

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

constexpr const char* kDeviceRemovalCopy = "\\KVT-580duo\\KVT580duo_DeviceRemoval.exe";

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

    // The printer was plugged in meanwhile: its USB nodes are there.
    const bool windows64 = world.os.is64Bit;
    EXPECT_EQ(world.files.findFile(world.windowsDirectory + kDeviceRemovalCopy) != nullptr, windows64);
    world.devices.push_back({"USB", "USB\\VID_2E9C&PID_000B\\5&1", {"USB\\VID_2E9C&PID_000B&REV_0100"}, {}});
    world.devices.push_back({"USB", "USB\\VID_2E9C&PID_000B\\6&2", {"usb\\vid_2e9c&pid_000b"}, {}});

    const kvtsim::ProgramRun removal = Uninstall(world, Choice({}));
    ASSERT_EQ(removal.exitCode, 0u);
    // On 64-bit Windows the nodes go through the 64-bit program, which goes too.
    const auto started = Events(removal, "process");
    const bool ranProgram = std::any_of(started.begin(), started.end(), [&](const nlohmann::json& process) {
        return process["application"] == world.windowsDirectory + kDeviceRemovalCopy;
    });
    EXPECT_EQ(ranProgram, windows64);
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
    EXPECT_FALSE(after.files.findFile(after.windowsDirectory + kDeviceRemovalCopy));
    for (const std::string& message : LogMessages(removal))
        EXPECT_EQ(message.find("device removal program"), std::string::npos) << message;
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
                                  {"NORVEX KVT-580duo"}},
                      LifetimeRow{"TwoInstallationsOnWin7",
                                  "win7-x64",
                                  {"COM1", "USB"},
                                  {"NORVEX KVT-580duo"},
                                  {"NORVEX KVT-580duo"}}),
    RowName());

// XP x64 without its update has no Sysnative. The installer puts the
// monitor DLL into the real system directory all the same, where AddMonitor
// wants it, and the uninstaller takes it from there: afterwards no copy is
// left in either system directory, and the log shows the name not found.
TEST(UninstallOnXpX64, TheMonitorDllGoesFromTheRealSystemDirectory) {
    const sim::World fresh = SystemWithPackage("xp-x64");
    const kvtsim::ProgramRun installation = Install(fresh, Answers("COM1"));
    ASSERT_EQ(installation.exitCode, 0u);
    const sim::World world = Reloaded(installation);
    EXPECT_TRUE(world.files.findFile("C:\\Windows\\System32\\MON580D.dll"));

    const kvtsim::ProgramRun removal = Uninstall(world, Choice({}));
    ASSERT_EQ(removal.exitCode, 0u);
    EXPECT_THAT(LogMessages(removal),
                ::testing::Contains("DeleteFile Error : C:\\Windows\\Sysnative\\MON580D.dll , (3)"));
    const sim::World after = Reloaded(removal);
    for (const char* folder : {"System32", "SysWOW64", ""})
        EXPECT_FALSE(after.files.findFile(after.windowsDirectory + "\\" + folder + (*folder ? "\\" : "") +
                                          "MON580D.dll"))
            << folder;
    EXPECT_THAT(ImageDifferences(WithoutWhatTheRemovalLeaves(fresh), WithoutWhatTheRemovalLeaves(after)), IsEmpty());
}

}  // namespace
}  // namespace kvt::test
