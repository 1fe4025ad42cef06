#include "Installer/KVT580duo_Installer/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/setup_common/SetupTestSupport.h"

namespace kvt::installer {
namespace {

using setup::testing::MakeWorld;

constexpr const char* kBesideInstaller = "C:\\Setup\\KVT580duo_Config.NVX";
constexpr const char* kProductConfigFile = "C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX";

struct LookupRow {
    const char* name;
    const char* besideInstaller;  // nullptr: no such file
    const char* productFolder;
    const char* key;
    std::size_t bufferSize;
    const char* expected;  // nullptr: not found
};

class GetDriverInfoFromFileTest : public setup::testing::SetupTest,
                                  public ::testing::WithParamInterface<LookupRow> {};

TEST_P(GetDriverInfoFromFileTest, LooksUpKeyByKey) {
    const LookupRow& r = GetParam();
    sim::World world = MakeWorld();
    if (r.besideInstaller != nullptr) world.files.putFile(kBesideInstaller, r.besideInstaller);
    if (r.productFolder != nullptr) world.files.putFile(kProductConfigFile, r.productFolder);
    start(std::move(world));

    const std::optional<std::string> value = GetDriverInfoFromFile(platform(), log(), "KVT580D", r.key, r.bufferSize);
    if (r.expected == nullptr) {
        EXPECT_FALSE(value.has_value()) << *value;
    } else {
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, r.expected);
        EXPECT_EQ(logBytes(), "") << "a found key is not logged";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GetDriverInfoFromFileTest,
    ::testing::Values(
        LookupRow{"beside_installer_wins", "[KVT580D]\r\nPORT=LPT1\r\n", "[KVT580D]\r\nPORT=COM3\r\n", "PORT", 256, "LPT1"},
        LookupRow{"missing_key_taken_from_product_folder", "[KVT580D]\r\nPORT=LPT1\r\n",
                  "[KVT580D]\r\nPORTDLG=FALSE\r\nPORT=COM3\r\n", "PORTDLG", 256, "FALSE"},
        LookupRow{"empty_value_counts_as_absent", "[KVT580D]\r\nPORT=\r\n", "[KVT580D]\r\nPORT=USB\r\n", "PORT", 256, "USB"},
        LookupRow{"only_product_folder", nullptr, "[KVT580D]\r\nPORT=COM2\r\n", "PORT", 256, "COM2"},
        LookupRow{"other_section_does_not_count", "[OTHER]\r\nPORT=LPT2\r\n", nullptr, "PORT", 256, nullptr},
        LookupRow{"cut_to_the_buffer", "[KVT580D]\r\nPORT=COM2 and more\r\n", nullptr, "PORT", 5, "COM2"},
        LookupRow{"neither_file", nullptr, nullptr, "PORT", 256, nullptr}),
    [](const ::testing::TestParamInfo<LookupRow>& row) { return std::string(row.param.name); });

class GetDriverInfoFromFileLogTest : public setup::testing::SetupTest {};

TEST_F(GetDriverInfoFromFileLogTest, FailureIsLoggedWithTheLastError) {
    start(MakeWorld());
    EXPECT_FALSE(GetDriverInfoFromFile(platform(), log(), "KVT580D", "PORTDLG", 256).has_value());
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{"", "", "GetDriverInfoFromFile BEGIN", "SECTION NAME : KVT580D",
                                        "KEY NAME : PORTDLG", "GetDriverInfoFromFile failed. (2)",
                                        "GetDriverInfoFromFile END", "", ""}));
}

TEST_F(GetDriverInfoFromFileLogTest, PathsAreComposedWithinTheirBuffers) {
    // A current directory so long that the file name no longer fits: the cut
    // path names no file, and the copy in the product folder answers.
    sim::World world = MakeWorld();
    const std::string deep = "C:\\" + std::string(240, 'd');
    world.currentDirectory = deep;
    world.files.putFile(deep + "\\KVT580duo_Config.NVX", "[KVT580D]\r\nPORT=LPT1\r\n");
    world.files.putFile(kProductConfigFile, "[KVT580D]\r\nPORT=COM4\r\n");
    start(std::move(world));
    EXPECT_EQ(GetDriverInfoFromFile(platform(), log(), "KVT580D", "PORT", 256), "COM4");
}

}  // namespace
}  // namespace kvt::installer
