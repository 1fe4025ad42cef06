// The simulated registry as the setup programs see it: both views of 64-bit
// Windows, deletion of one key or a tree, protected device keys and the
// access lists that open them up, unreachable remote registries, faults.
#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ports/WinCodes.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

using ports::AccessMode;
using ports::ExplicitAccess;
using ports::RegKey;
using ports::RegValue;
using ::testing::ElementsAre;
namespace hkey = ports::hkey;

constexpr const char* kDeviceKey = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo";
constexpr const char* kDeviceParent = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT";
constexpr std::uint32_t kOpenForGrant = reg::EnumerateSubKeys | reg::ReadControl | reg::WriteDac;

// XP and Server 2003, whose device keys an administrator may still take
// over (SimSpoolerRemovalTest shows the later releases).
World WorldOf(bool is64Bit) {
    World world;
    world.os.is64Bit = is64Bit;
    world.os.major = 5;
    world.os.minor = is64Bit ? 2 : 1;
    return world;
}

RegValue Sz(std::string_view text) {
    RegValue value{reg::TypeSz, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

void Mark(World& world, const std::string& path, std::string_view marker) {
    world.registry.ensure(path).values.emplace_back("View", Sz(marker));
}

// The "View" marker of the key that opening `subKey` reaches, or the error.
std::string ReadMarker(Simulation& sim, RegKey root, std::string_view subKey, std::uint32_t access) {
    RegKey key;
    if (std::uint32_t result = sim.registry().openKey(root, subKey, access | reg::Read, key)) {
        return "error " + std::to_string(result);
    }
    RegValue value;
    std::uint32_t result = sim.registry().queryValue(key, "view", value);
    sim.registry().closeKey(key);
    if (result != err::Success) return "error " + std::to_string(result);
    return std::string(value.data.begin(), value.data.end() - 1);
}

std::vector<std::string> EnumAll(Simulation& sim, RegKey key) {
    std::vector<std::string> names;
    std::string name;
    std::uint32_t index = 0;
    std::uint32_t result = 0;
    while ((result = sim.registry().enumKey(key, index++, name)) == err::Success) names.push_back(name);
    EXPECT_EQ(result, err::NoMoreItems);
    return names;
}

bool Exists(const Simulation& sim, std::string_view path) { return sim.world().registry.find(path) != nullptr; }

// Registry contents in one comparable text: paths, values and access lists.
std::string Dump(const Simulation& sim) {
    std::string text;
    for (const auto& [path, record] : sim.world().registry.keys()) {
        text += record.path + (record.isProtected ? " protected" : "") + "\n";
        for (const auto& [name, value] : record.values)
            text += "  " + name + "=" + std::to_string(value.data.size()) + "\n";
        for (const auto& entry : record.acl)
            text += "  acl " + entry.trustee + " " + std::to_string(entry.rights) + " " +
                    std::to_string(static_cast<int>(entry.mode)) + "\n";
    }
    return text;
}

// --- Views -----------------------------------------------------------------

struct ViewRow {
    const char* name;
    bool is64BitWindows;
    Bitness program;
    std::uint32_t access;
    const char* subKey;
    const char* expected;
};

class RegistryView : public ::testing::TestWithParam<ViewRow> {};

TEST_P(RegistryView, OpenReachesTheKeyOfTheView) {
    const ViewRow& row = GetParam();
    World world = WorldOf(row.is64BitWindows);
    Mark(world, "HKLM\\SYSTEM\\Vendor", "shared");
    if (row.is64BitWindows) {
        Mark(world, "HKLM\\SOFTWARE\\Vendor", "64");
        Mark(world, "HKLM\\SOFTWARE\\WOW6432Node\\Vendor", "32");
        Mark(world, "HKLM\\SOFTWARE\\Only64", "64");
    } else {
        Mark(world, "HKLM\\SOFTWARE\\Vendor", "native");
    }
    Simulation sim(std::move(world), row.program);
    EXPECT_EQ(ReadMarker(sim, hkey::LocalMachine, row.subKey, row.access), row.expected);
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RegistryView,
    ::testing::Values(
        ViewRow{"x64_Program32_OwnViewIs32", true, Bitness::x86, 0, "SOFTWARE\\Vendor", "32"},
        ViewRow{"x64_Program32_Flag64", true, Bitness::x86, reg::Wow64_64Key, "SOFTWARE\\Vendor", "64"},
        ViewRow{"x64_Program32_Flag32", true, Bitness::x86, reg::Wow64_32Key, "SOFTWARE\\Vendor", "32"},
        ViewRow{"x64_Program64_OwnViewIs64", true, Bitness::x64, 0, "SOFTWARE\\Vendor", "64"},
        ViewRow{"x64_Program64_Flag32", true, Bitness::x64, reg::Wow64_32Key, "software\\vendor", "32"},
        ViewRow{"x64_Program32_NamedWow6432Node", true, Bitness::x86, 0, "SOFTWARE\\WOW6432Node\\Vendor", "32"},
        ViewRow{"x64_Program64_NamedWow6432NodeIn32View", true, Bitness::x64, reg::Wow64_32Key,
                "SOFTWARE\\wow6432node\\Vendor", "32"},
        ViewRow{"x64_Program32_SystemIsShared", true, Bitness::x86, 0, "SYSTEM\\Vendor", "shared"},
        ViewRow{"x64_Program64_SystemIsShared", true, Bitness::x64, reg::Wow64_32Key, "SYSTEM\\Vendor", "shared"},
        ViewRow{"x64_Program32_KeyOnlyIn64View", true, Bitness::x86, 0, "SOFTWARE\\Only64", "error 2"},
        ViewRow{"x64_BothFlagsAreInvalid", true, Bitness::x86, reg::Wow64_64Key | reg::Wow64_32Key, "SOFTWARE\\Vendor",
                "error 87"},
        ViewRow{"x86_Flag64Ignored", false, Bitness::x86, reg::Wow64_64Key, "SOFTWARE\\Vendor", "native"},
        ViewRow{"x86_Flag32Ignored", false, Bitness::x86, reg::Wow64_32Key, "SOFTWARE\\Vendor", "native"},
        ViewRow{"x86_TrailingSeparatorIgnored", false, Bitness::x86, 0, "SOFTWARE\\Vendor\\", "native"}),
    [](const auto& row) { return std::string(row.param.name); });

struct CreateRow {
    const char* name;
    bool is64BitWindows;
    Bitness program;
    std::uint32_t access;
    const char* created;
    const char* untouched;
};

class RegistryCreateView : public ::testing::TestWithParam<CreateRow> {};

TEST_P(RegistryCreateView, CreateAndWriteLandInTheView) {
    const CreateRow& row = GetParam();
    Simulation sim(WorldOf(row.is64BitWindows), row.program);
    RegKey key;
    ASSERT_EQ(sim.registry().createKey(hkey::LocalMachine, "SOFTWARE\\NORVEX\\KVT", row.access | reg::Write, key),
              err::Success);
    ASSERT_EQ(sim.registry().setValue(key, "DisplayName", Sz("KVT-580duo")), err::Success);
    EXPECT_EQ(sim.registry().closeKey(key), err::Success);

    const RegistryKeyRecord* record = sim.world().registry.find(row.created);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->values.size(), 1u);
    EXPECT_EQ(record->values[0].second, Sz("KVT-580duo"));
    EXPECT_FALSE(sim.world().registry.exists(row.untouched));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RegistryCreateView,
    ::testing::Values(CreateRow{"x64_Program32_OwnView", true, Bitness::x86, 0,
                                "HKLM\\SOFTWARE\\WOW6432Node\\NORVEX\\KVT", "HKLM\\SOFTWARE\\NORVEX"},
                      CreateRow{"x64_Program32_Flag64", true, Bitness::x86, reg::Wow64_64Key,
                                "HKLM\\SOFTWARE\\NORVEX\\KVT", "HKLM\\SOFTWARE\\WOW6432Node"},
                      CreateRow{"x64_Program64_OwnView", true, Bitness::x64, 0, "HKLM\\SOFTWARE\\NORVEX\\KVT",
                                "HKLM\\SOFTWARE\\WOW6432Node"},
                      CreateRow{"x64_Program64_Flag32", true, Bitness::x64, reg::Wow64_32Key,
                                "HKLM\\SOFTWARE\\WOW6432Node\\NORVEX\\KVT", "HKLM\\SOFTWARE\\NORVEX"},
                      CreateRow{"x86_Flag32Ignored", false, Bitness::x86, reg::Wow64_32Key,
                                "HKLM\\SOFTWARE\\NORVEX\\KVT", "HKLM\\SOFTWARE\\WOW6432Node"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SimRegistry, OpeningBelowAHandleContinuesInItsView) {
    World world = WorldOf(true);
    Mark(world, "HKLM\\SOFTWARE\\Vendor", "64");
    Mark(world, "HKLM\\SOFTWARE\\WOW6432Node\\Vendor", "32");
    Simulation sim(std::move(world), Bitness::x86);
    RegKey software64, software32;
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE", reg::Read | reg::Wow64_64Key, software64), 0u);
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE", reg::Read, software32), 0u);

    EXPECT_EQ(ReadMarker(sim, software64, "Vendor", 0), "64");
    EXPECT_EQ(ReadMarker(sim, software32, "Vendor", 0), "32");
    EXPECT_EQ(ReadMarker(sim, software32, "Vendor", reg::Wow64_64Key), "64");
    EXPECT_EQ(ReadMarker(sim, software64, "Vendor", reg::Wow64_32Key), "32");

    sim.registry().closeKey(software64);
    sim.registry().closeKey(software32);
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
}

TEST(SimRegistry, EnumeratingSoftwareListsTheKeysOfTheView) {
    World world = WorldOf(true);
    world.registry.ensure("HKLM\\SOFTWARE\\Alpha64");
    world.registry.ensure("HKLM\\SOFTWARE\\WOW6432Node\\beta32\\Deep");
    world.registry.ensure("HKLM\\SOFTWARE\\WOW6432Node\\Alpha32");
    world.registry.ensure("HKLM\\SYSTEM");
    Simulation sim(std::move(world), Bitness::x86);
    auto list = [&sim](std::uint32_t access) {
        RegKey key;
        EXPECT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE", access | reg::Read, key), 0u);
        auto names = EnumAll(sim, key);
        sim.registry().closeKey(key);
        return names;
    };
    EXPECT_THAT(list(0), ElementsAre("Alpha32", "beta32"));
    EXPECT_THAT(list(reg::Wow64_32Key), ElementsAre("Alpha32", "beta32"));
    EXPECT_THAT(list(reg::Wow64_64Key), ElementsAre("Alpha64", "WOW6432Node"));
    EXPECT_THAT(EnumAll(sim, hkey::LocalMachine), ElementsAre("SOFTWARE", "SYSTEM"));
    std::string name = "unchanged";
    EXPECT_EQ(sim.registry().enumKey(hkey::LocalMachine, 7, name), err::NoMoreItems);
    EXPECT_EQ(name, "unchanged");
}

// --- Values and handles ----------------------------------------------------

TEST(SimRegistry, ValuesAreNamedWithoutRegardToCase) {
    Simulation sim(WorldOf(false), Bitness::x86);
    RegKey key;
    ASSERT_EQ(sim.registry().createKey(hkey::LocalMachine, "SOFTWARE\\Vendor", reg::AllAccess, key), 0u);
    EXPECT_EQ(sim.registry().setValue(key, "DisplayName", Sz("first")), 0u);
    EXPECT_EQ(sim.registry().setValue(key, "DISPLAYNAME", Sz("second")), 0u);
    EXPECT_EQ(sim.registry().setValue(key, "", Sz("default")), 0u);

    RegValue value;
    ASSERT_EQ(sim.registry().queryValue(key, "displayname", value), 0u);
    EXPECT_EQ(value, Sz("second"));
    ASSERT_EQ(sim.registry().queryValue(key, "", value), 0u);
    EXPECT_EQ(value, Sz("default"));
    EXPECT_EQ(sim.registry().queryValue(key, "Missing", value), err::FileNotFound);
    const auto& values = sim.world().registry.find("HKLM\\SOFTWARE\\Vendor")->values;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, "DisplayName");
    sim.registry().closeKey(key);
}

TEST(SimRegistry, HandlesAllowOnlyWhatTheyWereOpenedFor) {
    World world = WorldOf(false);
    world.registry.ensure("HKLM\\SOFTWARE\\Vendor\\Sub");
    Simulation sim(std::move(world), Bitness::x86);
    RegKey readOnly, writeOnly;
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Vendor", reg::Read, readOnly), 0u);
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Vendor", reg::SetValue, writeOnly), 0u);
    RegValue value;
    std::string name;
    EXPECT_EQ(sim.registry().setValue(readOnly, "X", Sz("x")), err::AccessDenied);
    EXPECT_EQ(sim.registry().setValue(writeOnly, "X", Sz("x")), err::Success);
    EXPECT_EQ(sim.registry().queryValue(writeOnly, "X", value), err::AccessDenied);
    EXPECT_EQ(sim.registry().enumKey(writeOnly, 0, name), err::AccessDenied);
    EXPECT_EQ(sim.registry().enumKey(readOnly, 0, name), err::Success);
    EXPECT_EQ(name, "Sub");
    sim.registry().closeKey(readOnly);
    sim.registry().closeKey(writeOnly);
}

TEST(SimRegistry, HandleTableCountsOpenKeysAndRejectsUnknownOnes) {
    World world = WorldOf(true);
    world.registry.ensure("HKLM\\SOFTWARE\\Vendor");
    Simulation sim(std::move(world), Bitness::x64);
    RegKey key{0x1234}, again;
    EXPECT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Missing", reg::Read, key), err::FileNotFound);
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Vendor", reg::AllAccess, key), 0u);
    ASSERT_EQ(sim.registry().openKey(key, "", reg::Read, again), 0u);
    EXPECT_NE(key, again);
    EXPECT_EQ(sim.registry().openHandleCount(), 2u);

    EXPECT_EQ(sim.registry().closeKey(key), err::Success);
    EXPECT_EQ(sim.registry().closeKey(key), err::InvalidHandle);
    EXPECT_EQ(sim.registry().openKey(key, "Sub", reg::Read, key), err::InvalidHandle);
    EXPECT_EQ(sim.registry().closeKey(hkey::LocalMachine), err::Success);
    EXPECT_EQ(sim.registry().closeKey(again), err::Success);
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
}

TEST(SimRegistry, AHandleToADeletedKeyReportsIt) {
    World world = WorldOf(true);
    world.registry.ensure("HKLM\\SOFTWARE\\Vendor");
    Simulation sim(std::move(world), Bitness::x64);
    RegKey key;
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Vendor", reg::AllAccess, key), 0u);
    ASSERT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, "SOFTWARE\\Vendor"), 0u);
    RegValue value;
    EXPECT_EQ(sim.registry().queryValue(key, "X", value), 1018u);
    EXPECT_EQ(sim.registry().setValue(key, "X", Sz("x")), 1018u);
    EXPECT_FALSE(Exists(sim, "HKLM\\SOFTWARE\\Vendor"));
    EXPECT_EQ(sim.registry().closeKey(key), err::Success);
}

TEST(SimRegistry, LeavesTheThreadsLastErrorAlone) {
    Simulation sim(WorldOf(true), Bitness::x86);
    sim.lastError() = 1234;
    RegKey key;
    EXPECT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Missing", reg::Read, key), err::FileNotFound);
    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, "SOFTWARE\\Missing"), err::FileNotFound);
    EXPECT_EQ(sim.registry().createKey(hkey::LocalMachine, "SOFTWARE\\New", reg::AllAccess, key), err::Success);
    sim.registry().closeKey(key);
    EXPECT_EQ(sim.lastError(), 1234u);
}

// --- Deletion ----------------------------------------------------------------

World BothViewsWorld() {
    World world = WorldOf(true);
    world.registry.ensure("HKLM\\SOFTWARE\\Vendor\\Sub\\Deep");
    world.registry.ensure("HKLM\\SOFTWARE\\WOW6432Node\\Vendor\\Sub\\Deep");
    world.registry.ensure("HKLM\\SOFTWARE\\VendorX");
    world.registry.ensure("HKLM\\SOFTWARE\\WOW6432Node\\VendorX");
    return world;
}

TEST(SimRegistry, DeleteKeyExRefusesKeysWithSubkeys) {
    Simulation sim(BothViewsWorld(), Bitness::x86);
    auto deleteEx = [&sim](const char* subKey) {
        return sim.registry().deleteKeyEx(hkey::LocalMachine, subKey, reg::Wow64_64Key, 0);
    };
    EXPECT_EQ(deleteEx("SOFTWARE\\Vendor\\Sub"), err::AccessDenied);
    EXPECT_TRUE(Exists(sim, "HKLM\\SOFTWARE\\Vendor\\Sub"));
    EXPECT_EQ(deleteEx("SOFTWARE\\Vendor\\Sub\\Deep"), err::Success);
    EXPECT_EQ(deleteEx("SOFTWARE\\Vendor\\Sub"), err::Success);
    EXPECT_EQ(deleteEx("SOFTWARE\\Vendor\\Sub"), err::FileNotFound);
    EXPECT_TRUE(Exists(sim, "HKLM\\SOFTWARE\\Vendor"));
}

TEST(SimRegistry, DeleteKeyExDeletesInTheViewItNames) {
    Simulation sim(BothViewsWorld(), Bitness::x86);
    EXPECT_EQ(sim.registry().deleteKeyEx(hkey::LocalMachine, "SOFTWARE\\VendorX", reg::Wow64_64Key, 0), 0u);
    EXPECT_FALSE(Exists(sim, "HKLM\\SOFTWARE\\VendorX"));
    EXPECT_TRUE(Exists(sim, "HKLM\\SOFTWARE\\WOW6432Node\\VendorX"));
    EXPECT_EQ(sim.registry().deleteKeyEx(hkey::LocalMachine, "SOFTWARE\\VendorX", 0, 0), 0u);
    EXPECT_FALSE(Exists(sim, "HKLM\\SOFTWARE\\WOW6432Node\\VendorX"));
}

struct TreeRow {
    const char* name;
    Bitness program;
    const char* removed;
    const char* kept;
};

class ShDeleteKeyView : public ::testing::TestWithParam<TreeRow> {};

TEST_P(ShDeleteKeyView, RemovesTheTreeInTheCallersView) {
    const TreeRow& row = GetParam();
    Simulation sim(BothViewsWorld(), row.program);
    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, "software\\vendor"), err::Success);
    std::string removed = row.removed;
    for (const std::string& path : {removed, removed + "\\Sub", removed + "\\Sub\\Deep"})
        EXPECT_FALSE(Exists(sim, path)) << path;
    EXPECT_TRUE(Exists(sim, std::string(row.kept) + "\\Sub\\Deep"));
    EXPECT_TRUE(Exists(sim, removed + "X"));
    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, "SOFTWARE\\Vendor"), err::FileNotFound);
}

INSTANTIATE_TEST_SUITE_P(Rows, ShDeleteKeyView,
                         ::testing::Values(TreeRow{"Program32", Bitness::x86, "HKLM\\SOFTWARE\\WOW6432Node\\Vendor",
                                                   "HKLM\\SOFTWARE\\Vendor"},
                                           TreeRow{"Program64", Bitness::x64, "HKLM\\SOFTWARE\\Vendor",
                                                   "HKLM\\SOFTWARE\\WOW6432Node\\Vendor"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SimRegistry, HiveRootsCannotBeDeleted) {
    Simulation sim(BothViewsWorld(), Bitness::x64);
    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, ""), err::AccessDenied);
    EXPECT_EQ(sim.registry().deleteKeyEx(hkey::Users, "", reg::Wow64_64Key, 0), err::AccessDenied);
    EXPECT_TRUE(Exists(sim, "HKLM\\SOFTWARE\\Vendor"));
}

struct RegistrySystemRow {
    const char* name;
    std::uint32_t platform, major, minor;
    bool is64Bit;
    const char* missing;
    bool hasDeleteKeyEx;
};

class DeleteKeyExPresence : public ::testing::TestWithParam<RegistrySystemRow> {};

TEST_P(DeleteKeyExPresence, FollowsTheSystem) {
    const RegistrySystemRow& row = GetParam();
    World world = WorldOf(row.is64Bit);
    world.os.platform = row.platform;
    world.os.major = row.major;
    world.os.minor = row.minor;
    if (*row.missing) world.os.extra["missingFunctions"] = {row.missing};
    world.registry.ensure("HKLM\\SYSTEM\\Leaf");
    Simulation sim(std::move(world), Bitness::x86);
    EXPECT_EQ(sim.registry().hasDeleteKeyEx(), row.hasDeleteKeyEx);
    EXPECT_EQ(sim.registry().deleteKeyEx(hkey::LocalMachine, "SYSTEM\\Leaf", reg::Wow64_64Key, 0),
              row.hasDeleteKeyEx ? err::Success : err::ProcNotFound);
    EXPECT_EQ(Exists(sim, "HKLM\\SYSTEM\\Leaf"), !row.hasDeleteKeyEx);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeleteKeyExPresence,
    ::testing::Values(RegistrySystemRow{"XP_x86", 2, 5, 1, false, "", false}, RegistrySystemRow{"XP_x64", 2, 5, 2, true, "", true},
                      RegistrySystemRow{"Vista_x86", 2, 6, 0, false, "", true},
                      RegistrySystemRow{"Win10_x64", 2, 10, 0, true, "", true},
                      RegistrySystemRow{"Win10_x64_ImageTookItAway", 2, 10, 0, true, "RegDeleteKeyExA", false}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Protected keys ----------------------------------------------------------

ExplicitAccess Entry(const char* trustee, std::uint32_t rights, AccessMode mode, std::uint32_t inherit = 0) {
    return ExplicitAccess{trustee, rights, mode, inherit};
}

struct ProtectedRow {
    const char* name;
    std::vector<ExplicitAccess> keyAcl;
    std::vector<ExplicitAccess> parentAcl;
    std::uint32_t expected;
};

class ProtectedKey : public ::testing::TestWithParam<ProtectedRow> {
protected:
    static World DeviceWorld(const ProtectedRow& row) {
        World world = WorldOf(true);
        RegistryKeyRecord& parent = world.registry.ensure(kDeviceParent);
        parent.isProtected = true;
        parent.acl = row.parentAcl;
        RegistryKeyRecord& key = world.registry.ensure(std::string("HKLM\\") + kDeviceKey);
        key.isProtected = true;
        key.acl = row.keyAcl;
        return world;
    }
};

TEST_P(ProtectedKey, DeletionNeedsFullControlForTheProgram) {
    const ProtectedRow& row = GetParam();
    Simulation viaDeleteKeyEx(DeviceWorld(row), Bitness::x86);
    EXPECT_EQ(viaDeleteKeyEx.registry().deleteKeyEx(hkey::LocalMachine, kDeviceKey, reg::Wow64_64Key, 0), row.expected);
    Simulation viaShDeleteKey(DeviceWorld(row), Bitness::x86);
    EXPECT_EQ(viaShDeleteKey.registry().shDeleteKey(hkey::LocalMachine, kDeviceKey), row.expected);
    for (const Simulation* sim : {&viaDeleteKeyEx, &viaShDeleteKey}) {
        EXPECT_EQ(sim->world().registry.exists(std::string("HKLM\\") + kDeviceKey), row.expected != err::Success);
        EXPECT_TRUE(Exists(*sim, kDeviceParent));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProtectedKey,
    ::testing::Values(
        ProtectedRow{"NoAccessList", {}, {}, err::AccessDenied},
        ProtectedRow{"EveryoneFullControl", {Entry("Everyone", reg::AllAccess, AccessMode::Grant)}, {}, err::Success},
        ProtectedRow{"AdministratorsSetFullControl",
                     {Entry("administrators", reg::AllAccess, AccessMode::Set)},
                     {},
                     err::Success},
        ProtectedRow{"BuiltinAdministratorsGenericAll",
                     {Entry("BUILTIN\\Administrators", acl::GenericAll, AccessMode::Grant)},
                     {},
                     err::Success},
        ProtectedRow{
            "OtherTrusteeIsNotEnough", {Entry("Users", reg::AllAccess, AccessMode::Grant)}, {}, err::AccessDenied},
        ProtectedRow{"ReadIsNotEnough", {Entry("Everyone", reg::Read, AccessMode::Grant)}, {}, err::AccessDenied},
        ProtectedRow{"InheritedFromParent",
                     {},
                     {Entry("Administrators", reg::AllAccess, AccessMode::Grant, acl::ContainerInherit)},
                     err::Success},
        ProtectedRow{"ParentGrantWithoutInheritance",
                     {},
                     {Entry("Administrators", reg::AllAccess, AccessMode::Grant)},
                     err::AccessDenied},
        ProtectedRow{"DenyOnTheKeyWins",
                     {Entry("Everyone", reg::Delete, AccessMode::Deny),
                      Entry("Administrators", reg::AllAccess, AccessMode::Grant)},
                     {},
                     err::AccessDenied},
        ProtectedRow{"RevokedEntryGrantsNothing",
                     {Entry("Everyone", reg::AllAccess, AccessMode::Revoke)},
                     {},
                     err::AccessDenied}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SimRegistry, TreeDeletionStopsAtTheFirstProtectedKey) {
    World world = WorldOf(false);
    world.registry.ensure(kDeviceParent).isProtected = true;
    world.registry.ensure(std::string(kDeviceParent) + "\\Dev\\A");
    world.registry.ensure(std::string(kDeviceParent) + "\\Dev\\B").isProtected = true;
    world.registry.ensure(std::string(kDeviceParent) + "\\Dev\\C");
    Simulation sim(std::move(world), Bitness::x86);
    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT"),
              err::AccessDenied);
    std::string dev = std::string(kDeviceParent) + "\\Dev";
    EXPECT_FALSE(Exists(sim, dev + "\\A"));  // deleted before the refusal, and stays deleted
    EXPECT_TRUE(Exists(sim, dev + "\\B"));
    EXPECT_TRUE(Exists(sim, dev + "\\C"));
    EXPECT_TRUE(Exists(sim, dev));
    EXPECT_TRUE(Exists(sim, kDeviceParent));
}

// Grants "Administrators" full control as the setup programs do: open, read
// the list, merge, write back.
std::uint32_t GrantThroughPort(Simulation& sim, const ExplicitAccess& entry) {
    RegKey key;
    if (std::uint32_t result = sim.registry().openKey(hkey::LocalMachine, kDeviceKey, kOpenForGrant, key))
        return result;
    ports::AccessListPtr current, merged;
    std::uint32_t result = sim.registry().getKeySecurity(key, current);
    if (result == err::Success) result = sim.registry().setEntriesInAcl(entry, current.get(), merged);
    if (result == err::Success) result = sim.registry().setKeySecurity(key, *merged);
    sim.registry().closeKey(key);
    return result;
}

TEST(SimRegistry, AGrantWithInheritanceMakesAProtectedTreeDeletable) {
    World world = WorldOf(true);
    std::string device = std::string("HKLM\\") + kDeviceKey;
    world.registry.ensure(device).isProtected = true;
    world.registry.ensure(device + "\\5&1").isProtected = true;
    Simulation sim(std::move(world), Bitness::x86);

    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, kDeviceKey), err::AccessDenied);
    ASSERT_EQ(GrantThroughPort(sim, Entry("Administrators", reg::AllAccess, AccessMode::Grant, acl::ContainerInherit)),
              err::Success);
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
    EXPECT_EQ(sim.registry().shDeleteKey(hkey::LocalMachine, kDeviceKey), err::Success);
    EXPECT_FALSE(sim.world().registry.exists(device));
}

TEST(SimRegistry, TheSameGrantTwiceLeavesOneEntry) {
    World world = WorldOf(true);
    RegistryKeyRecord& key = world.registry.ensure(std::string("HKLM\\") + kDeviceKey);
    key.isProtected = true;
    key.acl = {Entry("Users", reg::Read, AccessMode::Grant)};
    Simulation sim(std::move(world), Bitness::x86);
    ExplicitAccess grant = Entry("Everyone", reg::AllAccess, AccessMode::Grant, acl::ContainerInherit);
    const auto& acl = sim.world().registry.find(std::string("HKLM\\") + kDeviceKey)->acl;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(GrantThroughPort(sim, grant), err::Success);
        EXPECT_THAT(acl, ElementsAre(Entry("Users", reg::Read, AccessMode::Grant), grant)) << "round " << round;
    }
}

class ForeignAccessList final : public ports::AccessList {};

TEST(SimRegistry, KeySecurityNeedsTheRightHandleAndList) {
    World world = WorldOf(true);
    world.registry.ensure(std::string("HKLM\\") + kDeviceKey).isProtected = true;
    Simulation sim(std::move(world), Bitness::x86);
    RegKey readOnly, enumOnly, forGrant;
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, kDeviceKey, reg::Read, readOnly), 0u);
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, kDeviceKey, reg::EnumerateSubKeys, enumOnly), 0u);
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, kDeviceKey, kOpenForGrant, forGrant), 0u);

    ports::AccessListPtr list, merged;
    EXPECT_EQ(sim.registry().getKeySecurity(enumOnly, list), err::AccessDenied);
    ASSERT_EQ(sim.registry().getKeySecurity(readOnly, list), err::Success);
    ASSERT_EQ(sim.registry().setEntriesInAcl(Entry("Everyone", reg::AllAccess, AccessMode::Grant), list.get(), merged),
              err::Success);
    EXPECT_EQ(sim.registry().setKeySecurity(readOnly, *merged), err::AccessDenied);
    ForeignAccessList foreign;
    EXPECT_EQ(sim.registry().setKeySecurity(forGrant, foreign), err::InvalidParameter);
    EXPECT_EQ(sim.registry().setEntriesInAcl(Entry("Everyone", reg::AllAccess, AccessMode::Grant), &foreign, merged),
              err::InvalidParameter);
    EXPECT_TRUE(sim.world().registry.find(std::string("HKLM\\") + kDeviceKey)->acl.empty());
    EXPECT_EQ(sim.registry().setKeySecurity(hkey::LocalMachine, *merged), err::AccessDenied);

    for (RegKey key : {readOnly, enumOnly, forGrant}) sim.registry().closeKey(key);
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
}

struct MergeRow {
    const char* name;
    std::vector<ExplicitAccess> old;
    ExplicitAccess entry;
    std::vector<ExplicitAccess> expected;
};

class AccessListMerge : public ::testing::TestWithParam<MergeRow> {};

TEST_P(AccessListMerge, MergesAsSetEntriesInAclDoes) {
    const MergeRow& row = GetParam();
    Simulation sim(WorldOf(true), Bitness::x86);
    RegistryAccessList old(row.old);
    ports::AccessListPtr merged;
    ASSERT_EQ(sim.registry().setEntriesInAcl(row.entry, row.old.empty() ? nullptr : &old, merged), err::Success);
    auto* result = dynamic_cast<RegistryAccessList*>(merged.get());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->entries, row.expected);
    EXPECT_EQ(old.entries, row.old);
}

const ExplicitAccess kUsersRead = Entry("Users", reg::Read, AccessMode::Grant);
const ExplicitAccess kEveryoneReadCi = Entry("Everyone", reg::Read, AccessMode::Grant, acl::ContainerInherit);
const ExplicitAccess kEveryoneDenyWrite = Entry("Everyone", reg::Write, AccessMode::Deny);

INSTANTIATE_TEST_SUITE_P(
    Rows, AccessListMerge,
    ::testing::Values(
        MergeRow{"GrantIntoNoList",
                 {},
                 Entry("Everyone", reg::AllAccess, AccessMode::Grant, acl::ContainerInherit),
                 {Entry("Everyone", reg::AllAccess, AccessMode::Grant, acl::ContainerInherit)}},
        MergeRow{
            "GrantAddsToTheTrusteesEntry",
            {kUsersRead, kEveryoneReadCi},
            Entry("EVERYONE", reg::WriteRights, AccessMode::Grant, acl::ContainerInherit),
            {kUsersRead, Entry("Everyone", reg::Read | reg::WriteRights, AccessMode::Grant, acl::ContainerInherit)}},
        MergeRow{"GrantWithOtherInheritanceAppends",
                 {kEveryoneReadCi},
                 Entry("Everyone", reg::AllAccess, AccessMode::Grant),
                 {kEveryoneReadCi, Entry("Everyone", reg::AllAccess, AccessMode::Grant)}},
        MergeRow{"BuiltinPrefixNamesTheSameGroup",
                 {Entry("Administrators", reg::Read, AccessMode::Grant)},
                 Entry("BUILTIN\\Administrators", reg::AllAccess, AccessMode::Grant),
                 {Entry("Administrators", reg::AllAccess, AccessMode::Grant)}},
        MergeRow{"SetReplacesAllowEntriesKeepsDeny",
                 {kEveryoneDenyWrite, kEveryoneReadCi, kUsersRead, Entry("Everyone", reg::Write, AccessMode::Grant)},
                 Entry("Everyone", reg::AllAccess, AccessMode::Set),
                 {kEveryoneDenyWrite, kUsersRead, Entry("Everyone", reg::AllAccess, AccessMode::Grant)}},
        MergeRow{"DenyGoesInFront", {kUsersRead}, kEveryoneDenyWrite, {kEveryoneDenyWrite, kUsersRead}},
        MergeRow{"RevokeRemovesEveryEntryOfTheTrustee",
                 {kEveryoneDenyWrite, kUsersRead, kEveryoneReadCi},
                 Entry("everyone", 0, AccessMode::Revoke),
                 {kUsersRead}},
        MergeRow{"NotUsedChangesNothing", {kUsersRead}, Entry("Everyone", 0, AccessMode::NotUsed), {kUsersRead}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Remote registries -------------------------------------------------------

struct RemoteRow {
    const char* name;
    const char* machine;
    RegKey hive;
    std::uint32_t expected;
};

class RemoteRegistry : public ::testing::TestWithParam<RemoteRow> {};

TEST_P(RemoteRegistry, OtherComputersAreNeverReachable) {
    const RemoteRow& row = GetParam();
    Simulation sim(WorldOf(true), Bitness::x86);
    RegKey key;
    EXPECT_EQ(sim.registry().connectRegistry(row.machine, row.hive, key), row.expected);
    if (row.expected == err::Success) {
        EXPECT_EQ(key, row.hive);
    }
    EXPECT_EQ(sim.registry().openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RemoteRegistry,
    ::testing::Values(RemoteRow{"LocalMachine", "\\\\SHOP-PC", hkey::LocalMachine, err::BadNetPath},
                      RemoteRow{"Users", "\\\\SHOP-PC", hkey::Users, err::BadNetPath},
                      RemoteRow{"CurrentUser", "\\\\SHOP-PC", hkey::CurrentUser, err::InvalidParameter},
                      RemoteRow{"ClassesRoot", "\\\\SHOP-PC", hkey::ClassesRoot, err::InvalidParameter},
                      RemoteRow{"NoComputerIsThisOne", "", hkey::LocalMachine, err::Success}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Faults ------------------------------------------------------------------

// A call made under a planned fault: an open key and a list to work with,
// and places for what the call hands back.
struct FaultCall {
    ports::Registry& registry;
    RegKey key;
    const ports::AccessList& list;
    RegKey out{};
    RegValue value{};
    std::string name{};
    ports::AccessListPtr acl{};
};

struct FaultRow {
    const char* method;
    std::uint32_t (*call)(FaultCall&);
};

class RegistryFault : public ::testing::TestWithParam<FaultRow> {};

TEST_P(RegistryFault, APlannedFaultFailsTheCallWithoutEffect) {
    const FaultRow& row = GetParam();
    World world = WorldOf(true);
    world.registry.ensure("HKLM\\SOFTWARE\\Vendor\\Sub").values.emplace_back("View", Sz("64"));
    Simulation sim(std::move(world), Bitness::x64);
    RegKey key;
    ASSERT_EQ(sim.registry().openKey(hkey::LocalMachine, "SOFTWARE\\Vendor\\Sub", reg::AllAccess, key), 0u);
    ports::AccessListPtr list;
    ASSERT_EQ(sim.registry().getKeySecurity(key, list), 0u);
    const std::string before = Dump(sim);
    const std::string method = std::string("Registry.") + row.method;
    const std::uint32_t callsBefore = sim.faults().callCount(method);

    sim.faults().failCall(method, 1450);
    FaultCall call{sim.registry(), key, *list};
    EXPECT_EQ(row.call(call), 1450u);
    EXPECT_EQ(Dump(sim), before);
    EXPECT_EQ(sim.registry().openHandleCount(), 1u);
    EXPECT_EQ(sim.faults().callCount(method), callsBefore + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, RegistryFault,
    ::testing::Values(
        FaultRow{"openKey",
                 [](FaultCall& c) { return c.registry.openKey(hkey::LocalMachine, "SOFTWARE", reg::Read, c.out); }},
        FaultRow{"createKey",
                 [](FaultCall& c) { return c.registry.createKey(hkey::LocalMachine, "SOFTWARE\\New", 0, c.out); }},
        FaultRow{"closeKey", [](FaultCall& c) { return c.registry.closeKey(c.key); }},
        FaultRow{"setValue", [](FaultCall& c) { return c.registry.setValue(c.key, "New", Sz("x")); }},
        FaultRow{"queryValue", [](FaultCall& c) { return c.registry.queryValue(c.key, "View", c.value); }},
        FaultRow{"enumKey", [](FaultCall& c) { return c.registry.enumKey(hkey::LocalMachine, 0, c.name); }},
        FaultRow{"connectRegistry",
                 [](FaultCall& c) { return c.registry.connectRegistry("", hkey::LocalMachine, c.out); }},
        FaultRow{"shDeleteKey", [](FaultCall& c) { return c.registry.shDeleteKey(hkey::LocalMachine, "SOFTWARE"); }},
        FaultRow{
            "deleteKeyEx",
            [](FaultCall& c) { return c.registry.deleteKeyEx(hkey::LocalMachine, "SOFTWARE\\Vendor\\Sub", 0, 0); }},
        FaultRow{"getKeySecurity", [](FaultCall& c) { return c.registry.getKeySecurity(c.key, c.acl); }},
        FaultRow{"setEntriesInAcl",
                 [](FaultCall& c) {
                     return c.registry.setEntriesInAcl(Entry("Everyone", 1, AccessMode::Grant), &c.list, c.acl);
                 }},
        FaultRow{"setKeySecurity",
                 [](FaultCall& c) {
                     return c.registry.setKeySecurity(c.key,
                                                      RegistryAccessList({Entry("Everyone", 1, AccessMode::Grant)}));
                 }}),
    [](const auto& row) { return std::string(row.param.method); });

TEST(SimRegistry, AFaultHidesRegDeleteKeyEx) {
    Simulation sim(WorldOf(true), Bitness::x86);
    sim.faults().failCall("Registry.hasDeleteKeyEx", 127, 1);
    EXPECT_FALSE(sim.registry().hasDeleteKeyEx());
    EXPECT_TRUE(sim.registry().hasDeleteKeyEx());
}

}  // namespace
}  // namespace kvt::sim
