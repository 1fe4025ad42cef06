#include "platform/sim/SimFileSystem.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

// Test names of table rows.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
    return row.param.name;
}

using ports::AccessMode;
using ports::DirEntry;
using ports::ExplicitAccess;

World WorldWithFiles(bool is64Bit) {
    World world;
    world.os.is64Bit = is64Bit;
    FileStore& files = world.files;
    files.ensureDirectory("C:\\Setup");
    files.putFile("C:\\Windows\\System32\\net.exe", "native net");
    files.putFile("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\UNIDRV.DLL", "spool unidrv");
    files.putFile("C:\\Windows\\System32\\drivers\\etc\\hosts", "hosts");
    files.putFile("C:\\Windows\\System32Tools\\tool.exe", "tool");
    if (is64Bit) files.putFile("C:\\Windows\\SysWOW64\\net.exe", "wow64 net");
    return world;
}

std::vector<std::string> EntryNames(const std::vector<DirEntry>& entries) {
    std::vector<std::string> names;
    for (const DirEntry& entry : entries) names.push_back(entry.name);
    return names;
}

// --- FileStore ------------------------------------------------------------------

TEST(FileStoreTest, NewRecordsTakeTheStoredNamesOfTheirAncestors) {
    FileStore store;
    store.ensureDirectory("C:\\Windows\\System32");
    FileRecord& file = store.putFile("c:\\WINDOWS\\system32\\x.dll", "x");
    EXPECT_EQ(file.path, "C:\\Windows\\System32\\x.dll");
    ASSERT_NE(store.findDirectory("c:\\"), nullptr);
    EXPECT_EQ(store.findDirectory("c:\\"), store.findDirectory("C:\\"));
}

TEST(FileStoreTest, ReplacingAFileKeepsItsAttributes) {
    FileStore store;
    store.putFile("C:\\D\\a.txt", "old").readOnly = true;
    store.putFile("C:\\d\\A.TXT", "new");
    ASSERT_EQ(store.files().size(), 1u);
    EXPECT_EQ(store.findFile("C:\\D\\a.txt")->bytes, "new");
    EXPECT_TRUE(store.findFile("C:\\D\\a.txt")->readOnly);
}

TEST(FileStoreTest, ChildrenAreDirectOnlyAndSortedWithoutCase) {
    FileStore store;
    store.putFile("C:\\D\\b.txt", "");
    store.putFile("C:\\D\\A.txt", "");
    store.putFile("C:\\D\\sub\\deep.txt", "");
    store.putFile("C:\\D2\\other.txt", "");
    EXPECT_EQ(store.childFiles("C:\\D"), (std::vector<std::string>{"A.txt", "b.txt"}));
    EXPECT_EQ(store.childDirectories("C:\\D"), (std::vector<std::string>{"sub"}));
    EXPECT_EQ(store.childDirectories("C:\\"), (std::vector<std::string>{"D", "D2"}));
}

TEST(FileStoreTest, ErasingADirectoryTakesItsTreeButNotASiblingWithTheSamePrefix) {
    FileStore store;
    store.putFile("C:\\D\\sub\\deep.txt", "");
    store.putFile("C:\\D2\\keep.txt", "");
    store.eraseDirectory("C:\\D");
    EXPECT_EQ(store.findDirectory("C:\\D\\sub"), nullptr);
    EXPECT_EQ(store.findFile("C:\\D\\sub\\deep.txt"), nullptr);
    EXPECT_NE(store.findFile("C:\\D2\\keep.txt"), nullptr);
}

// --- Well-known directories ---------------------------------------------------------

TEST(SimFileSystemTest, SystemDirectoriesFollowTheWindowsDirectory) {
    World world = WorldWithFiles(true);
    world.windowsDirectory = "D:\\WINNT";
    Simulation sim(std::move(world), Bitness::x86);
    std::string path;
    ASSERT_EQ(sim.files().getWindowsDirectory(path), 0u);
    EXPECT_EQ(path, "D:\\WINNT");
    ASSERT_EQ(sim.files().getSystemDirectory(path), 0u);
    EXPECT_EQ(path, "D:\\WINNT\\system32");
    ASSERT_TRUE(sim.files().hasGetSystemWow64Directory());
    ASSERT_EQ(sim.files().getSystemWow64Directory(path), 0u);
    EXPECT_EQ(path, "D:\\WINNT\\SysWOW64");
    ASSERT_EQ(sim.files().getCurrentDirectory(path), 0u);
    EXPECT_EQ(path, "C:\\Setup");
}

TEST(SimFileSystemTest, Wow64DirectoryIsNotImplementedOn32BitWindows) {
    Simulation sim(WorldWithFiles(false), Bitness::x86);
    std::string path = "unchanged";
    EXPECT_TRUE(sim.files().hasGetSystemWow64Directory());
    EXPECT_EQ(sim.files().getSystemWow64Directory(path), 120u);
    EXPECT_EQ(sim.lastError(), 120u);
    EXPECT_EQ(path, "unchanged");
}

// --- WOW64 redirection ------------------------------------------------------------------

struct RedirectionRow {
    const char* name;
    bool is64BitWindows;
    Bitness program;
    const char* path;
    const char* content;  // what is read there; empty when `error` is expected
    std::uint32_t error;
};

class RedirectionTest : public ::testing::TestWithParam<RedirectionRow> {};

TEST_P(RedirectionTest, ReachesTheFileWindowsGivesThisProgram) {
    const RedirectionRow& row = GetParam();
    Simulation sim(WorldWithFiles(row.is64BitWindows), row.program);
    std::string bytes;
    EXPECT_EQ(sim.files().readFile(row.path, bytes), row.error);
    if (row.error == 0) {
        EXPECT_EQ(bytes, row.content);
    }
}

constexpr Bitness x86 = Bitness::x86;
constexpr Bitness x64 = Bitness::x64;

INSTANTIATE_TEST_SUITE_P(
    Rows, RedirectionTest,
    ::testing::Values(
        RedirectionRow{"Wow64System32GoesToSysWow64", true, x86, "C:\\Windows\\System32\\net.exe", "wow64 net", 0},
        RedirectionRow{"Wow64RelativeName", true, x86, "..\\Windows\\System32\\net.exe", "wow64 net", 0},
        RedirectionRow{"Wow64SpoolIsShared", true, x86, "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\UNIDRV.DLL",
                       "spool unidrv", 0},
        RedirectionRow{"Wow64DriversEtcIsShared", true, x86, "C:\\Windows\\System32\\drivers\\etc\\hosts", "hosts",
                       0},
        RedirectionRow{"Wow64SysnativeIsTheRealSystem32", true, x86, "C:\\Windows\\Sysnative\\net.exe", "native net",
                       0},
        RedirectionRow{"Wow64SiblingNameNotRedirected", true, x86, "C:\\Windows\\System32Tools\\tool.exe", "tool", 0},
        RedirectionRow{"Native64BitProgramSeesSystem32", true, x64, "C:\\Windows\\System32\\net.exe", "native net",
                       0},
        RedirectionRow{"Native64BitProgramHasNoSysnative", true, x64, "C:\\Windows\\Sysnative\\net.exe", "", 3},
        RedirectionRow{"X86WindowsSystem32", false, x86, "C:\\Windows\\System32\\net.exe", "native net", 0},
        RedirectionRow{"X86WindowsHasNoSysnative", false, x86, "C:\\Windows\\Sysnative\\net.exe", "", 3}),
    RowName<RedirectionRow>);

// WOW64 knows Sysnative from Vista on; XP x64 and Server 2003 x64 only
// with the update that added it.
struct SysnativeReleaseRow {
    const char* name;
    std::uint32_t major, minor;
    std::optional<bool> update;
    std::uint32_t error;
    friend void PrintTo(const SysnativeReleaseRow& row, std::ostream* out) { *out << row.name; }
};

class SysnativeReleaseTest : public ::testing::TestWithParam<SysnativeReleaseRow> {};

TEST_P(SysnativeReleaseTest, SysnativeExistsOnlyWhereTheReleaseHasIt) {
    const SysnativeReleaseRow& row = GetParam();
    World world = WorldWithFiles(true);
    world.os.major = row.major;
    world.os.minor = row.minor;
    world.os.sysnative = row.update;
    Simulation sim(std::move(world), Bitness::x86);
    std::string bytes;
    EXPECT_EQ(sim.files().readFile("C:\\Windows\\Sysnative\\net.exe", bytes), row.error);
    EXPECT_EQ(bytes, row.error == 0 ? "native net" : "");
}

INSTANTIATE_TEST_SUITE_P(Rows, SysnativeReleaseTest,
                         ::testing::Values(SysnativeReleaseRow{"Vista", 6, 0, std::nullopt, 0},
                                           SysnativeReleaseRow{"XpX64Fresh", 5, 2, std::nullopt, 3},
                                           SysnativeReleaseRow{"XpX64WithTheUpdate", 5, 2, true, 0}),
                         RowName<SysnativeReleaseRow>);

TEST(SimFileSystemTest, RedirectionSwitchesNestAndRestoreTheStateTheyFound) {
    Simulation sim(WorldWithFiles(true), Bitness::x86);
    SimFileSystem& files = sim.files();
    auto netExe = [&](const char* path) {
        std::string bytes;
        return files.readFile(path, bytes) == 0 ? bytes : std::string("missing");
    };
    const char* system32 = "C:\\Windows\\System32\\net.exe";
    ASSERT_TRUE(files.hasWow64FsRedirectionSwitch());
    ports::FsRedirectionValue outer, inner;
    ASSERT_EQ(files.disableWow64FsRedirection(outer), 0u);
    EXPECT_EQ(netExe(system32), "native net");
    EXPECT_EQ(netExe("C:\\Windows\\Sysnative\\net.exe"), "missing");  // the alias goes with the redirection
    ASSERT_EQ(files.disableWow64FsRedirection(inner), 0u);
    ASSERT_EQ(files.revertWow64FsRedirection(inner), 0u);
    EXPECT_EQ(netExe(system32), "native net");  // still off: the inner disable found it off
    EXPECT_EQ(files.revertWow64FsRedirection(inner), err::InvalidParameter);
    ASSERT_EQ(files.revertWow64FsRedirection(outer), 0u);
    EXPECT_EQ(netExe(system32), "wow64 net");
    EXPECT_EQ(files.pendingRedirectionDisables(), 0u);
}

TEST(SimFileSystemTest, RedirectionSwitchesRefuseProgramsOutsideWow64) {
    ports::FsRedirectionValue value;
    Simulation native64(WorldWithFiles(true), Bitness::x64);
    EXPECT_EQ(native64.files().disableWow64FsRedirection(value), err::InvalidFunction);
    Simulation on32BitWindows(WorldWithFiles(false), Bitness::x86);
    EXPECT_EQ(on32BitWindows.files().disableWow64FsRedirection(value), err::InvalidFunction);
    World xp = WorldWithFiles(false);
    xp.os.major = 5;
    xp.os.minor = 1;
    Simulation onXp(std::move(xp), Bitness::x86);
    EXPECT_FALSE(onXp.files().hasWow64FsRedirectionSwitch());
    EXPECT_EQ(onXp.files().disableWow64FsRedirection(value), err::ProcNotFound);
}

TEST(SimFileSystemTest, Wow64WritesIntoSystem32LandInSysWow64) {
    Simulation sim(WorldWithFiles(true), Bitness::x86);
    sim.world().files.putFile("C:\\Setup\\KVT580duo_Config.NVX", "config");
    std::string system32;
    ASSERT_EQ(sim.files().getSystemDirectory(system32), 0u);
    ASSERT_EQ(sim.files().copyFile("KVT580duo_Config.NVX", system32 + "\\KVT580duo_Config.NVX", false), 0u);
    EXPECT_NE(sim.world().files.findFile("C:\\Windows\\SysWOW64\\KVT580duo_Config.NVX"), nullptr);
    EXPECT_EQ(sim.world().files.findFile("C:\\Windows\\System32\\KVT580duo_Config.NVX"), nullptr);
}

// --- Junctions -------------------------------------------------------------------------

class JunctionTest : public ::testing::Test {
protected:
    static World MakeWorld() {
        World world = WorldWithFiles(true);
        world.files.putFile("C:\\Target\\a.dll", "a");
        world.files.putFile("C:\\Target\\sub\\b.dll", "b");
        world.files.ensureDirectory("C:\\Pkg\\J").junctionTo = "C:\\Target";
        return world;
    }
    Simulation sim{MakeWorld(), Bitness::x86};
};

TEST_F(JunctionTest, IsListedByItsParentAsReparsePoint) {
    std::vector<DirEntry> entries;
    ASSERT_EQ(sim.files().findFiles("C:\\Pkg\\*.*", entries), 0u);
    ASSERT_EQ(EntryNames(entries), (std::vector<std::string>{".", "..", "J"}));
    EXPECT_EQ(entries[2].attributes, fileattr::Directory | fileattr::ReparsePoint);
    EXPECT_EQ(entries[2].path, "C:\\Pkg\\J");
    std::uint32_t attributes = 0;
    ASSERT_EQ(sim.files().getFileAttributes("C:\\Pkg\\J", attributes), 0u);
    EXPECT_EQ(attributes, fileattr::Directory | fileattr::ReparsePoint);
}

TEST_F(JunctionTest, PathsThroughItContinueInTheTarget) {
    std::vector<DirEntry> entries;
    ASSERT_EQ(sim.files().findFiles("C:\\Pkg\\J\\*.*", entries), 0u);
    EXPECT_EQ(EntryNames(entries), (std::vector<std::string>{".", "..", "a.dll", "sub"}));
    EXPECT_EQ(entries[2].path, "C:\\Pkg\\J\\a.dll");
    std::string bytes;
    ASSERT_EQ(sim.files().readFile("C:\\Pkg\\J\\sub\\b.dll", bytes), 0u);
    EXPECT_EQ(bytes, "b");
    ASSERT_EQ(sim.files().deleteFile("C:\\Pkg\\J\\a.dll"), 0u);
    EXPECT_EQ(sim.world().files.findFile("C:\\Target\\a.dll"), nullptr);
    ASSERT_EQ(sim.files().writeFile("C:\\Pkg\\J\\new.txt", "n"), 0u);
    EXPECT_NE(sim.world().files.findFile("C:\\Target\\new.txt"), nullptr);
}

TEST_F(JunctionTest, RemovingItRemovesOnlyTheLink) {
    ASSERT_EQ(sim.files().removeDirectory("C:\\Pkg\\J"), 0u);
    EXPECT_EQ(sim.world().files.findDirectory("C:\\Pkg\\J"), nullptr);
    EXPECT_NE(sim.world().files.findFile("C:\\Target\\a.dll"), nullptr);
    EXPECT_NE(sim.world().files.findFile("C:\\Target\\sub\\b.dll"), nullptr);
    EXPECT_EQ(sim.files().removeDirectory("C:\\Pkg\\J"), err::FileNotFound);
}

TEST_F(JunctionTest, DanglingJunctionLeadsNowhere) {
    sim.world().files.eraseDirectory("C:\\Target");
    std::string bytes;
    EXPECT_EQ(sim.files().readFile("C:\\Pkg\\J\\a.dll", bytes), err::PathNotFound);
    std::vector<DirEntry> entries;
    EXPECT_EQ(sim.files().findFiles("C:\\Pkg\\J\\*.*", entries), err::PathNotFound);
}

TEST_F(JunctionTest, LoopIsNotFollowedForever) {
    sim.world().files.ensureDirectory("C:\\Loop\\A").junctionTo = "C:\\Loop\\B";
    sim.world().files.ensureDirectory("C:\\Loop\\B").junctionTo = "C:\\Loop\\A";
    std::string bytes;
    EXPECT_EQ(sim.files().readFile("C:\\Loop\\A\\x", bytes), err::PathNotFound);
}

// --- Error codes of the file operations ----------------------------------------------

struct ErrorRow {
    const char* name;
    std::function<std::uint32_t(ports::FileSystem&)> call;
    std::uint32_t code;
};

class FileErrorTest : public ::testing::TestWithParam<ErrorRow> {
protected:
    static World MakeWorld() {
        World world = WorldWithFiles(true);
        FileStore& files = world.files;
        files.putFile("C:\\D\\locked.dll", "locked").inUse = true;
        files.putFile("C:\\D\\ro.txt", "ro").readOnly = true;
        files.putFile("C:\\D\\plain.txt", "plain");
        files.putFile("C:\\D\\full\\inside.txt", "inside");
        files.ensureDirectory("C:\\D\\empty");
        return world;
    }
};

TEST_P(FileErrorTest, GivesTheWindowsCodeAndSetsTheLastError) {
    const ErrorRow& row = GetParam();
    Simulation sim(MakeWorld(), Bitness::x86);
    constexpr std::uint32_t Untouched = 0xDEAD;
    sim.lastError() = Untouched;
    EXPECT_EQ(row.call(sim.files()), row.code);
    EXPECT_EQ(sim.lastError(), row.code == 0 ? Untouched : row.code);
}

const std::vector<ExplicitAccess> NoAcl;

INSTANTIATE_TEST_SUITE_P(
    Rows, FileErrorTest,
    ::testing::Values(
        ErrorRow{"DeleteMissingFile", [](auto& fs) { return fs.deleteFile("C:\\D\\none.txt"); }, 2},
        ErrorRow{"DeleteInMissingDirectory", [](auto& fs) { return fs.deleteFile("C:\\None\\x.txt"); }, 3},
        ErrorRow{"DeleteBelowAFile", [](auto& fs) { return fs.deleteFile("C:\\D\\plain.txt\\x"); }, 3},
        ErrorRow{"DeleteReadOnly", [](auto& fs) { return fs.deleteFile("C:\\D\\ro.txt"); }, 5},
        ErrorRow{"DeleteInUse", [](auto& fs) { return fs.deleteFile("C:\\D\\locked.dll"); }, 32},
        ErrorRow{"DeleteDirectory", [](auto& fs) { return fs.deleteFile("C:\\D\\empty"); }, 5},
        ErrorRow{"CopyOntoInUse", [](auto& fs) { return fs.copyFile("C:\\D\\plain.txt", "C:\\D\\locked.dll", false); },
                 32},
        ErrorRow{"CopyOntoReadOnly", [](auto& fs) { return fs.copyFile("C:\\D\\plain.txt", "C:\\D\\ro.txt", false); },
                 5},
        ErrorRow{"CopyFailIfExists", [](auto& fs) { return fs.copyFile("C:\\D\\ro.txt", "C:\\D\\plain.txt", true); },
                 80},
        ErrorRow{"CopyFromInUse", [](auto& fs) { return fs.copyFile("C:\\D\\locked.dll", "C:\\D\\new.dll", true); },
                 0},
        ErrorRow{"CopyMissingSource", [](auto& fs) { return fs.copyFile("C:\\D\\none", "C:\\D\\new", false); }, 2},
        ErrorRow{"CopyIntoMissingDirectory",
                 [](auto& fs) { return fs.copyFile("C:\\D\\plain.txt", "C:\\None\\x", false); }, 3},
        ErrorRow{"CopyOntoItself", [](auto& fs) { return fs.copyFile("C:\\D\\plain.txt", "c:\\d\\PLAIN.txt", false); },
                 32},
        ErrorRow{"WriteInUse", [](auto& fs) { return fs.writeFile("C:\\D\\locked.dll", "x"); }, 32},
        ErrorRow{"WriteReadOnly", [](auto& fs) { return fs.writeFile("C:\\D\\ro.txt", "x"); }, 5},
        ErrorRow{"WriteIntoMissingDirectory", [](auto& fs) { return fs.writeFile("C:\\None\\x", "x"); }, 3},
        ErrorRow{"AppendInUse", [](auto& fs) { return fs.appendToFile("C:\\D\\locked.dll", "x"); }, 0},
        ErrorRow{"AppendReadOnly", [](auto& fs) { return fs.appendToFile("C:\\D\\ro.txt", "x"); }, 5},
        ErrorRow{"AppendIntoMissingDirectory", [](auto& fs) { return fs.appendToFile("C:\\None\\x", "x"); }, 3},
        ErrorRow{"MoveInUse", [](auto& fs) { return fs.moveFile("C:\\D\\locked.dll", "C:\\D\\locked.dll.old"); }, 0},
        ErrorRow{"MoveOntoExisting", [](auto& fs) { return fs.moveFile("C:\\D\\plain.txt", "C:\\D\\ro.txt"); }, 183},
        ErrorRow{"MoveIntoMissingDirectory", [](auto& fs) { return fs.moveFile("C:\\D\\plain.txt", "C:\\N\\x"); }, 3},
        ErrorRow{"MoveDirectoryIntoItself", [](auto& fs) { return fs.moveFile("C:\\D\\full", "C:\\D\\full\\x"); },
                 32},
        ErrorRow{"ReadMissing", [](auto& fs) { std::string b; return fs.readFile("C:\\D\\none", b); }, 2},
        ErrorRow{"ReadInUse", [](auto& fs) { std::string b; return fs.readFile("C:\\D\\locked.dll", b); }, 0},
        ErrorRow{"AttributesMissingFile",
                 [](auto& fs) { std::uint32_t a; return fs.getFileAttributes("C:\\D\\none", a); }, 2},
        ErrorRow{"AttributesMissingDirectory",
                 [](auto& fs) { std::uint32_t a; return fs.getFileAttributes("C:\\None\\x", a); }, 3},
        ErrorRow{"RemoveNonEmpty", [](auto& fs) { return fs.removeDirectory("C:\\D\\full"); }, 145},
        ErrorRow{"RemoveFile", [](auto& fs) { return fs.removeDirectory("C:\\D\\plain.txt"); }, 267},
        ErrorRow{"RemoveMissing", [](auto& fs) { return fs.removeDirectory("C:\\D\\none"); }, 2},
        ErrorRow{"RemoveEmpty", [](auto& fs) { return fs.removeDirectory("C:\\D\\empty\\"); }, 0},
        ErrorRow{"RemoveCurrentDirectory", [](auto& fs) { return fs.removeDirectory("C:\\Setup"); }, 32},
        ErrorRow{"RemoveDriveRoot", [](auto& fs) { return fs.removeDirectory("C:\\"); }, 5},
        ErrorRow{"CreateExisting", [](auto& fs) { return fs.createDirectory("C:\\D\\EMPTY", NoAcl); }, 183},
        ErrorRow{"CreateWhereAFileIs", [](auto& fs) { return fs.createDirectory("C:\\D\\plain.txt", NoAcl); }, 183},
        ErrorRow{"CreateWithMissingParent", [](auto& fs) { return fs.createDirectory("C:\\None\\x", NoAcl); }, 3},
        ErrorRow{"CreateInvalidName", [](auto& fs) { return fs.createDirectory("C:\\D\\a>b", NoAcl); }, 123}),
    RowName<ErrorRow>);

// --- File behaviour -----------------------------------------------------------------------

class FileBehaviourTest : public ::testing::Test {
protected:
    Simulation sim{WorldWithFiles(true), Bitness::x86};
    FileStore& store() { return sim.world().files; }
};

TEST_F(FileBehaviourTest, LockedTargetIsMovedAsideAndReplaced) {
    store().putFile("C:\\Setup\\UI580D.dll", "new");
    store().putFile("C:\\Spool\\UI580D.dll", "old").inUse = true;
    ASSERT_EQ(sim.files().copyFile("C:\\Setup\\UI580D.dll", "C:\\Spool\\UI580D.dll", false), err::SharingViolation);
    ASSERT_EQ(sim.files().moveFile("C:\\Spool\\UI580D.dll", "C:\\Spool\\UI580D.dll.old"), 0u);
    ASSERT_EQ(sim.files().copyFile("C:\\Setup\\UI580D.dll", "C:\\Spool\\UI580D.dll", false), 0u);

    const FileRecord* moved = store().findFile("C:\\Spool\\UI580D.dll.old");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->bytes, "old");
    EXPECT_TRUE(moved->inUse);
    EXPECT_EQ(store().findFile("C:\\Spool\\UI580D.dll")->bytes, "new");
    EXPECT_FALSE(store().findFile("C:\\Spool\\UI580D.dll")->inUse);
    // The old copy is still held: a later run cannot delete it.
    EXPECT_EQ(sim.files().deleteFile("C:\\Spool\\UI580D.dll.old"), err::SharingViolation);
}

TEST_F(FileBehaviourTest, CopyKeepsTheReadOnlyAttributeOfTheSource) {
    store().putFile("C:\\D\\ro.txt", "ro").readOnly = true;
    store().putFile("C:\\D\\target.txt", "plain");
    ASSERT_EQ(sim.files().copyFile("C:\\D\\ro.txt", "C:\\D\\target.txt", false), 0u);
    std::uint32_t attributes = 0;
    ASSERT_EQ(sim.files().getFileAttributes("C:\\D\\target.txt", attributes), 0u);
    EXPECT_EQ(attributes, fileattr::Archive | fileattr::ReadOnly);
    EXPECT_EQ(store().findFile("C:\\D\\target.txt")->bytes, "ro");
}

TEST_F(FileBehaviourTest, ClearingReadOnlyAllowsDeletion) {
    store().putFile("C:\\D\\ro.txt", "ro").readOnly = true;
    std::uint32_t attributes = 0;
    ASSERT_EQ(sim.files().getFileAttributes("C:\\D\\ro.txt", attributes), 0u);
    ASSERT_EQ(sim.files().setFileAttributes("C:\\D\\ro.txt", attributes & ~fileattr::ReadOnly), 0u);
    EXPECT_EQ(sim.files().deleteFile("C:\\D\\ro.txt"), 0u);
}

TEST_F(FileBehaviourTest, AppendCreatesThenAppendsAndAcceptsTheDoubledSeparator) {
    ASSERT_EQ(sim.files().createDirectory("C:\\Temp", NoAcl), 0u);
    ASSERT_EQ(sim.files().appendToFile("C:\\\\Temp\\KVT-580duo_Installer.txt", "one\r\n"), 0u);
    ASSERT_EQ(sim.files().appendToFile("C:\\Temp\\kvt-580duo_installer.txt", "two\r\n"), 0u);
    std::string bytes;
    ASSERT_EQ(sim.files().readFile("C:\\Temp\\KVT-580duo_Installer.txt", bytes), 0u);
    EXPECT_EQ(bytes, "one\r\ntwo\r\n");
    EXPECT_EQ(store().files().count("C:\\Temp\\KVT-580duo_Installer.txt"), 1u);
}

TEST_F(FileBehaviourTest, MovingADirectoryTakesItsContent) {
    store().putFile("C:\\D\\sub\\a.txt", "a");
    ASSERT_EQ(sim.files().moveFile("C:\\D", "C:\\E"), 0u);
    EXPECT_EQ(store().findDirectory("C:\\D"), nullptr);
    ASSERT_NE(store().findFile("C:\\E\\sub\\a.txt"), nullptr);
    EXPECT_EQ(store().findFile("C:\\E\\sub\\a.txt")->path, "C:\\E\\sub\\a.txt");
}

// --- Directory access lists ----------------------------------------------------------

struct AclRow {
    const char* name;
    ExplicitAccess entry;
    bool refuses;
};

class AclTest : public ::testing::TestWithParam<AclRow> {};

TEST_P(AclTest, DenyOfWriteRightsRefusesChangesInsideTheTree) {
    const AclRow& row = GetParam();
    Simulation sim(WorldWithFiles(true), Bitness::x86);
    FileStore& store = sim.world().files;
    ports::FileSystem& fs = sim.files();
    ASSERT_EQ(fs.createDirectory("C:\\Locked", {row.entry}), 0u);
    EXPECT_EQ(store.findDirectory("C:\\Locked")->acl, std::vector<ExplicitAccess>{row.entry});
    store.putFile("C:\\Locked\\deep\\old.txt", "old");
    store.ensureDirectory("C:\\Locked\\deep\\empty");

    const std::uint32_t expected = row.refuses ? err::AccessDenied : 0u;
    EXPECT_EQ(fs.createDirectory("C:\\Locked\\deep\\new", NoAcl), expected);
    EXPECT_EQ(fs.writeFile("C:\\Locked\\deep\\new.txt", "x"), expected);
    EXPECT_EQ(fs.appendToFile("C:\\Locked\\deep\\old.txt", "x"), expected);
    EXPECT_EQ(fs.setFileAttributes("C:\\Locked\\deep\\old.txt", fileattr::ReadOnly), expected);
    EXPECT_EQ(fs.copyFile("C:\\Windows\\System32\\net.exe", "C:\\Locked\\deep\\net.exe", false), expected);
    EXPECT_EQ(fs.moveFile("C:\\Locked\\deep\\old.txt", "C:\\Setup\\old.txt"), expected);
    EXPECT_EQ(fs.removeDirectory("C:\\Locked\\deep\\empty"), expected);
    // Reading is never refused.
    std::string bytes;
    EXPECT_EQ(fs.readFile("C:\\Locked\\deep\\new.txt", bytes), row.refuses ? err::FileNotFound : 0u);
}

TEST_P(AclTest, DeleteInsideIsRefusedByTheSameRule) {
    const AclRow& row = GetParam();
    World world = WorldWithFiles(true);
    world.files.ensureDirectory("C:\\Locked").acl = {row.entry};
    world.files.putFile("C:\\Locked\\a.txt", "a");
    Simulation sim(std::move(world), Bitness::x86);
    EXPECT_EQ(sim.files().deleteFile("C:\\Locked\\a.txt"), row.refuses ? err::AccessDenied : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AclTest,
    ::testing::Values(AclRow{"DenyEveryoneAll", {"Everyone", acl::GenericAll, AccessMode::Deny, 3}, true},
                      AclRow{"DenyAdministratorsWrite", {"Administrators", acl::GenericWrite, AccessMode::Deny, 0},
                             true},
                      AclRow{"DenyEveryoneDeleteBit", {"everyone", 0x00010000, AccessMode::Deny, 3}, true},
                      AclRow{"DenyEveryoneAddFileBit", {"Everyone", 0x0002, AccessMode::Deny, 3}, true},
                      AclRow{"DenyEveryoneReadOnly", {"Everyone", acl::GenericRead, AccessMode::Deny, 3}, false},
                      AclRow{"DenyOtherAccount", {"Guest", acl::GenericAll, AccessMode::Deny, 3}, false},
                      AclRow{"SetEveryoneAll", {"Everyone", acl::GenericAll, AccessMode::Set, 3}, false},
                      AclRow{"GrantEveryoneAll", {"Everyone", acl::GenericAll, AccessMode::Grant, 3}, false}),
    RowName<AclRow>);

// --- Listing -------------------------------------------------------------------------------

class FindFilesTest : public ::testing::Test {
protected:
    static World MakeWorld() {
        World world = WorldWithFiles(true);
        FileStore& files = world.files;
        files.putFile("C:\\Windows\\inf\\oem3.inf", "");
        files.putFile("C:\\Windows\\inf\\OEM12.INF", "");
        files.putFile("C:\\Windows\\inf\\oem3.PNF", "");
        files.putFile("C:\\Windows\\inf\\usbprint.inf", "");
        files.putFile("C:\\Pkg\\b.txt", "").readOnly = true;
        files.putFile("C:\\Pkg\\A.txt", "");
        files.putFile("C:\\Pkg\\_under.txt", "");
        files.ensureDirectory("C:\\Pkg\\Sub");
        return world;
    }
    Simulation sim{MakeWorld(), Bitness::x86};
    std::vector<DirEntry> entries;
};

TEST_F(FindFilesTest, ListsDotEntriesFirstThenNamesWithoutRegardToCase) {
    ASSERT_EQ(sim.files().findFiles("C:\\Pkg\\*.*", entries), 0u);
    ASSERT_EQ(EntryNames(entries), (std::vector<std::string>{".", "..", "A.txt", "b.txt", "Sub", "_under.txt"}));
    EXPECT_EQ(entries[0].attributes, fileattr::Directory);
    EXPECT_EQ(entries[2].attributes, fileattr::Archive);
    EXPECT_EQ(entries[3].attributes, fileattr::Archive | fileattr::ReadOnly);
    EXPECT_EQ(entries[4].attributes, fileattr::Directory);
    EXPECT_EQ(entries[4].path, "C:\\Pkg\\Sub");
}

TEST_F(FindFilesTest, EntryPathsKeepTheTextOfThePattern) {
    ASSERT_EQ(sim.files().findFiles("C:\\\\Pkg/Sub/../*.txt", entries), 0u);
    ASSERT_EQ(EntryNames(entries), (std::vector<std::string>{"A.txt", "b.txt", "_under.txt"}));
    EXPECT_EQ(entries[0].path, "C:\\\\Pkg/Sub/..\\A.txt");
}

TEST_F(FindFilesTest, OemPatternInTheInfStore) {
    ASSERT_EQ(sim.files().findFiles("C:\\Windows\\inf\\oem*.inf", entries), 0u);
    EXPECT_EQ(EntryNames(entries), (std::vector<std::string>{"OEM12.INF", "oem3.inf"}));
}

TEST_F(FindFilesTest, RelativePatternSearchesTheCurrentDirectory) {
    sim.world().currentDirectory = "C:\\Pkg";
    ASSERT_EQ(sim.files().findFiles("*.txt", entries), 0u);
    EXPECT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path, "A.txt");
}

TEST_F(FindFilesTest, DriveRootHasNoDotEntries) {
    ASSERT_EQ(sim.files().findFiles("C:\\*", entries), 0u);
    EXPECT_EQ(EntryNames(entries), (std::vector<std::string>{"Pkg", "Setup", "Windows"}));
    EXPECT_EQ(entries[0].path, "C:\\Pkg");
}

TEST_F(FindFilesTest, FailuresAndLastError) {
    EXPECT_EQ(sim.files().findFiles("C:\\Pkg\\*.dll", entries), err::FileNotFound);
    EXPECT_EQ(sim.lastError(), err::FileNotFound);
    EXPECT_EQ(sim.files().findFiles("C:\\None\\*.*", entries), err::PathNotFound);
    EXPECT_EQ(sim.lastError(), err::PathNotFound);
    EXPECT_EQ(sim.files().findFiles("C:\\Pkg\\", entries), err::FileNotFound);
    EXPECT_TRUE(entries.empty());
}

TEST_F(FindFilesTest, SystemDirectoryOfA32BitProgramListsSysWow64) {
    ASSERT_EQ(sim.files().findFiles("C:\\Windows\\System32\\*.exe", entries), 0u);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, "C:\\Windows\\System32\\net.exe");
    std::string bytes;
    ASSERT_EQ(sim.files().readFile(entries[0].path, bytes), 0u);
    EXPECT_EQ(bytes, "wow64 net");
}

// --- Profile strings ------------------------------------------------------------------------

struct ProfileRow {
    const char* name;
    const char* text;  // nullptr: no file
    const char* section;
    const char* key;
    const char* defaultValue;
    std::uint32_t bufferSize;
    const char* expected;
    std::uint32_t lastError;  // 0: left alone
};

class ProfileTest : public ::testing::TestWithParam<ProfileRow> {};

TEST_P(ProfileTest, ReadsAsGetPrivateProfileString) {
    const ProfileRow& row = GetParam();
    World world = WorldWithFiles(true);
    if (row.text) world.files.putFile("C:\\Setup\\UI580D.INI", row.text);
    Simulation sim(std::move(world), Bitness::x86);
    sim.lastError() = 0;
    std::string value = "stale";
    const std::uint32_t length = sim.files().getPrivateProfileString(row.section, row.key, row.defaultValue, value,
                                                                     row.bufferSize, "C:\\Setup\\UI580D.INI");
    EXPECT_EQ(value, row.expected);
    EXPECT_EQ(length, value.size());
    EXPECT_EQ(sim.lastError(), row.lastError);
}

constexpr const char* Ini =
    "; comment line\r\n"
    "[Other]\r\n"
    "Model=wrong\r\n"
    "[ Settings ]\r\n"
    "  Model  =  KVT-580duo  \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Unmatched=\"x\r\n"
    ";Hidden=1\r\n"
    "Empty=\r\n"
    "Model=second\r\n"
    "Unix=lf\n"
    "[settings]\r\n"
    "Late=found only in the duplicate\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ProfileTest,
    ::testing::Values(ProfileRow{"TrimmedFirstMatch", Ini, "Settings", "Model", "d", 256, "KVT-580duo", 0},
                      ProfileRow{"NamesWithoutCase", Ini, "SETTINGS", "model", "d", 256, "KVT-580duo", 0},
                      ProfileRow{"QuotesRemovedSpacesKept", Ini, "Settings", "Quoted", "d", 256, "  spaced  ", 0},
                      ProfileRow{"UnmatchedQuoteKept", Ini, "Settings", "Unmatched", "d", 256, "\"x", 0},
                      ProfileRow{"EmptyValue", Ini, "Settings", "Empty", "d", 256, "", 0},
                      ProfileRow{"CommentIsNoKey", Ini, "Settings", ";Hidden", "d", 256, "d", 2},
                      ProfileRow{"MissingKey", Ini, "Settings", "None", "fallback", 256, "fallback", 2},
                      ProfileRow{"MissingSection", Ini, "Nowhere", "Model", "fallback", 256, "fallback", 2},
                      ProfileRow{"OnlyFirstSectionOfAName", Ini, "Settings", "Late", "d", 256, "d", 2},
                      ProfileRow{"MissingFile", nullptr, "Settings", "Model", "fallback", 256, "fallback", 2},
                      ProfileRow{"DefaultLosesTrailingBlanks", nullptr, "S", "K", "dflt  ", 256, "dflt", 2},
                      ProfileRow{"CutToBufferLessOne", Ini, "Settings", "Model", "d", 4, "KVT", 0},
                      ProfileRow{"ZeroBuffer", Ini, "Settings", "Model", "d", 0, "", 0}),
    RowName<ProfileRow>);

TEST(SimFileSystemTest, ProfileFileWithoutADirectoryIsInTheWindowsDirectory) {
    World world = WorldWithFiles(true);
    world.files.putFile("C:\\Windows\\UI580D.INI", "[S]\r\nK=in windows\r\n");
    world.files.putFile("C:\\Setup\\UI580D.INI", "[S]\r\nK=in setup\r\n");
    Simulation sim(std::move(world), Bitness::x86);
    std::string value;
    sim.files().getPrivateProfileString("S", "K", "", value, 256, "UI580D.INI");
    EXPECT_EQ(value, "in windows");
    sim.files().getPrivateProfileString("S", "K", "", value, 256, ".\\UI580D.INI");
    EXPECT_EQ(value, "in setup");
}

// --- Fault injection --------------------------------------------------------------------------

TEST(SimFileSystemTest, PlannedFaultFailsTheCallWithoutEffect) {
    World world = WorldWithFiles(true);
    world.files.putFile("C:\\D\\a.txt", "a");
    Simulation sim(std::move(world), Bitness::x86);
    sim.faults().failCall("FileSystem.deleteFile", err::AccessDenied, 2);
    EXPECT_EQ(sim.files().deleteFile("C:\\D\\none.txt"), err::FileNotFound);
    EXPECT_EQ(sim.files().deleteFile("C:\\D\\a.txt"), err::AccessDenied);
    EXPECT_EQ(sim.lastError(), err::AccessDenied);
    EXPECT_NE(sim.world().files.findFile("C:\\D\\a.txt"), nullptr);
    EXPECT_EQ(sim.files().deleteFile("C:\\D\\a.txt"), 0u);
    EXPECT_EQ(sim.faults().callCount("FileSystem.deleteFile"), 3u);
}

TEST(SimFileSystemTest, PlannedFaultsOfTheQueries) {
    Simulation sim(WorldWithFiles(true), Bitness::x86);
    sim.faults().failCall("FileSystem.getWindowsDirectory", err::InsufficientBuffer);
    sim.faults().failCall("FileSystem.hasGetSystemWow64Directory", 1);
    sim.faults().failCall("FileSystem.getPrivateProfileString", err::AccessDenied);
    sim.world().files.putFile("C:\\Windows\\x.ini", "[S]\r\nK=v\r\n");
    std::string path = "unchanged";
    EXPECT_EQ(sim.files().getWindowsDirectory(path), err::InsufficientBuffer);
    EXPECT_EQ(path, "unchanged");
    EXPECT_FALSE(sim.files().hasGetSystemWow64Directory());
    std::string value;
    EXPECT_EQ(sim.files().getPrivateProfileString("S", "K", "dflt", value, 256, "x.ini"), 4u);
    EXPECT_EQ(value, "dflt");
    EXPECT_EQ(sim.lastError(), err::AccessDenied);
}

}  // namespace
}  // namespace kvt::sim
