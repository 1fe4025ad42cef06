// An uninstall entry that is a value instead of a key: under
// "...\CurrentVersion\Uninstall" a value bears the entry's name
// "NORVEX_KVT-580duo" (a damaged registry, or another program's doing). The
// programs treat the key as missing and the value as not theirs: the
// installer writes its key beside it, the removal logs the key it did not
// find, and the value stays as it was.
#include <gtest/gtest.h>

#include <string>

#include "Installer/setup_common/RegistryHelpers.h"
#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

constexpr const char* kUninstallParent = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kEntryName = "NORVEX_KVT-580duo";
constexpr const char* kValueText = "C:\\Users\\Clerk\\not the uninstaller.exe";

using setup::TextValue;

// The entry as a value of the Uninstall key, and no key of that name.
sim::World WithEntryAsValue(sim::World world) {
    world.registry.eraseTree(kUninstallKey);
    world.registry.ensure(kUninstallParent).values.emplace_back(kEntryName, TextValue(kValueText));
    return world;
}

void ExpectValueKept(const kvtsim::ProgramRun& run) {
    const nlohmann::json* parent = FindKey(run, kUninstallParent);
    ASSERT_NE(parent, nullptr);
    ASSERT_TRUE(parent->at("values").contains(kEntryName));
    EXPECT_EQ(parent->at("values")[kEntryName]["data"], kValueText);
}

class HostileUninstallEntry : public ::testing::TestWithParam<const char*> {};

TEST_P(HostileUninstallEntry, InstallerWritesItsKeyBesideTheValue) {
    const kvtsim::ProgramRun run = Install(WithEntryAsValue(SystemWithPackage(GetParam())), Answers("COM1"));
    ASSERT_EQ(run.exitCode, 0u);
    ExpectValueKept(run);
    const nlohmann::json* entry = FindKey(run, kUninstallKey);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->at("values")["DisplayName"]["data"], "NORVEX KVT-580duo Windows Driver V3.4.3");
}

TEST_P(HostileUninstallEntry, RemovalLogsTheMissingKeyAndLeavesTheValue) {
    const kvtsim::ProgramRun run = Uninstall(WithEntryAsValue(ProductWithPrinters(GetParam(), {{"Receipt A"}})),
                                             Choice({}));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(HasProductDriver(run));
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
    const bool is64 = std::string(GetParam()).ends_with("x64");
    // The number is the thread's last error after the call, which the
    // registry leaves as it was; the line names the key either way.
    const std::string failure = (is64 ? "MyRegDeleteKeyEx failed : " : "SHDeleteKey failed : ") + key + " (";
    bool logged = false;
    for (const std::string& message : LogMessages(run)) logged = logged || message.starts_with(failure);
    EXPECT_TRUE(logged) << failure;
    EXPECT_TRUE(Logged(run, "DeleteUninstallInfoFromReg END"));
    ExpectValueKept(run);
}

TEST_P(HostileUninstallEntry, UninstallerWithoutTheProductLeavesTheValue) {
    const kvtsim::ProgramRun run = Uninstall(WithEntryAsValue(SystemWithPackage(GetParam())));
    ASSERT_EQ(run.exitCode, 0u);
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "The KVT-580duo driver does not exist on this system.");
    ExpectValueKept(run);
}

INSTANTIATE_TEST_SUITE_P(Systems, HostileUninstallEntry, ::testing::Values("xp-x86", "win10-x64"));

}  // namespace
}  // namespace kvt::test
