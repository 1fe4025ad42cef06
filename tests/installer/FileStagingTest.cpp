// Staging of the driver files, their clean-up, the copies of the utilities
// and the product folder, on fresh simulated systems with the built package.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "tests/support/InstallerTestSystem.h"

namespace kvt::installer {
namespace {

using test::FreshSystemWithPackage;
using test::InstallerTestSystem;
using Lines = std::vector<std::string>;

constexpr const char* kDriverDirX86 = "C:\\Windows\\System32\\spool\\drivers\\W32X86";
constexpr const char* kDriverDirX64 = "C:\\Windows\\System32\\spool\\drivers\\x64";
constexpr const char* kProductFolder = "C:\\Windows\\KVT-580duo";

const Lines kStagedFiles = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",  "KVT580D.dll",
                            "UI580D.dll",  "UNI580D.dll",  "UI580D.INI", "KVT580D.GPD", "STDNAMES.GPD"};
// The product's own files that 32-bit systems before Vista also load from
// the Windows directory.
const Lines kWindowsCopies = {"KVT580D.dll", "UI580D.dll", "UNI580D.dll", "UI580D.INI", "KVT580D.GPD"};

std::string In(std::string_view folder, std::string_view name) { return std::string(folder) + "\\" + std::string(name); }

bool Contains(const Lines& lines, std::string_view part) {
    return std::any_of(lines.begin(), lines.end(), [part](const std::string& l) { return l.find(part) != l.npos; });
}

// The messages that follow the first occurrence of `line`.
Lines After(const Lines& lines, std::string_view line, std::size_t count) {
    auto at = std::find(lines.begin(), lines.end(), line);
    if (at == lines.end()) return {"<missing: " + std::string(line) + ">"};
    ++at;
    const auto end = static_cast<std::size_t>(lines.end() - at) < count ? lines.end() : at + static_cast<std::ptrdiff_t>(count);
    return Lines(at, end);
}

const std::vector<ports::ExplicitAccess> kProductFolderAccess = {
    {"Everyone", acl::GenericRead | acl::GenericExecute, ports::AccessMode::Set, 3},
    {"Administrators", acl::GenericAll, ports::AccessMode::Set, 3},
    {"SYSTEM", acl::GenericAll, ports::AccessMode::Set, 3},
};

// ------------------------------------------------------------- staging per system

struct StagingRow {
    const char* name;
    const char* os;
    const char* environment;
    const char* driverDirectory;
    const char* packageFolder;
    bool windowsCopies;
};

class StagingOnSystem : public ::testing::TestWithParam<StagingRow> {};

TEST_P(StagingOnSystem, StagesEveryFileWhereTheDriversSpoolerLooks) {
    const StagingRow& row = GetParam();
    InstallerTestSystem system(FreshSystemWithPackage(row.os));
    system.engine().CopyFilesNeededToAddPrnDrv();

    // Without an environment the spooler answers for the installer's own,
    // which is the 32-bit one also on 64-bit Windows.
    ASSERT_EQ(system.calls().driverDirectoryQueries.size(), 1u);
    EXPECT_EQ(system.calls().driverDirectoryQueries[0].value_or("Windows NT x86"), row.environment);
    for (const std::string& name : kStagedFiles) {
        const sim::FileRecord* source = system.file(In(std::string("C:\\Setup\\") + row.packageFolder, name));
        const sim::FileRecord* staged = system.file(In(row.driverDirectory, name));
        ASSERT_NE(source, nullptr) << name;
        ASSERT_NE(staged, nullptr) << name;
        EXPECT_EQ(staged->bytes, source->bytes) << name;
        const bool wanted = row.windowsCopies && std::count(kWindowsCopies.begin(), kWindowsCopies.end(), name) == 1;
        EXPECT_EQ(system.hasFile(In("C:\\Windows", name)), wanted) << name;
    }
    EXPECT_FALSE(Contains(system.log(), "ERROR")) << "no copy may fail on a fresh system";
}

INSTANTIATE_TEST_SUITE_P(
    Systems, StagingOnSystem,
    ::testing::Values(StagingRow{"xp_x86", "xp-x86", "Windows NT x86", kDriverDirX86, "Driver32", true},
                      StagingRow{"xp_x64", "xp-x64", "Windows x64", kDriverDirX64, "Driver64", false},
                      StagingRow{"vista_x86", "vista-x86", "Windows NT x86", kDriverDirX86, "Driver32", false},
                      StagingRow{"win10_x64", "win10-x64", "Windows x64", kDriverDirX64, "Driver64", false}),
    [](const auto& r) { return std::string(r.param.name); });

TEST(CopyFilesNeededToAddPrnDrv, LogsEachCopyInOrderWithTheSecondCopiesRightAfterTheirFile) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    system.engine().CopyFilesNeededToAddPrnDrv();
    Lines expected = {"", "", "CopyFilesNeededToAddPrnDrv BEGIN"};
    for (const std::string& name : kStagedFiles) {
        expected.push_back("FILE SRC : .\\Driver32\\" + name);
        if (std::count(kWindowsCopies.begin(), kWindowsCopies.end(), name) == 1)
            expected.push_back("FILE SRC : .\\Driver32\\" + name);
    }
    expected.push_back("CopyFilesNeededToAddPrnDrv END");
    EXPECT_EQ(system.log(), expected);
    EXPECT_EQ(system.shown(), (Lines{"progress:10", "text:Copying files...\r\n", "sleep:500"}));
}

std::uint32_t AskWindows(ports::Platform& p, std::string& answer) { return p.files.getWindowsDirectory(answer); }
std::uint32_t AskSystem(ports::Platform& p, std::string& answer) { return p.files.getSystemDirectory(answer); }
// The installer's own environment, which is the one of its staging on xp-x86.
std::uint32_t AskDrivers(ports::Platform& p, std::string& answer) {
    return p.spooler.getPrinterDriverDirectory(std::nullopt, answer);
}

// A directory answer fills the 256-byte buffer with 255 characters and its
// terminator; one character more and the buffer holds no directory at all.
struct DirectoryEdgeRow {
    const char* name;
    std::uint32_t (*ask)(ports::Platform&, std::string&);
    std::size_t length;
    const char* failureLine;
    friend void PrintTo(const DirectoryEdgeRow& row, std::ostream* out) { *out << row.name; }
};

class DirectoryAtTheBufferEdge : public ::testing::TestWithParam<DirectoryEdgeRow> {};

TEST_P(DirectoryAtTheBufferEdge, IsUsedOnlyWhenItFitsTheBuffer) {
    const DirectoryEdgeRow& row = GetParam();
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    // Every directory of the system lies below the Windows directory: a
    // longer one makes the answer of the row's length.
    std::string answer;
    ASSERT_EQ(row.ask(system.platform(), answer), err::Success);
    const std::size_t below = answer.size() - system.world().windowsDirectory.size();
    system.world().windowsDirectory = "C:\\" + std::string(row.length - below - 3, 'w');
    ASSERT_EQ(row.ask(system.platform(), answer), err::Success);
    ASSERT_EQ(answer.size(), row.length);

    system.engine().CopyFilesNeededToAddPrnDrv();
    system.engine().CopyFilesOfUtilities();

    const bool fits = row.length < 256;
    EXPECT_EQ(Contains(system.log(), row.failureLine), !fits);
    EXPECT_EQ(Contains(system.log(), answer + "\\"), fits) << "a target in the directory";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DirectoryAtTheBufferEdge,
    ::testing::Values(DirectoryEdgeRow{"windows_255", AskWindows, 255, "GetWindowsDirectory failed"},
                      DirectoryEdgeRow{"windows_256", AskWindows, 256, "GetWindowsDirectory failed"},
                      DirectoryEdgeRow{"system_255", AskSystem, 255, "GetSystemDirectory failed"},
                      DirectoryEdgeRow{"system_256", AskSystem, 256, "GetSystemDirectory failed"},
                      DirectoryEdgeRow{"driver_255", AskDrivers, 255, "GetPrinterDriverDirectory failed. (122)"},
                      DirectoryEdgeRow{"driver_256", AskDrivers, 256, "GetPrinterDriverDirectory failed. (122)"}),
    [](const auto& r) { return std::string(r.param.name); });

struct MissingRow {
    const char* name;
    const char* file;  // taken out of the package folder
    Lines afterItsFirstCopy;
};

class MissingPackageFile : public ::testing::TestWithParam<MissingRow> {};

TEST_P(MissingPackageFile, IsLoggedOnlyForTheProductsOwnFiles) {
    const MissingRow& row = GetParam();
    sim::World world = FreshSystemWithPackage("xp-x86");
    world.files.eraseFile(In("C:\\Setup\\Driver32", row.file));
    InstallerTestSystem system(std::move(world));
    system.engine().CopyFilesNeededToAddPrnDrv();
    const std::string source = std::string(".\\Driver32\\") + row.file;
    EXPECT_EQ(After(system.log(), "FILE SRC : " + source, row.afterItsFirstCopy.size()), row.afterItsFirstCopy);
    EXPECT_EQ(system.messageBoxes(), Lines{});
}

INSTANTIATE_TEST_SUITE_P(
    Files, MissingPackageFile,
    ::testing::Values(
        MissingRow{"universal_driver", "UNIDRV.DLL", {"FILE SRC : .\\Driver32\\UNIDRVUI.DLL"}},
        MissingRow{"driver_dll",
                   "KVT580D.dll",
                   {"COPYFILE ERROR, SRC : .\\Driver32\\KVT580D.dll ", "ERROR CODE : 2 ",
                    "COPYFILE ERROR, DES : C:\\Windows\\System32\\spool\\drivers\\W32X86\\KVT580D.dll ",
                    "FILE SRC : .\\Driver32\\KVT580D.dll", "COPYFILE ERROR, SRC : .\\Driver32\\KVT580D.dll ",
                    "ERROR CODE : 2 ", "COPYFILE ERROR, DES : C:\\Windows\\KVT580D.dll ",
                    "FILE SRC : .\\Driver32\\UI580D.dll"}},
        MissingRow{"standard_names",
                   "STDNAMES.GPD",
                   {"COPYFILE ERROR, SRC : .\\Driver32\\STDNAMES.GPD ", "ERROR CODE : 2 ",
                    "COPYFILE ERROR, DES : C:\\Windows\\System32\\spool\\drivers\\W32X86\\STDNAMES.GPD ",
                    "CopyFilesNeededToAddPrnDrv END"}}),
    [](const auto& r) { return std::string(r.param.name); });

// ------------------------------------------------------------- copy failures

constexpr const char* kSource = ".\\Driver32\\KVT580D.dll";
constexpr const char* kTarget = "C:\\Windows\\System32\\spool\\drivers\\W32X86\\KVT580D.dll";
constexpr const char* kOld = "C:\\Windows\\System32\\spool\\drivers\\W32X86\\KVT580D.dll.old";

enum class Held { Absent, Plain, InUse, ReadOnly };

struct CopyErrorRow {
    const char* name;
    std::uint32_t code;
    Held target;
    Held old;
    bool retried;
    Lines log;
    const char* targetBytes;  // afterwards
    const char* oldBytes;     // afterwards; nullptr: no ".old" file
};

class CopyError : public ::testing::TestWithParam<CopyErrorRow> {};

void Put(sim::World& world, const char* path, Held held, const char* bytes) {
    if (held == Held::Absent) return;
    sim::FileRecord& file = world.files.putFile(path, bytes);
    file.inUse = held == Held::InUse;
    file.readOnly = held == Held::ReadOnly;
}

TEST_P(CopyError, MovesALockedTargetAsideOrOnlyLogs) {
    const CopyErrorRow& row = GetParam();
    sim::World world = FreshSystemWithPackage("xp-x86");
    Put(world, kTarget, row.target, "loaded driver");
    Put(world, kOld, row.old, "older driver");
    InstallerTestSystem system(std::move(world));
    const std::string fresh = system.file("C:\\Setup\\Driver32\\KVT580D.dll")->bytes;

    EXPECT_EQ(system.engine().HandleCopyFileError(kSource, kTarget, row.code), row.retried);
    EXPECT_EQ(system.log(), row.log);
    const sim::FileRecord* target = system.file(kTarget);
    const std::string expectedTarget = row.targetBytes == nullptr ? fresh : row.targetBytes;
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->bytes, expectedTarget);
    const sim::FileRecord* old = system.file(kOld);
    if (row.oldBytes == nullptr) {
        EXPECT_EQ(old, nullptr);
    } else {
        ASSERT_NE(old, nullptr);
        EXPECT_EQ(old->bytes, row.oldBytes);
    }
}

const Lines kMovedAside = {"strDest : " + std::string(kTarget), "strDestWithOldExt : " + std::string(kOld)};

Lines Join(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyError,
    ::testing::Values(
        CopyErrorRow{"in_use_target_moved_aside", 32, Held::InUse, Held::Absent, true,
                     Join({"ERROR_SHARING_VIOLATION HANDLER"}, kMovedAside), nullptr, "loaded driver"},
        CopyErrorRow{"earlier_old_file_deleted_first", 32, Held::InUse, Held::Plain, true,
                     Join({"ERROR_SHARING_VIOLATION HANDLER"}, kMovedAside), nullptr, "loaded driver"},
        CopyErrorRow{"read_only_target_moved_aside", 5, Held::ReadOnly, Held::Absent, true,
                     Join({"ERROR_ACCESS_DENIED HANDLER"}, kMovedAside), nullptr, "loaded driver"},
        CopyErrorRow{"target_gone_meanwhile", 32, Held::Absent, Held::Absent, true,
                     {"ERROR_SHARING_VIOLATION HANDLER"}, nullptr, nullptr},
        CopyErrorRow{"locked_old_file_stays", 32, Held::InUse, Held::InUse, true,
                     Join(Join({"ERROR_SHARING_VIOLATION HANDLER"}, kMovedAside),
                          {"CopyFile Error : .\\Driver32\\KVT580D.dll ", "Error Code : (32) ",
                           "CopyFile Error : " + std::string(kTarget) + " "}),
                     "loaded driver", "older driver"},
        CopyErrorRow{"other_error_only_logged", 2, Held::Plain, Held::Absent, false,
                     {"COPYFILE ERROR, SRC : .\\Driver32\\KVT580D.dll ", "ERROR CODE : 2 ",
                      "COPYFILE ERROR, DES : " + std::string(kTarget) + " "},
                     "loaded driver", nullptr}),
    [](const auto& r) { return std::string(r.param.name); });

TEST(CopyFilesNeededToAddPrnDrv, ADriverDllHeldBySpoolerIsReplacedAndItsOldCopyGoesNextTime) {
    sim::World world = FreshSystemWithPackage("xp-x86");
    Put(world, kTarget, Held::InUse, "first release");
    InstallerTestSystem first(std::move(world));
    first.engine().CopyFilesNeededToAddPrnDrv();
    const std::string fresh = first.file("C:\\Setup\\Driver32\\KVT580D.dll")->bytes;
    ASSERT_EQ(first.file(kTarget)->bytes, fresh);
    ASSERT_NE(first.file(kOld), nullptr);
    EXPECT_EQ(first.file(kOld)->bytes, "first release");

    // Next installation: the ".old" file is free again, the staged DLL held.
    sim::World after = first.world();
    after.files.findFile(kOld)->inUse = false;
    after.files.putFile(kTarget, "second release").inUse = true;
    InstallerTestSystem second(std::move(after));
    second.engine().CopyFilesNeededToAddPrnDrv();
    EXPECT_EQ(second.file(kTarget)->bytes, fresh);
    EXPECT_EQ(second.file(kOld)->bytes, "second release");
}

// ------------------------------------------------------------- the product folder

struct FolderRow {
    const char* name;
    bool existing;                     // a folder with files, a subfolder and another access list
    std::vector<std::uint32_t> fails;  // codes of the first creation attempts (0: success)
    int result;
    std::uint32_t attempts;
    bool explicitAccess;               // false: created with default security
};

class ProductFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(ProductFolder, IsCreatedAfreshWithItsAccessList) {
    const FolderRow& row = GetParam();
    sim::World world = FreshSystemWithPackage("xp-x86");
    if (row.existing) {
        world.files.ensureDirectory(kProductFolder).acl = {{"Everyone", acl::GenericAll, ports::AccessMode::Set, 3}};
        world.files.putFile(In(kProductFolder, "stale.txt"), "left over").readOnly = true;
        world.files.putFile(In(kProductFolder, "old\\notes.txt"), "left over");
    }
    InstallerTestSystem system(std::move(world));
    sim::Faults& faults = system.sim().faults();
    for (std::uint32_t n = 0; n < row.fails.size(); ++n)
        if (row.fails[n] != 0) faults.failCall("FileSystem.createDirectory", row.fails[n], n + 1);

    const std::uint32_t before = faults.callCount("FileSystem.createDirectory");
    EXPECT_EQ(system.engine().CreateDirectoryWithSA(kProductFolder), row.result);
    EXPECT_EQ(faults.callCount("FileSystem.createDirectory") - before, row.attempts);
    EXPECT_EQ(system.log(), (Lines{"", "", "CreateDirectoryWithSA BEGIN", "CreateDirectoryWithSA END"}));

    const sim::DirectoryRecord* folder = system.world().files.findDirectory(kProductFolder);
    if (row.result == 0) {
        EXPECT_EQ(folder, nullptr);
        return;
    }
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->acl, row.explicitAccess ? kProductFolderAccess : std::vector<ports::ExplicitAccess>{});
    EXPECT_EQ(system.world().files.childFiles(kProductFolder), Lines{});
    EXPECT_EQ(system.world().files.childDirectories(kProductFolder), Lines{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProductFolder,
    ::testing::Values(FolderRow{"new", false, {}, 1, 1, true},
                      FolderRow{"existing_emptied_and_recreated", true, {}, 1, 2, true},
                      FolderRow{"one_more_attempt", false, {5}, 1, 2, true},
                      FolderRow{"existing_then_one_more_attempt", true, {0, 5}, 1, 3, true},
                      FolderRow{"default_security_last", false, {5, 5}, 1, 3, false},
                      FolderRow{"every_attempt_fails", false, {5, 5, 5}, 0, 3, false}),
    [](const auto& r) { return std::string(r.param.name); });

TEST(ProductFolder, AnEveryoneSidThatCannotBeBuiltIsLoggedAndCreationGoesOn) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    system.sim().faults().failCall("FileSystem.buildWellKnownSid", 8, 1);
    EXPECT_EQ(system.engine().CreateDirectoryWithSA(kProductFolder), 1);
    EXPECT_EQ(system.log(), (Lines{"", "", "CreateDirectoryWithSA BEGIN", "Fail to get Everyone SID. (8)",
                                   "CreateDirectoryWithSA END"}));
    EXPECT_NE(system.world().files.findDirectory(kProductFolder), nullptr);
}

// Everyone may read and run what is in the folder; changing it takes an
// administrator, so nobody can swap the uninstaller that Windows starts
// with an administrator's rights.
TEST(ProductFolder, OnlyAdministratorsAndTheSystemMayChangeIt) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    ASSERT_EQ(system.engine().CreateDirectoryWithSA(kProductFolder), 1);
    for (const ports::ExplicitAccess& entry : system.world().files.findDirectory(kProductFolder)->acl) {
        const bool mayChange = (entry.rights & (acl::GenericAll | acl::GenericWrite)) != 0;
        EXPECT_EQ(mayChange, entry.trustee != "Everyone") << entry.trustee;
    }
}

// ------------------------------------------------------------- utilities

struct UtilitiesRow {
    const char* name;
    const char* os;
    const char* systemCopy;
    bool deviceRemovalProgram;  // 64-bit Windows: the uninstaller needs it beside it
};

class Utilities : public ::testing::TestWithParam<UtilitiesRow> {};

TEST_P(Utilities, LeaveOnlyTheUninstallerAndTheConfigurationInTheProductFolder) {
    const UtilitiesRow& row = GetParam();
    sim::World world = FreshSystemWithPackage(row.os);
    world.files.putFile(In(kProductFolder, "KVT580duo_Uninstaller.exe"), "older uninstaller");
    world.files.putFile(In(kProductFolder, "readme.txt"), "left over");
    InstallerTestSystem system(std::move(world));
    system.engine().CopyFilesOfUtilities();

    Lines names;
    for (const std::string& path : system.world().files.childFiles(kProductFolder))
        names.push_back(path.substr(path.rfind('\\') + 1));
    std::sort(names.begin(), names.end());
    Lines expectedNames{"KVT580duo_Config.NVX", "KVT580duo_Uninstaller.exe"};
    Lines expectedLog{"", "", "CopyFilesOfUtilities BEGIN", "", "", "CreateDirectoryWithSA BEGIN",
                      "CreateDirectoryWithSA END", "FILE SRC : KVT580duo_Uninstaller.exe",
                      "FILE SRC : KVT580duo_Config.NVX"};
    if (row.deviceRemovalProgram) {
        expectedNames.insert(expectedNames.begin() + 1, "KVT580duo_DeviceRemoval.exe");
        expectedLog.push_back("FILE SRC : .\\Driver64\\KVT580duo_DeviceRemoval.exe");
        EXPECT_EQ(system.file(In(kProductFolder, "KVT580duo_DeviceRemoval.exe"))->bytes,
                  system.file("C:\\Setup\\Driver64\\KVT580duo_DeviceRemoval.exe")->bytes);
    }
    expectedLog.insert(expectedLog.end(), {"FILE SRC : KVT580duo_Config.NVX", "CopyFilesOfUtilities END"});
    EXPECT_EQ(names, expectedNames);
    EXPECT_EQ(system.file(In(kProductFolder, "KVT580duo_Uninstaller.exe"))->bytes,
              system.file("C:\\Setup\\KVT580duo_Uninstaller.exe")->bytes);
    EXPECT_TRUE(system.hasFile(row.systemCopy));
    EXPECT_EQ(system.log(), expectedLog);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, Utilities,
    ::testing::Values(UtilitiesRow{"xp_x86", "xp-x86", "C:\\Windows\\System32\\KVT580duo_Config.NVX", false},
                      UtilitiesRow{"win10_x64", "win10-x64", "C:\\Windows\\SysWOW64\\KVT580duo_Config.NVX", true}),
    [](const auto& r) { return std::string(r.param.name); });

TEST(Utilities, AMissingConfigurationFileIsLoggedTwiceAndTheRestGoesOn) {
    sim::World world = FreshSystemWithPackage("xp-x86");
    world.files.eraseFile("C:\\Setup\\KVT580duo_Config.NVX");
    InstallerTestSystem system(std::move(world));
    system.engine().CopyFilesOfUtilities();
    EXPECT_TRUE(system.hasFile(In(kProductFolder, "KVT580duo_Uninstaller.exe")));
    EXPECT_EQ(After(system.log(), "FILE SRC : KVT580duo_Uninstaller.exe", 9),
              (Lines{"FILE SRC : KVT580duo_Config.NVX", "COPYFILE ERROR, SRC : KVT580duo_Config.NVX ",
                     "ERROR CODE : 2 ", "COPYFILE ERROR, DES : C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX ",
                     "FILE SRC : KVT580duo_Config.NVX", "COPYFILE ERROR, SRC : KVT580duo_Config.NVX ",
                     "ERROR CODE : 2 ", "COPYFILE ERROR, DES : C:\\Windows\\system32\\KVT580duo_Config.NVX ",
                     "CopyFilesOfUtilities END"}));
    EXPECT_EQ(system.messageBoxes(), Lines{});
}

// ------------------------------------------------------------- clean-up

struct CleanupRow {
    const char* name;
    const char* os;
    const char* driverDirectory;
};

class Cleanup : public ::testing::TestWithParam<CleanupRow> {};

TEST_P(Cleanup, DeletesOnlyTheStagedCopies) {
    const CleanupRow& row = GetParam();
    InstallerTestSystem system(FreshSystemWithPackage(row.os));
    system.engine().CopyFilesNeededToAddPrnDrv();
    system.world().files.putFile(In(row.driverDirectory, "3\\KVT580D.dll"), "installed");
    const bool windowsCopies = system.hasFile("C:\\Windows\\KVT580D.dll");
    system.mark();
    system.engine().DeleteFilesUsed();

    Lines expected = {"", "", "DeleteFilesUsed BEGIN"};
    for (const std::string& name : kStagedFiles) {
        EXPECT_FALSE(system.hasFile(In(row.driverDirectory, name))) << name;
        expected.push_back("FILE SRC : " + In(row.driverDirectory, name));
    }
    expected.push_back("DeleteFilesUsed END");
    EXPECT_EQ(system.log(), expected);
    EXPECT_EQ(system.shown(), (Lines{"progress:20", "text:Deleting files used to install...\r\n", "sleep:500"}));
    EXPECT_TRUE(system.hasFile(In(row.driverDirectory, "3\\KVT580D.dll")));
    EXPECT_EQ(system.hasFile("C:\\Windows\\KVT580D.dll"), windowsCopies);
}

INSTANTIATE_TEST_SUITE_P(Systems, Cleanup,
                         ::testing::Values(CleanupRow{"xp_x86", "xp-x86", kDriverDirX86},
                                           CleanupRow{"xp_x64", "xp-x64", kDriverDirX64}),
                         [](const auto& r) { return std::string(r.param.name); });

TEST(Cleanup, FailedDeletionsAreLoggedForTheProductsOwnFilesOnly) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    system.engine().CopyFilesNeededToAddPrnDrv();
    system.world().files.eraseFile(In(kDriverDirX86, "UNIDRV.DLL"));
    system.world().files.eraseFile(In(kDriverDirX86, "UI580D.INI"));
    system.world().files.findFile(In(kDriverDirX86, "KVT580D.GPD"))->inUse = true;
    system.mark();
    system.engine().DeleteFilesUsed();

    Lines errors;
    for (const std::string& line : system.log())
        if (line.starts_with("DeleteFile Error")) errors.push_back(line);
    EXPECT_EQ(errors, (Lines{"DeleteFile Error : " + In(kDriverDirX86, "UI580D.INI") + " , (2)",
                             "DeleteFile Error : " + In(kDriverDirX86, "KVT580D.GPD") + " , (32)"}));
}

}  // namespace
}  // namespace kvt::installer
