// The INF copy in the system's INF store and the uninstall entry, on fresh
// simulated systems with the built package in C:\Setup.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"
#include "tests/support/InstallerTestSystem.h"
#include "tests/support/ProductInfText.h"

namespace kvt::installer {
namespace {

using test::FreshSystemWithPackage;
using test::InstallerTestSystem;
using Lines = std::vector<std::string>;

constexpr const char* kStore = "C:\\Windows\\inf";
constexpr const char* kEntryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
constexpr const char* kEntry = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
constexpr const char* kRedirectedEntry =
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";

// An INF of the product for x86 systems only, as an older package had it.
constexpr const char* kX86OnlyInf =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
    "[Manufacturer]\r\n%NORVEX%=NORVEX\r\n"
    "[NORVEX]\r\n\"NORVEX KVT-580duo\" = KVT580D.GPD\r\n"
    "[Strings]\r\nNORVEX=\"NORVEX\"\r\n";

// Another maker's INF that even lists a model under the product's name.
constexpr const char* kOtherMakersInf =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
    "[Manufacturer]\r\n%ACME%=ACME,NTamd64\r\n"
    "[ACME]\r\n\"ACME Receipt 80\" = ACME80.GPD\r\n\"NORVEX KVT-580duo\" = ACME80.GPD\r\n"
    "[ACME.NTamd64]\r\n\"ACME Receipt 80\" = ACME80.GPD\r\n\"NORVEX KVT-580duo\" = ACME80.GPD\r\n"
    "[Strings]\r\nACME=\"ACME\"\r\n";

std::string InFolder(std::string_view folder, std::string_view name) { return std::string(folder) + "\\" + std::string(name); }

// ------------------------------------------------------------- INFFileExist

struct StoreRow {
    const char* name;
    const char* os;
    std::vector<std::pair<std::string, std::string>> store;  // name, text
    const char* failOpen;  // a store name whose opening fails with 2, or nullptr
    int result;
    Lines log;
};

class InfInStore : public ::testing::TestWithParam<StoreRow> {};

TEST_P(InfInStore, CountsOnlyOemCopiesWithTheDriversLineInTheMakersSection) {
    const StoreRow& row = GetParam();
    sim::World world = FreshSystemWithPackage(row.os);
    for (const auto& [name, text] : row.store) world.files.putFile(InFolder(kStore, name), text);
    InstallerTestSystem system(std::move(world));
    if (row.failOpen != nullptr) {
        // The listing is in the store's (sorted) order, so the nth open is known.
        std::uint32_t nth = 0;
        std::vector<std::string> names;
        system.platform().devices.getInfFileList("", ports::devsetup::InfStyleWin4, names);
        for (const std::string& name : names) {
            if (name.starts_with("oem")) ++nth;
            if (name == row.failOpen) break;
        }
        system.sim().faults().failCall("DeviceSetup.openInfFile", err::FileNotFound, nth);
    }
    EXPECT_EQ(system.engine().INFFileExist("NORVEX", "NORVEX KVT-580duo"), row.result);
    EXPECT_EQ(system.log(), row.log);
}

Lines SearchLog(const char* section, Lines findings) {
    Lines log = {"", "", "INFFileExist BEGIN", std::string("SECTION NAME : ") + section,
                 "KEY NAME : NORVEX KVT-580duo"};
    log.insert(log.end(), findings.begin(), findings.end());
    log.push_back("INFFileExist END");
    return log;
}

INSTANTIATE_TEST_SUITE_P(
    Stores, InfInStore,
    ::testing::Values(
        StoreRow{"empty_store", "xp-x86", {}, nullptr, 0, SearchLog("NORVEX", {})},
        StoreRow{"product_copy_x86", "xp-x86", {{"oem3.inf", test::ProductInfText()}}, nullptr, 1,
                 SearchLog("NORVEX", {"OEM FILES EXISTING : oem3.inf"})},
        StoreRow{"product_copy_x64", "win10-x64", {{"oem3.inf", test::ProductInfText()}}, nullptr, 1,
                 SearchLog("NORVEX.NTamd64", {"OEM FILES EXISTING : oem3.inf"})},
        StoreRow{"x86_only_copy_on_x64", "win10-x64", {{"oem3.inf", kX86OnlyInf}}, nullptr, 0,
                 SearchLog("NORVEX.NTamd64", {})},
        StoreRow{"x86_only_copy_on_x86", "xp-x86", {{"oem3.inf", kX86OnlyInf}}, nullptr, 1,
                 SearchLog("NORVEX", {"OEM FILES EXISTING : oem3.inf"})},
        StoreRow{"copy_without_oem_name", "xp-x86", {{"kvt580d.inf", test::ProductInfText()}}, nullptr, 0,
                 SearchLog("NORVEX", {})},
        StoreRow{"upper_case_oem_name", "xp-x86", {{"OEM4.inf", test::ProductInfText()}}, nullptr, 0,
                 SearchLog("NORVEX", {})},
        StoreRow{"other_makers_inf", "win10-x64", {{"oem1.inf", kOtherMakersInf}}, nullptr, 0,
                 SearchLog("NORVEX.NTamd64", {})},
        StoreRow{"every_copy_found", "xp-x86",
                 {{"oem1.inf", test::ProductInfText()}, {"oem2.inf", kOtherMakersInf},
                  {"oem7.inf", test::ProductInfText()}},
                 nullptr, 1, SearchLog("NORVEX", {"OEM FILES EXISTING : oem1.inf", "OEM FILES EXISTING : oem7.inf"})},
        StoreRow{"unopenable_copy_skipped", "xp-x86",
                 {{"oem1.inf", test::ProductInfText()}, {"oem2.inf", test::ProductInfText()}}, "oem1.inf", 1,
                 SearchLog("NORVEX", {"SetupOpenInfFile failed. 2", "OEM FILES EXISTING : oem2.inf"})}),
    [](const auto& r) { return std::string(r.param.name); });

// ------------------------------------------------------------- CopyINFFile

struct CopyRow {
    const char* name;
    bool inStore;          // the store holds the product's INF as oem12.inf already
    bool packageInf;       // the package root holds the INF
    std::uint32_t firstFault;  // the first copy fails with this code (0: none)
    std::uint32_t copies;  // calls of the store copy
    const char* infName;   // nullptr: the new copy's path
    const char* box;       // nullptr: none
};

class InfCopy : public ::testing::TestWithParam<CopyRow> {};

TEST_P(InfCopy, CopiesOrRefreshesTheStoresCopyAndRemembersItsName) {
    const CopyRow& row = GetParam();
    sim::World world = FreshSystemWithPackage("xp-x86");
    const std::string inf = world.files.findFile("C:\\Setup\\kvt580d.inf")->bytes;
    if (row.inStore) world.files.putFile(InFolder(kStore, "oem12.inf"), inf);
    if (!row.packageInf) world.files.eraseFile("C:\\Setup\\kvt580d.inf");
    const std::size_t storeBefore = world.files.childFiles(kStore).size();
    InstallerTestSystem system(std::move(world));
    sim::Faults& faults = system.sim().faults();
    if (row.firstFault != 0) faults.failCall("DeviceSetup.copyOEMInf", row.firstFault, 1);

    system.engine().CopyINFFile();

    EXPECT_EQ(faults.callCount("DeviceSetup.copyOEMInf"), row.copies);
    std::string expectedName;
    if (row.infName != nullptr) {
        expectedName = row.infName;
    } else {
        // the one new INF in the store (its .PNF beside it)
        for (const std::string& name : system.world().files.childFiles(kStore)) {
            const sim::FileRecord* file = system.file(InFolder(kStore, name));
            if (name.starts_with("oem") && name.ends_with(".inf") && file->bytes == inf) expectedName = file->path;
        }
        EXPECT_EQ(system.world().files.childFiles(kStore).size(), storeBefore + 2);
    }
    EXPECT_EQ(system.engine().infName(), expectedName);
    const Lines head = {"", "", "CopyINFFile BEGIN", "Inf File Name : .\\kvt580d.inf", "Inf File Name : .\\kvt580d.inf"};
    Lines expectedLog = head;
    if (row.box != nullptr) {
        expectedLog.push_back("SetupCopyOEMInf failed : (2)");
        expectedLog.push_back("SetupCopyOEMInf error 0x00000002 : The system cannot find the file specified.");
    }
    expectedLog.push_back("INF FILE NAME : " + expectedName);
    expectedLog.push_back("CopyINFFile END");
    EXPECT_EQ(system.log(), expectedLog);
    EXPECT_EQ(system.messageBoxes(), row.box == nullptr ? Lines{} : Lines{std::string("box:error:ok:") + row.box});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InfCopy,
    ::testing::Values(
        CopyRow{"new_copy", false, true, 0, 1, nullptr, nullptr},
        CopyRow{"existing_copy_replaced", true, true, 0, 2, "C:\\Windows\\inf\\oem12.inf", nullptr},
        CopyRow{"already_exists_replaced", true, true, err::AlreadyExists, 2, "C:\\Windows\\inf\\oem12.inf", nullptr},
        CopyRow{"missing_package_inf", false, false, 0, 1, "",
                "SetupCopyOEMInf, ERR CODE: 2\n\nThe system cannot find the file specified.\r\n"}),
    [](const auto& r) { return std::string(r.param.name); });

// ------------------------------------------------------------- RegisterUninstallInfo

using setup::DwordValue;
using setup::TextValue;

using Values = std::vector<std::pair<std::string, ports::RegValue>>;

struct EntryRow {
    const char* name;
    const char* os;
    bool oldEntry;  // an entry with an extra value and nested subkeys is there already
    const char* infName;
};

class UninstallEntry : public ::testing::TestWithParam<EntryRow> {};

TEST_P(UninstallEntry, HoldsExactlyTheNewTerminatedValues) {
    const EntryRow& row = GetParam();
    sim::World world = FreshSystemWithPackage(row.os);
    if (row.oldEntry) {
        world.registry.ensure(kEntry).values.emplace_back("Stale", TextValue("from an older release"));
        world.registry.ensure(std::string(kEntry) + "\\Parts\\Deeper").values.emplace_back("X", TextValue("y"));
        world.registry.ensure(std::string(kEntry) + "\\Other");
    }
    InstallerTestSystem system(std::move(world));
    system.engine().setInfName(row.infName);
    system.engine().RegisterUninstallInfo();

    Values expected = {{"DisplayName", TextValue("NORVEX KVT-580duo Windows Driver V3.4.3")},
                       {"UninstallString", TextValue("C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe")}};
    if (*row.infName != '\0') expected.emplace_back("InfFile", TextValue(row.infName));
    // Then the values of deployment tools.
    const std::string uninstaller = "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe";
    const std::uint32_t kib = system.engine().EstimatedSizeKiB();
    EXPECT_GT(kib, 1u);
    Values deployment = {{"DisplayVersion", TextValue("3.4.3")},
                         {"Publisher", TextValue("NORVEX")},
                         {"QuietUninstallString", TextValue("\"" + uninstaller + "\" /quiet")},
                         {"DisplayIcon", TextValue(uninstaller)},
                         {"NoModify", DwordValue(1)},
                         {"NoRepair", DwordValue(1)},
                         {"EstimatedSize", DwordValue(kib)}};
    expected.insert(expected.end(), deployment.begin(), deployment.end());
    const sim::RegistryKeyRecord* entry = system.world().registry.find(kEntry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->values, expected);
    EXPECT_EQ(system.world().registry.children(kEntry), Lines{});
    EXPECT_FALSE(system.world().registry.exists(kRedirectedEntry));
    EXPECT_EQ(system.log(), (Lines{"", "", "RegisterUninstallInfo BEGIN", std::string("REGKEY : ") + kEntryKey,
                                   "RegisterUninstallInfo END"}));
}

INSTANTIATE_TEST_SUITE_P(
    Systems, UninstallEntry,
    ::testing::Values(EntryRow{"xp_x86_first", "xp-x86", false, "C:\\Windows\\inf\\oem3.inf"},
                      EntryRow{"xp_x86_again", "xp-x86", true, "C:\\Windows\\inf\\oem3.inf"},
                      EntryRow{"win10_x64_first", "win10-x64", false, "kvt580d.inf"},
                      EntryRow{"win10_x64_again", "win10-x64", true, "kvt580d.inf"},
                      EntryRow{"xp_x64_again", "xp-x64", true, "C:\\Windows\\inf\\oem3.inf"},
                      EntryRow{"without_inf_name", "xp-x86", false, ""}),
    [](const auto& r) { return std::string(r.param.name); });

// Every reader gets a terminated string: the size counts the zero.
TEST(UninstallEntry, SizesCountTheTerminatingZero) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    system.engine().setInfName("C:\\Windows\\inf\\oem3.inf");
    system.engine().RegisterUninstallInfo();
    ports::RegKey key;
    ASSERT_EQ(system.platform().registry.openKey(ports::hkey::LocalMachine, kEntryKey, reg::Read, key), 0u);
    for (const char* name : {"DisplayName", "UninstallString", "InfFile"}) {
        ports::RegValue value;
        ASSERT_EQ(system.platform().registry.queryValue(key, name, value), 0u) << name;
        ASSERT_FALSE(value.data.empty()) << name;
        EXPECT_EQ(value.data.back(), 0) << name;
        EXPECT_EQ(std::string(value.data.begin(), value.data.end() - 1).find('\0'), std::string::npos) << name;
    }
    system.platform().registry.closeKey(key);
}

struct EntryFailureRow {
    const char* name;
    const char* os;
    const char* method;
    const char* logged;
    bool written;  // the values are written all the same
};

class UninstallEntryFailure : public ::testing::TestWithParam<EntryFailureRow> {};

TEST_P(UninstallEntryFailure, IsOnlyLogged) {
    const EntryFailureRow& row = GetParam();
    sim::World world = FreshSystemWithPackage(row.os);
    world.registry.ensure(kEntry).values.emplace_back("Stale", TextValue("older"));
    InstallerTestSystem system(std::move(world));
    system.sim().faults().failCall(row.method, err::AccessDenied, 1);
    system.engine().RegisterUninstallInfo();

    EXPECT_EQ(system.log(), (Lines{"", "", "RegisterUninstallInfo BEGIN", std::string("REGKEY : ") + kEntryKey,
                                   std::string(row.logged), "RegisterUninstallInfo END"}));
    EXPECT_EQ(system.messageBoxes(), Lines{});
    const sim::RegistryKeyRecord* entry = system.world().registry.find(kEntry);
    EXPECT_EQ(entry != nullptr && entry->values.size() >= 2, row.written);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, UninstallEntryFailure,
    ::testing::Values(
        EntryFailureRow{"x86_delete", "xp-x86", "Registry.shDeleteKey",
                        "SHDeleteKey failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo , (5) ",
                        true},
        EntryFailureRow{"x64_delete", "win10-x64", "Registry.deleteKeyEx",
                        "MyRegDeleteKeyEx failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo, (5) ",
                        true},
        EntryFailureRow{"x86_create", "xp-x86", "Registry.createKey",
                        "RegCreateKeyEx failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo , (5) ",
                        false},
        EntryFailureRow{"x64_create", "win10-x64", "Registry.createKey",
                        "RegCreateKeyEx failed : SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo, (5) ",
                        false}),
    [](const auto& r) { return std::string(r.param.name); });

}  // namespace
}  // namespace kvt::installer
