#include "Installer/setup_common/RegistryHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "tests/setup_common/SetupTestSupport.h"

namespace kvt::setup {
namespace {

using ports::AccessMode;
using ports::ExplicitAccess;
using testing::MakeWorld;
using testing::WorldOptions;

constexpr const char* kUsbKey = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo";
constexpr const char* kUsbKeyPath = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo";
constexpr const char* kLptKey = "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo";
constexpr const char* kLptKeyPath = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo";

// The device keys as Windows XP and Server 2003 keep them: protected, the
// USB one with a device instance below it; an administrator may grant
// himself the right to delete them there, which later releases keep to SYSTEM.
sim::World DeviceKeyWorld(bool is64Bit = false) {
    WorldOptions options;
    options.is64Bit = is64Bit;
    sim::World world = MakeWorld(options);
    world.os.major = 5;
    world.os.minor = is64Bit ? 2 : 1;
    world.registry.ensure(kUsbKeyPath).isProtected = true;
    world.registry.ensure(std::string(kUsbKeyPath) + "\\1&usb").isProtected = true;
    world.registry.ensure(kLptKeyPath).isProtected = true;
    world.registry.ensure("HKLM\\SOFTWARE\\NORVEX");
    return world;
}

bool HasKey(const sim::World& world, std::string_view path) { return world.registry.find(path) != nullptr; }

// ---------------------------------------------------------------------------

struct OptionRow {
    const char* name;
    const char* option;
    AccessMode mode;
    const char* trustee;
    std::uint32_t rights;
    std::uint32_t result;
};

class ParsePermissionOptionTest : public ::testing::TestWithParam<OptionRow> {};

TEST_P(ParsePermissionOptionTest, ParsesSwitchTrusteeAndRights) {
    const OptionRow& r = GetParam();
    const PermissionOption parsed = ParsePermissionOption(r.option);
    EXPECT_EQ(parsed.result, r.result);
    if (r.result != 0) return;
    EXPECT_EQ(parsed.mode, r.mode);
    EXPECT_EQ(parsed.trustee, r.trustee);
    EXPECT_EQ(parsed.rights, r.rights);
}

constexpr std::uint32_t kFull = 0xF003F, kRead = 0x20019;

INSTANTIATE_TEST_SUITE_P(
    Rows, ParsePermissionOptionTest,
    ::testing::Values(OptionRow{"grant_full", "/PG:Everyone:Fc", AccessMode::Grant, "Everyone", kFull, 0},
                      OptionRow{"either_case", "/pg:Administrators:fC", AccessMode::Grant, "Administrators", kFull, 0},
                      OptionRow{"first_character_not_examined", "-PS:Users:Rd", AccessMode::Set, "Users", kRead, 0},
                      OptionRow{"codes_combine", "/PG:Everyone:FcRd", AccessMode::Grant, "Everyone", kFull | kRead, 0},
                      OptionRow{"unknown_pair_adds_nothing", "/PG:Everyone:FcXy", AccessMode::Grant, "Everyone", kFull, 0},
                      OptionRow{"odd_length_no_rights", "/PG:Everyone:FcR", AccessMode::Grant, "Everyone", 0, 0},
                      OptionRow{"empty_rights", "/PG:Everyone:", AccessMode::Grant, "Everyone", 0, 0},
                      OptionRow{"revoke_needs_no_rights", "/PR:Everyone", AccessMode::Revoke, "Everyone", 0, 0},
                      OptionRow{"not_a_permission_switch", "/Q:Everyone:Fc", AccessMode::NotUsed, "Everyone", 0, 0},
                      OptionRow{"mode_letter_x", "/PX:Everyone:Fc", AccessMode::NotUsed, "", 0, 87},
                      OptionRow{"trustee_missing", "/PG", AccessMode::NotUsed, "", 0, 87},
                      OptionRow{"trustee_empty", "/PG::Fc", AccessMode::NotUsed, "", 0, 87},
                      OptionRow{"grant_rights_missing", "/PG:Everyone", AccessMode::NotUsed, "", 0, 87},
                      OptionRow{"empty_option", "", AccessMode::NotUsed, "", 0, 87}),
    [](const ::testing::TestParamInfo<OptionRow>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------

struct OpenRow {
    const char* name;
    const char* path;
    std::uint32_t result;
    const char* firstChild;  // the opened key's first subkey; nullptr: the result is HKLM itself
    std::uint32_t connects;
};

class OpenRegKeyPathTest : public testing::SetupTest, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(OpenRegKeyPathTest, OpensTheNamedKey) {
    const OpenRow& r = GetParam();
    start(DeviceKeyWorld());
    ports::RegKey key;
    EXPECT_EQ(OpenRegKeyPath(platform().registry, r.path, key), r.result);
    EXPECT_EQ(sim().faults().callCount("Registry.connectRegistry"), r.connects);
    if (r.result != 0) {
        EXPECT_EQ(sim().registry().openHandleCount(), 0u);
        return;
    }
    if (r.firstChild == nullptr) {
        EXPECT_EQ(key, ports::hkey::LocalMachine);
        return;
    }
    std::string child;
    EXPECT_EQ(platform().registry.enumKey(key, 0, child), 0u);
    EXPECT_EQ(child, r.firstChild);
    EXPECT_EQ(sim().registry().openHandleCount(), 1u) << "only the result stays open";
    platform().registry.closeKey(key);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OpenRegKeyPathTest,
    ::testing::Values(OpenRow{"usb_device_key", kUsbKeyPath, 0, "1&usb", 0},
                      OpenRow{"long_hive_name_lower_case", "hkey_local_machine\\SOFTWARE", 0, "NORVEX", 0},
                      OpenRow{"hive_alone_is_the_root", "HKLM", 0, nullptr, 0},
                      OpenRow{"trailing_backslash_is_the_root", "HKLM\\", 0, nullptr, 0},
                      OpenRow{"missing_subkey", "HKLM\\SOFTWARE\\Nothing", 2, nullptr, 0},
                      OpenRow{"unknown_hive", "HKXY\\SOFTWARE", 87, nullptr, 0},
                      OpenRow{"hive_name_must_be_whole", "HKLMX\\SOFTWARE", 87, nullptr, 0},
                      OpenRow{"empty_path", "", 87, nullptr, 0},
                      OpenRow{"remote_current_user_refused_unasked", "\\\\SHOP-PC\\HKCU\\Software", 87, nullptr, 0},
                      OpenRow{"remote_classes_root_refused_unasked", "\\\\SHOP-PC\\HKEY_CLASSES_ROOT", 87, nullptr, 0},
                      OpenRow{"remote_local_machine_connects_first", "\\\\SHOP-PC\\HKLM\\SOFTWARE", 53, nullptr, 1}),
    [](const ::testing::TestParamInfo<OpenRow>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------

class SetRegKeyPermissionTest : public testing::SetupTest {};

TEST_F(SetRegKeyPermissionTest, SameOptionTwiceChangesTheListBothTimes) {
    start(DeviceKeyWorld());
    const std::string option = "/PG:Everyone:Fc";
    const std::vector<ExplicitAccess> expected{{"Everyone", kFull, AccessMode::Grant, 2}};
    EXPECT_EQ(SetRegKeyPermission(platform().registry, kUsbKeyPath, option), 0u);
    EXPECT_EQ(world().registry.find(kUsbKeyPath)->acl, expected) << "merged with container inheritance";
    world().registry.find(kUsbKeyPath)->acl.clear();
    EXPECT_EQ(SetRegKeyPermission(platform().registry, kUsbKeyPath, option), 0u);
    EXPECT_EQ(world().registry.find(kUsbKeyPath)->acl, expected);
    EXPECT_EQ(option, "/PG:Everyone:Fc");
    EXPECT_EQ(sim().registry().openHandleCount(), 0u);
}

struct PermissionFailureRow {
    const char* name;
    const char* path;
    const char* option;
    const char* failingCall;  // nullptr: none
    std::uint32_t result;
    std::uint32_t opens;  // how often the registry was asked to open a key
};

class SetRegKeyPermissionFailure : public testing::SetupTest,
                                   public ::testing::WithParamInterface<PermissionFailureRow> {};

TEST_P(SetRegKeyPermissionFailure, ReturnsTheFirstFailureAndClosesEverything) {
    const PermissionFailureRow& r = GetParam();
    start(DeviceKeyWorld());
    if (r.failingCall != nullptr) sim().faults().failCall(r.failingCall, 1336);
    EXPECT_EQ(SetRegKeyPermission(platform().registry, r.path, r.option), r.result);
    EXPECT_EQ(sim().faults().callCount("Registry.openKey"), r.opens);
    EXPECT_EQ(sim().registry().openHandleCount(), 0u);
    EXPECT_TRUE(world().registry.find(kUsbKeyPath)->acl.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetRegKeyPermissionFailure,
    ::testing::Values(
        PermissionFailureRow{"malformed_option_before_any_key", kUsbKeyPath, "/PX:Everyone:Fc", nullptr, 87, 0},
        PermissionFailureRow{"malformed_path", "HKXY\\SYSTEM", "/PG:Everyone:Fc", nullptr, 87, 0},
        PermissionFailureRow{"missing_key", "HKLM\\SYSTEM\\Nothing", "/PG:Everyone:Fc", nullptr, 2, 1},
        PermissionFailureRow{"unreachable_computer", "\\\\SHOP-PC\\HKLM\\SYSTEM", "/PG:Everyone:Fc", nullptr, 53, 0},
        PermissionFailureRow{"reading_the_list_fails", kUsbKeyPath, "/PG:Everyone:Fc", "Registry.getKeySecurity",
                             1336, 1},
        PermissionFailureRow{"writing_the_list_fails", kUsbKeyPath, "/PG:Everyone:Fc", "Registry.setKeySecurity",
                             1336, 1}),
    [](const ::testing::TestParamInfo<PermissionFailureRow>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------

class MyRegDeleteKeyExTest : public testing::SetupTest {};

TEST_F(MyRegDeleteKeyExTest, MissingFunctionGivesMinusOneAtEveryCall) {
    sim::World world = DeviceKeyWorld(true);
    world.os.extra["missingFunctions"] = {"RegDeleteKeyExA"};
    start(std::move(world));
    EXPECT_EQ(MyRegDeleteKeyEx(platform().registry, ports::hkey::LocalMachine, "SOFTWARE\\NORVEX", 0x100, 0), -1);
    EXPECT_EQ(MyRegDeleteKeyEx(platform().registry, ports::hkey::LocalMachine, "SOFTWARE\\NORVEX", 0x100, 0), -1);
    EXPECT_EQ(sim().faults().callCount("Registry.hasDeleteKeyEx"), 2u);
    EXPECT_EQ(sim().faults().callCount("Registry.deleteKeyEx"), 0u);
    EXPECT_TRUE(HasKey(this->world(), "HKLM\\SOFTWARE\\NORVEX"));
}

// ---------------------------------------------------------------------------

class DeleteRegKeyWithGrantTest : public testing::SetupTest {};

TEST_F(DeleteRegKeyWithGrantTest, GrantMakesTheProtectedTreeDeletable) {
    start(DeviceKeyWorld());
    EXPECT_EQ(platform().registry.shDeleteKey(ports::hkey::LocalMachine, kLptKey), 5u) << "protected without grant";

    DeleteRegKeyWithGrant(platform(), log(), kUsbKeyPath, kUsbKey, 0);
    DeleteRegKeyWithGrant(platform(), log(), kLptKeyPath, kLptKey, 0);

    EXPECT_FALSE(HasKey(world(), kUsbKeyPath));
    EXPECT_FALSE(HasKey(world(), std::string(kUsbKeyPath) + "\\1&usb"));
    EXPECT_FALSE(HasKey(world(), kLptKeyPath));
    EXPECT_EQ(logMessages(), (std::vector<std::string>{std::string("REGKEY_1 : ") + kUsbKeyPath,
                                                       std::string("REGKEY_2 : ") + kUsbKey,
                                                       std::string("REGKEY_1 : ") + kLptKeyPath,
                                                       std::string("REGKEY_2 : ") + kLptKey}));
}

TEST_F(DeleteRegKeyWithGrantTest, GrantGoesToAdministratorsAndFailureLogsTheLastError) {
    start(DeviceKeyWorld());
    sim().faults().failCall("Registry.shDeleteKey", 5);
    sim().lastError() = 1234;
    DeleteRegKeyWithGrant(platform(), log(), kLptKeyPath, kLptKey, 0);

    const std::vector<ExplicitAccess> expected{{"Administrators", kFull, AccessMode::Grant, 2}};
    EXPECT_EQ(world().registry.find(kLptKeyPath)->acl, expected) << "Everyone gains nothing";
    EXPECT_EQ(logMessages().back(), std::string("SHDeleteKey failed : ") + kLptKey + " (1234) ");
}

TEST_F(DeleteRegKeyWithGrantTest, SixtyFourBitFlagDeletesOnlyKeysWithoutSubkeys) {
    start(DeviceKeyWorld(true));
    sim().lastError() = 0;
    DeleteRegKeyWithGrant(platform(), log(), kLptKeyPath, kLptKey, 1);
    DeleteRegKeyWithGrant(platform(), log(), kUsbKeyPath, kUsbKey, 1);

    EXPECT_FALSE(HasKey(world(), kLptKeyPath));
    EXPECT_TRUE(HasKey(world(), kUsbKeyPath));
    EXPECT_EQ(logMessages().back(), std::string("MyRegDeleteKeyEx failed : ") + kUsbKey + " (0) ");

    DeleteRegKeyWithGrant(platform(), log(), kUsbKeyPath, kUsbKey, 0);
    EXPECT_FALSE(HasKey(world(), kUsbKeyPath)) << "without the flag the key goes with its subtree";
}

TEST_F(DeleteRegKeyWithGrantTest, MissingDeleteKeyExLogsEveryDeletionAsFailed) {
    sim::World world = DeviceKeyWorld(true);
    world.os.extra["missingFunctions"] = {"RegDeleteKeyExA"};
    start(std::move(world));
    sim().lastError() = 127;
    DeleteRegKeyWithGrant(platform(), log(), kLptKeyPath, kLptKey, 1);
    EXPECT_TRUE(HasKey(this->world(), kLptKeyPath));
    EXPECT_EQ(logMessages().back(), std::string("MyRegDeleteKeyEx failed : ") + kLptKey + " (127) ");
}

struct ViewRow {
    const char* name;
    int wow64;
    bool nativeKeyRemains;
    bool wow6432KeyRemains;
};

class DeleteRegKeyViewTest : public testing::SetupTest, public ::testing::WithParamInterface<ViewRow> {};

TEST_P(DeleteRegKeyViewTest, ThirtyTwoBitProgramOnX64) {
    const ViewRow& r = GetParam();
    sim::World world = DeviceKeyWorld(true);
    world.registry.ensure("HKLM\\SOFTWARE\\NORVEX\\Probe");
    world.registry.ensure("HKLM\\SOFTWARE\\WOW6432Node\\NORVEX\\Probe");
    start(std::move(world), sim::Bitness::x86);

    DeleteRegKeyWithGrant(platform(), log(), "HKLM\\SOFTWARE\\NORVEX\\Probe", "SOFTWARE\\NORVEX\\Probe", r.wow64);
    EXPECT_EQ(HasKey(this->world(), "HKLM\\SOFTWARE\\NORVEX\\Probe"), r.nativeKeyRemains);
    EXPECT_EQ(HasKey(this->world(), "HKLM\\SOFTWARE\\WOW6432Node\\NORVEX\\Probe"), r.wow6432KeyRemains);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeleteRegKeyViewTest,
                         ::testing::Values(ViewRow{"flag_set_deletes_the_64_bit_key", 1, false, true},
                                           ViewRow{"flag_clear_deletes_the_programs_own_view", 0, true, false}),
                         [](const ::testing::TestParamInfo<ViewRow>& row) { return std::string(row.param.name); });

// The bytes a reader of the value finds, as Windows stores them.
TEST(RegistryValueTest, TextIsTerminatedAndDwordLittleEndian) {
    EXPECT_EQ(TextValue("NORVEX"), (ports::RegValue{reg::TypeSz, {'N', 'O', 'R', 'V', 'E', 'X', 0}}));
    EXPECT_EQ(TextValue(""), (ports::RegValue{reg::TypeSz, {0}}));
    EXPECT_EQ(DwordValue(0x12345678), (ports::RegValue{reg::TypeDword, {0x78, 0x56, 0x34, 0x12}}));
}

}  // namespace
}  // namespace kvt::setup
