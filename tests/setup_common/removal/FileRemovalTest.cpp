// Driver files, package directories, the product directory and the tree
// deletion they share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Installer/setup_common/DirectoryTree.h"
#include "Installer/setup_common/FileRemoval.h"
#include "Installer/setup_common/PrinterRemoval.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/setup_common/removal/RemovalTestSupport.h"

namespace kvt::setup {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::RemovalTest;
using testing::RowName;
using ::testing::StartsWith;

constexpr const char* kDrivers64 = "C:\\Windows\\System32\\spool\\drivers\\x64";
constexpr const char* kDrivers32 = "C:\\Windows\\System32\\spool\\drivers\\W32X86";
constexpr const char* kUserFolder = "C:\\Users\\Shop\\Documents";

std::size_t CountStartingWith(const std::vector<std::string>& lines, std::string_view start) {
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(start); }));
}

struct FilesRow {
    const char* name;
    SetupProgram program;
    std::size_t errorLines;
    std::vector<std::uint32_t> sleeps;
    friend void PrintTo(const FilesRow& row, std::ostream* out) { *out << row.name; }
};

class DeleteDriverFilesTest : public RemovalTest, public ::testing::WithParamInterface<FilesRow> {};

TEST_P(DeleteDriverFilesTest, WithNoFilePresentLogsEachAndStillRestartsTheSpooler) {
    const FilesRow& row = GetParam();
    start(*sim::FreshImage("win10-x64"),
          row.program == SetupProgram::Installer ? kInstallerRemoval : kUninstallerRemoval);
    DeleteDriverFiles(context());

    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(CountStartingWith(lines, "DeleteFile Error : "), row.errorLines);
    EXPECT_THAT(commands(), ElementsAre("net stop spooler", "net start spooler"));
    EXPECT_THAT(sleeps(), ElementsAreArray(row.sleeps));
    EXPECT_TRUE(world().spooler.running);
}

INSTANTIATE_TEST_SUITE_P(Forms, DeleteDriverFilesTest,
                         ::testing::Values(FilesRow{"Installer", SetupProgram::Installer, 9, {1500, 2000}},
                                           FilesRow{"Uninstaller", SetupProgram::Uninstaller, 10, {100, 1500, 2000}}),
                         RowName());

TEST_F(RemovalTest, UninstallerDeletesEveryDriverFileAndLogsBothDirectories) {
    sim::World world = *sim::FreshImage("xp-x86");
    for (const char* file : {"KVT580D.dll", "KVT580D.GPD", "UI580D.dll", "UNI580D.dll", "UI580D.INI"})
        world.files.putFile(std::string("C:\\Windows\\") + file, file);
    for (const char* file : {"KVT580D.dll", "KVT580D.GPD", "KVT580D.BUD", "UI580D.dll", "UNI580D.dll"})
        world.files.putFile(std::string(kDrivers32) + "\\3\\" + file, file);
    start(std::move(world), kUninstallerRemoval);

    DeleteDriverFiles(context());

    EXPECT_THAT(logLines(),
                ElementsAre("DeleteDriverComponent BEGIN", std::string("PrinterDriverDirectory : ") + kDrivers32,
                            "WindowsDirectory : C:\\Windows", "DeleteDriverComponent END"));
    EXPECT_THAT(this->world().files.childFiles(std::string(kDrivers32) + "\\3"), IsEmpty());
}

// On 64-bit Windows the files are those of the "Windows x64" driver.
TEST_F(RemovalTest, DriverFilesOfTheX64EnvironmentGoAndX86OnesStay) {
    sim::World world = *sim::FreshImage("win10-x64");
    world.files.putFile(std::string(kDrivers64) + "\\3\\KVT580D.GPD", "x64 GPD");
    world.files.putFile(std::string(kDrivers32) + "\\3\\KVT580D.GPD", "x86 GPD");
    start(std::move(world), kInstallerRemoval);

    DeleteDriverFiles(context());

    EXPECT_FALSE(hasFile(std::string(kDrivers64) + "\\3\\KVT580D.GPD"));
    EXPECT_TRUE(hasFile(std::string(kDrivers32) + "\\3\\KVT580D.GPD"));
}

TEST_F(RemovalTest, UnknownDriverDirectoryIsLoggedAndOnlyItsFilesAreSkipped) {
    sim::World world = *sim::FreshImage("xp-x86");
    world.files.putFile("C:\\Windows\\UI580D.INI", "ini");
    start(std::move(world), kInstallerRemoval);
    sim().faults().failCall("Spooler.getPrinterDriverDirectory", err::AccessDenied);

    DeleteDriverFiles(context());

    const std::vector<std::string> lines = logLines();
    EXPECT_THAT(lines, Contains("GetPrinterDriverDirectory failed. (5)"));
    EXPECT_EQ(CountStartingWith(lines, "DeleteFile Error : C:\\Windows\\"), 4u);
    EXPECT_EQ(CountStartingWith(lines, "DeleteFile Error : "), 4u);
    EXPECT_FALSE(hasFile("C:\\Windows\\UI580D.INI"));
}

// A package directory holding a junction to a user's folder, a read-only
// file and a subfolder.
sim::World PackageDirectories(const char* os) {
    sim::World world = *sim::FreshImage(os);
    const std::string drivers = test::NativeDriverDirectory(world);
    world.files.putFile(std::string(kUserFolder) + "\\orders.xlsx", "orders");
    world.files.putFile(std::string(kUserFolder) + "\\Archive\\2025.xlsx", "archive");
    world.files.ensureDirectory(drivers + "\\norvexkvt_580duoaed9\\Shortcut").junctionTo = kUserFolder;
    world.files.putFile(drivers + "\\norvexkvt_580duoaed9\\Amd64\\UI580D.dll", "plug-in").readOnly = true;
    world.files.putFile(drivers + "\\norvex_kvt_580duobc99\\kvt580d.inf", "inf");
    world.files.putFile(std::string(kDrivers32) + "\\norvexkvt_580duoaed9\\KVT580D.GPD", "another environment's");
    return world;
}

struct PnpRow {
    const char* name;
    const char* os;
    Reporting reporting;
    std::vector<std::string> stepTexts;
    std::vector<std::uint32_t> sleeps;
    friend void PrintTo(const PnpRow& row, std::ostream* out) { *out << row.name; }
};

class DeletePrnDrvPnPDirectoryTest : public RemovalTest, public ::testing::WithParamInterface<PnpRow> {};

TEST_P(DeletePrnDrvPnPDirectoryTest, RemovesBothPackageDirectoriesButNothingAJunctionPointsAt) {
    const PnpRow& row = GetParam();
    start(PackageDirectories(row.os), kInstallerRemoval);
    const std::string drivers = test::NativeDriverDirectory(world());

    DeletePrnDrvPnPDirectory(context(), row.reporting);

    EXPECT_FALSE(hasDirectory(drivers + "\\norvexkvt_580duoaed9"));
    EXPECT_FALSE(hasDirectory(drivers + "\\norvex_kvt_580duobc99"));
    EXPECT_TRUE(hasFile(std::string(kUserFolder) + "\\orders.xlsx"));
    EXPECT_TRUE(hasFile(std::string(kUserFolder) + "\\Archive\\2025.xlsx"));
    EXPECT_EQ(hasFile(std::string(kDrivers32) + "\\norvexkvt_580duoaed9\\KVT580D.GPD"), world().os.is64Bit);
    EXPECT_THAT(logLines(),
                ElementsAre("DeletePrnDrvPnPDirectory BEGIN", "DIR PATH-1 : " + drivers + "\\norvexkvt_580duoaed9 ",
                            "DIR PATH-2 : " + drivers + "\\norvex_kvt_580duobc99 ", "DeletePrnDrvPnPDirectory END"));
    EXPECT_THAT(stepTexts(), ElementsAreArray(row.stepTexts));
    EXPECT_THAT(sleeps(), ElementsAreArray(row.sleeps));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeletePrnDrvPnPDirectoryTest,
    ::testing::Values(PnpRow{"Win10x64", "win10-x64", Reporting::AsForm, {"Deleting PNP directories..."}, {500}},
                      PnpRow{"XpX86", "xp-x86", Reporting::AsForm, {"Deleting PNP directories..."}, {500}},
                      PnpRow{"QuietBeforeAnInstallation", "win10-x64", Reporting::Quiet, {}, {}}),
    RowName());

TEST_F(RemovalTest, DeleteDirectoryTreeTakesAnyFormOfPathAndOnAJunctionRemovesOnlyTheLink) {
    sim::World world = *sim::FreshImage("xp-x86");
    for (const char* folder : {"C:\\One", "C:\\Two"}) world.files.putFile(std::string(folder) + "\\a\\b.txt", "b");
    world.files.putFile(std::string(kUserFolder) + "\\orders.xlsx", "orders");
    world.files.ensureDirectory("C:\\Link").junctionTo = kUserFolder;
    start(std::move(world), kInstallerRemoval);

    for (const char* path : {"C:\\One", "C:\\Two\\", "C:\\Missing", "C:\\Link"})
        DeleteDirectoryTree(context().platform.files, path);

    for (const char* path : {"C:\\One", "C:\\Two", "C:\\Link"}) EXPECT_FALSE(hasDirectory(path)) << path;
    EXPECT_TRUE(hasFile(std::string(kUserFolder) + "\\orders.xlsx"));
    EXPECT_TRUE(logLines().empty());
}

struct InstalledDirectoryRow {
    const char* name;
    std::vector<const char*> folders;  // below C:\NORVEX Printer Driver
    bool makerDirectoryStays;
    std::vector<std::string> lines;
    friend void PrintTo(const InstalledDirectoryRow& row, std::ostream* out) { *out << row.name; }
};

class DeleteInstalledDirectoryTest : public RemovalTest, public ::testing::WithParamInterface<InstalledDirectoryRow> {};

TEST_P(DeleteInstalledDirectoryTest, RemovesThisModelsDirectoryOnly) {
    const InstalledDirectoryRow& row = GetParam();
    sim::World world = *sim::FreshImage("win7-x64");
    for (const char* folder : row.folders)
        world.files.putFile(std::string("C:\\NORVEX Printer Driver\\") + folder + "\\readme.txt", "readme");
    start(std::move(world), kUninstallerRemoval);

    DeleteInstalledDirectory(context());

    EXPECT_FALSE(hasDirectory("C:\\NORVEX Printer Driver\\KVT-580duo"));
    EXPECT_EQ(hasDirectory("C:\\NORVEX Printer Driver"), row.makerDirectoryStays);
    EXPECT_THAT(logLines(), ElementsAreArray(row.lines));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeleteInstalledDirectoryTest,
    ::testing::Values(
        InstalledDirectoryRow{"Nothing", {}, false, {"DeleteInstalledDirectory BEGIN", "DeleteInstalledDirectory END"}},
        InstalledDirectoryRow{"ProductOnly",
                              {"KVT-580duo"},
                              false,
                              {"DeleteInstalledDirectory BEGIN", "DIRECTORY : C:\\NORVEX Printer Driver\\KVT-580duo",
                               "DeleteInstalledDirectory END"}},
        InstalledDirectoryRow{"AnotherModelBeside",
                              {"KVT-580duo", "KVT-100"},
                              true,
                              {"DeleteInstalledDirectory BEGIN", "DIRECTORY : C:\\NORVEX Printer Driver\\KVT-580duo",
                               "DeleteInstalledDirectory END"}}),
    RowName());


// A running fax service makes "net stop spooler" wait for an answer that
// its hidden console never gets: the spooler keeps the driver's modules it
// loaded for the printers, and the log says why they stay.
TEST_F(RemovalTest, ASpoolerThatDidNotStopIsLoggedAndTheFilesItHoldsAreNamed) {
    sim::World image = test::InstallProduct(test::SystemBeforeProduct("win10-x64"));
    image.spooler.dependentServices = {"Fax"};
    start(std::move(image), kUninstallerRemoval);
    for (const char* printer : {"NORVEX KVT-580duo", "Receipt 2"}) DeletePrinterObject(context(), printer);

    DeleteDriverFiles(context());

    const std::vector<std::string> lines = logLines();
    EXPECT_THAT(lines, Contains("The print spooler has not stopped (state 4): the files it holds cannot be deleted."));
    EXPECT_THAT(lines, Contains("DeleteFile Error : " + std::string(kDrivers64) + "\\3\\UI580D.dll , (5)"));
    EXPECT_TRUE(hasFile(std::string(kDrivers64) + "\\3\\UI580D.dll"));
    EXPECT_FALSE(hasFile(std::string(kDrivers64) + "\\3\\KVT580D.GPD")) << "what the spooler does not hold goes";
}

}  // namespace
}  // namespace kvt::setup
