// The uninstall entry in both of its deletions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Installer/setup_common/UninstallInfo.h"
#include "platform/sim/FreshImage.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/setup_common/removal/RemovalTestSupport.h"

namespace kvt::setup {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::RemovalTest;
using testing::RowName;

constexpr const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
constexpr const char* kWow64Twin =
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";

struct EntryRow {
    const char* name;
    const char* os;
    bool present;
    int result;
    std::vector<std::string> lines;
    friend void PrintTo(const EntryRow& row, std::ostream* out) { *out << row.name; }
};

class DeleteUninstallationInfoTest : public RemovalTest, public ::testing::WithParamInterface<EntryRow> {};

TEST_P(DeleteUninstallationInfoTest, DeletesTheEntryInTheViewTheInstallerWroteIt) {
    const EntryRow& row = GetParam();
    sim::World world = *sim::FreshImage(row.os);
    if (row.present) world.registry.ensure(test::kUninstallKey).values.push_back({"DisplayName", {}});
    if (world.os.is64Bit) world.registry.ensure(kWow64Twin);
    start(std::move(world), kUninstallerRemoval);
    sim().lastError() = 1234;  // the failure line carries the thread's last error, not the call's result

    EXPECT_EQ(DeleteUninstallationInfo(context(), "KVT-580duo"), row.result);

    EXPECT_FALSE(hasKey(test::kUninstallKey));
    EXPECT_EQ(hasKey(kWow64Twin), this->world().os.is64Bit);
    EXPECT_THAT(logLines(), ElementsAreArray(row.lines));
}

const std::string kRegKeyLine = std::string("RegKey : ") + kKey;

INSTANTIATE_TEST_SUITE_P(
    Rows, DeleteUninstallationInfoTest,
    ::testing::Values(EntryRow{"Win10x64",
                               "win10-x64",
                               true,
                               1,
                               {"DeleteUninstallationInfo BEGIN", kRegKeyLine, "DeleteUninstallationInfo END"}},
                      EntryRow{"XpX86",
                               "xp-x86",
                               true,
                               1,
                               {"DeleteUninstallationInfo BEGIN", kRegKeyLine, "DeleteUninstallationInfo END"}},
                      EntryRow{"MissingOn64Bit",
                               "win10-x64",
                               false,
                               0,
                               {"DeleteUninstallationInfo BEGIN", kRegKeyLine,
                                "MyRegDeleteKeyEx failed : " + std::string(kKey) + " (1234) "}},
                      EntryRow{"MissingOn32Bit",
                               "xp-x86",
                               false,
                               0,
                               {"DeleteUninstallationInfo BEGIN", kRegKeyLine,
                                "SHDeleteKey failed : " + std::string(kKey) + " (1234) "}}),
    RowName());

TEST_F(RemovalTest, DeleteUninstallInfoFromRegDeletesTheKeyOnlyWhenItIsStillThere) {
    sim::World world = *sim::FreshImage("win10-x64");
    world.registry.ensure(test::kUninstallKey);
    world.registry.ensure(kWow64Twin);
    start(std::move(world), kUninstallerRemoval);

    DeleteUninstallInfoFromReg(context());
    DeleteUninstallInfoFromReg(context());

    EXPECT_FALSE(hasKey(test::kUninstallKey));
    EXPECT_TRUE(hasKey(kWow64Twin));
    const std::string regKey = std::string("REGKEY : ") + kKey;
    EXPECT_THAT(logLines(), ElementsAre("DeleteUninstallInfoFromReg BEGIN", regKey, "DeleteUninstallInfoFromReg END",
                                        "DeleteUninstallInfoFromReg BEGIN", regKey, "DeleteUninstallInfoFromReg END"));
}

}  // namespace
}  // namespace kvt::setup
