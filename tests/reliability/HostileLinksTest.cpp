// Links that somebody else planted where the setup programs, with an
// administrator's rights, delete and write: a C:\Temp that is a junction
// (any user may create C:\Temp), a log file that is a symbolic link to a
// system file, and package, product and maker folders that are junctions to a
// user's documents. The programs run to their usual end; the log is never
// written through a link, and a junction goes as the link it is while what it
// points at stays as it was.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

constexpr const char* kDocuments = "C:\\Users\\Clerk\\Documents";
constexpr const char* kWinIni = "C:\\Windows\\win.ini";
constexpr const char* kWinIniText = "; for 16-bit app support\r\n[fonts]\r\n";

// The clerk's documents, among them a file named like each program's log.
void PutDocuments(sim::World& world) {
    world.files.putFile(std::string(kDocuments) + "\\KVT-580duo_Installer.txt", "the clerk's own notes");
    world.files.putFile(std::string(kDocuments) + "\\KVT-580duo_UnInstaller.txt", "more notes");
    world.files.putFile(std::string(kDocuments) + "\\Sales\\2026.xls", "figures").readOnly = true;
    world.files.putFile(kWinIni, kWinIniText);
}

// `path` replaced by a junction to the documents.
void PlantJunction(sim::World& world, const std::string& path) {
    world.files.eraseDirectory(path);
    world.files.ensureDirectory(path).junctionTo = kDocuments;
}

void ExpectDocumentsUntouched(const kvtsim::ProgramRun& run) {
    sim::World before;
    PutDocuments(before);
    const sim::World after = Reloaded(run);
    for (const auto& [path, file] : before.files.files()) {
        const sim::FileRecord* now = after.files.findFile(path);
        ASSERT_NE(now, nullptr) << path;
        EXPECT_EQ(now->bytes, file.bytes) << path;
        EXPECT_EQ(now->readOnly, file.readOnly) << path;
    }
    EXPECT_EQ(after.files.childFiles(kDocuments).size(), 2u) << "nothing was added to the documents";
}

// On 64-bit Windows the uninstaller (a 32-bit program) finds no driver of its
// own environment, so only a printer object of the driver starts the removal.
sim::World ProductOnWin10() { return ProductWithPrinters("win10-x64", {{"Receipt A"}}); }

TEST(HostileLinks, TempJunctionGetsNoInstallerLog) {
    sim::World world = SystemWithPackage("xp-x86");
    PutDocuments(world);
    PlantJunction(world, "C:\\Temp");
    const kvtsim::ProgramRun run = Install(std::move(world), Answers("COM1"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"}) << "the installation is complete";
    EXPECT_EQ(run.result["log"], "");
    ExpectDocumentsUntouched(run);
    const sim::World after = Reloaded(run);
    const sim::DirectoryRecord* temp = after.files.findDirectory("C:\\Temp");
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->junctionTo, kDocuments) << "somebody else's link stays";
}

TEST(HostileLinks, TempJunctionGetsNoUninstallerLog) {
    sim::World world = ProductOnWin10();
    PutDocuments(world);
    PlantJunction(world, "C:\\Temp");
    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(HasProductDriver(run));
    EXPECT_EQ(run.result["log"], "");
    ExpectDocumentsUntouched(run);
}

struct LogLinkRow {
    const char* name;
    bool heldOpen;  // deleting the link fails
    friend void PrintTo(const LogLinkRow& row, std::ostream* out) { *out << row.name; }
};

class HostileLogLink : public ::testing::TestWithParam<LogLinkRow> {};

TEST_P(HostileLogLink, SystemFileBehindTheLogNameIsNeverWritten) {
    sim::World world = SystemWithPackage("win10-x64");
    PutDocuments(world);
    sim::FileRecord& link = world.files.putFile(std::string(kInstallerLogPath), "");
    link.linkTo = kWinIni;
    link.inUse = GetParam().heldOpen;
    const kvtsim::ProgramRun run = Install(std::move(world), Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});

    const sim::World after = Reloaded(run);
    ASSERT_NE(after.files.findFile(kWinIni), nullptr);
    EXPECT_EQ(after.files.findFile(kWinIni)->bytes, kWinIniText);
    const sim::FileRecord* log = after.files.findFile(kInstallerLogPath);
    ASSERT_NE(log, nullptr);
    if (GetParam().heldOpen) {
        // The link could not be removed, so nothing was logged.
        EXPECT_TRUE(log->linkTo.has_value());
        EXPECT_EQ(log->bytes, "");
    } else {
        // The run's start removed the link and logged into a file of its own.
        EXPECT_FALSE(log->linkTo.has_value());
        EXPECT_TRUE(Logged(run, "AddToWin2KWithWHQL BEGIN"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileLogLink,
                         ::testing::Values(LogLinkRow{"LinkHeldOpen", true}, LogLinkRow{"LinkThatCanGo", false}),
                         RowName{});

TEST(HostileLinks, PackageDirectoriesThatAreJunctionsLoseOnlyTheLink) {
    sim::World world = ProductOnWin10();
    PutDocuments(world);
    const std::string drivers = NativeDriverDirectory(world);
    PlantJunction(world, drivers + "\\norvexkvt_580duoaed9");
    PlantJunction(world, drivers + "\\norvex_kvt_580duobc99");
    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(HasProductDriver(run));
    ExpectDocumentsUntouched(run);
    const sim::World after = Reloaded(run);
    EXPECT_EQ(after.files.findDirectory(drivers + "\\norvexkvt_580duoaed9"), nullptr);
    EXPECT_EQ(after.files.findDirectory(drivers + "\\norvex_kvt_580duobc99"), nullptr);
}

TEST(HostileLinks, InstallationClearsAPackageDirectoryJunctionWithoutEnteringIt) {
    sim::World world = SystemWithPackage("xp-x86");
    PutDocuments(world);
    PlantJunction(world, NativeDriverDirectory(world) + "\\norvex_kvt_580duobc99");
    const kvtsim::ProgramRun run = Install(std::move(world), Answers("LPT1"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "DIR PATH-2 : C:\\Windows\\System32\\spool\\drivers\\W32X86\\norvex_kvt_580duobc99 "));
    ExpectDocumentsUntouched(run);
}

TEST(HostileLinks, ProductFolderJunctionIsReplacedByARealFolder) {
    sim::World world = SystemWithPackage("xp-x86");
    PutDocuments(world);
    PlantJunction(world, "C:\\Windows\\KVT-580duo");
    const kvtsim::ProgramRun run = Install(std::move(world), Answers("COM1"));
    ASSERT_EQ(run.exitCode, 0u);
    ExpectDocumentsUntouched(run);
    const sim::World after = Reloaded(run);
    const sim::DirectoryRecord* folder = after.files.findDirectory("C:\\Windows\\KVT-580duo");
    ASSERT_NE(folder, nullptr);
    EXPECT_FALSE(folder->junctionTo.has_value());
    EXPECT_NE(after.files.findFile("C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe"), nullptr);
}

TEST(HostileLinks, InstalledDirectoryJunctionLosesOnlyTheLink) {
    sim::World world = ProductOnWin10();
    PutDocuments(world);
    PlantJunction(world, "C:\\NORVEX Printer Driver\\KVT-580duo");
    const kvtsim::ProgramRun run = Uninstall(std::move(world), Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "DIRECTORY : C:\\NORVEX Printer Driver\\KVT-580duo"));
    ExpectDocumentsUntouched(run);
    EXPECT_EQ(Reloaded(run).files.findDirectory("C:\\NORVEX Printer Driver"), nullptr);
}

}  // namespace
}  // namespace kvt::test
