// A system that will not name the Windows, system, driver or print-processor
// directory. A path built on the missing name would start at the root of the
// drive ("\KVT-580duo", "\UNIDRV.DLL"), where any user may have put folders
// and files of these names: the installer must neither empty, overwrite nor
// delete them, nor take its configuration from there, nor name a program
// there as the uninstall command. Each step whose directory is missing logs
// the failure and leaves out what would have gone there; the installation
// ends as it always ends.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/support/InstallerRuns.h"

namespace kvt::test {
namespace {

constexpr const char* kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";

struct PlantedFile {
    const char* path;
    const char* bytes;
};

// What other users keep at the root of the drive, under the names that the
// installer's paths take without their directory.
const std::vector<PlantedFile> kPlanted = {
    {"C:\\KVT-580duo\\notes.txt", "a user's folder of the same name"},
    {"C:\\KVT-580duo\\KVT580duo_Config.NVX", "[KVT580D]\r\nPORTDLG=FALSE\r\nPORT=USB\r\n"},
    {"C:\\KVT580duo_Config.NVX", "[KVT580D]\r\nPORTDLG=FALSE\r\nPORT=LPT2\r\n"},
    {"C:\\UNIDRV.DLL", "another program's file"},
    {"C:\\KVT580D.dll", "another program's file"},
    {"C:\\KVT580D.GPD", "another program's file"},
    {"C:\\STDNAMES.GPD", "another program's file"},
    {"C:\\MON580D.dll", "another program's file"},
    {"C:\\PRO580D.dll", "another program's file"},
    {"C:\\framedyn.dll", "another program's file"},
};

struct MissingDirectoryRow {
    const char* name;
    const char* os;
    const char* failingCall;
    const char* failureLine;
    bool uninstallCommand;  // whether the entry still names the uninstaller
    friend void PrintTo(const MissingDirectoryRow& row, std::ostream* out) { *out << row.name; }
};

class HostileDirectories : public ::testing::TestWithParam<MissingDirectoryRow> {};

TEST_P(HostileDirectories, NothingAtTheRootOfTheDriveIsTouched) {
    const MissingDirectoryRow& row = GetParam();
    sim::World world = SystemWithPackage(row.os);
    // Without the package's own file the planted ones would decide the port.
    world.files.eraseFile("C:\\Setup\\KVT580duo_Config.NVX");
    for (const PlantedFile& file : kPlanted) world.files.putFile(file.path, file.bytes);

    const kvtsim::ProgramRun run = Install(std::move(world), Answers("COM1"), [&](sim::Simulation& sim) {
        sim.faults().failCall(row.failingCall, 5);
    });
    ASSERT_EQ(run.exitCode, 0u);

    const sim::World after = Reloaded(run);
    for (const PlantedFile& file : kPlanted) {
        const sim::FileRecord* now = after.files.findFile(file.path);
        ASSERT_NE(now, nullptr) << file.path;
        EXPECT_EQ(now->bytes, file.bytes) << file.path;
    }
    EXPECT_EQ(after.files.childFiles("C:\\KVT-580duo").size(), 2u) << "nothing was added to the user's folder";
    // The planted configuration was not read: the port dialog was shown.
    EXPECT_EQ(Events(run, "dialog").size(), 1u);

    const sim::FileRecord* log = after.files.findFile(kInstallerLogPath);
    ASSERT_NE(log, nullptr);
    EXPECT_NE(log->bytes.find(std::string(row.failureLine) + "\r\n"), std::string::npos) << row.failureLine;

    const nlohmann::json* entry = FindKey(run, kUninstallKey);
    if (entry != nullptr) {
        EXPECT_EQ(entry->at("values").contains("UninstallString"), row.uninstallCommand);
        if (row.uninstallCommand) {
            EXPECT_EQ(entry->at("values")["UninstallString"]["data"],
                      "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileDirectories,
    ::testing::Values(
        MissingDirectoryRow{"WindowsOnXp", "xp-x86", "FileSystem.getWindowsDirectory", "GetWindowsDirectory failed",
                            false},
        MissingDirectoryRow{"WindowsOnWin10", "win10-x64", "FileSystem.getWindowsDirectory",
                            "GetWindowsDirectory failed", false},
        MissingDirectoryRow{"SystemOnXp", "xp-x86", "FileSystem.getSystemDirectory", "GetSystemDirectory failed",
                            true},
        MissingDirectoryRow{"DriverDirectoryOnXp", "xp-x86", "Spooler.getPrinterDriverDirectory",
                            "GetPrinterDriverDirectory failed. (5)", true},
        MissingDirectoryRow{"ProcessorDirectoryOnXp", "xp-x86", "Spooler.getPrintProcessorDirectory",
                            "GetPrintProcessorDirectory failed. (5)", true}),
    [](const ::testing::TestParamInfo<MissingDirectoryRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::test
