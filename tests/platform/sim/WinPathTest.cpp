#include "platform/sim/WinPath.h"

#include <gtest/gtest.h>

#include <string>

namespace kvt::sim::winpath {
namespace {

// Test names of table rows.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
    return row.param.name;
}

struct NormaliseRow {
    const char* name;
    const char* path;
    const char* currentDirectory;
    const char* expected;  // empty when `error` is expected
    std::uint32_t error;
};

class NormaliseTest : public ::testing::TestWithParam<NormaliseRow> {};

TEST_P(NormaliseTest, GivesTheNameTheFileApiUses) {
    const NormaliseRow& row = GetParam();
    std::string out;
    const std::uint32_t code = Normalise(row.path, row.currentDirectory, out);
    EXPECT_EQ(code, row.error);
    if (row.error == 0) {
        EXPECT_EQ(out, row.expected);
    }
}

const std::string TooLong = "C:\\" + std::string(257, 'a');

INSTANTIATE_TEST_SUITE_P(
    Rows, NormaliseTest,
    ::testing::Values(
        NormaliseRow{"ForwardSlashes", "C:/Temp/x.txt", "C:\\Setup", "C:\\Temp\\x.txt", 0},
        NormaliseRow{"DoubledSeparatorAfterRoot", "C:\\\\Temp\\KVT-580duo_Installer.txt", "C:\\Setup",
                     "C:\\Temp\\KVT-580duo_Installer.txt", 0},
        NormaliseRow{"DotAndDotDot", "C:\\Windows\\.\\System32\\..\\inf", "C:\\Setup", "C:\\Windows\\inf", 0},
        NormaliseRow{"DotDotStopsAtRoot", "C:\\..\\..\\x", "C:\\Setup", "C:\\x", 0},
        NormaliseRow{"VerbatimPrefixDropped", "\\\\?\\C:\\Temp\\x", "C:\\Setup", "C:\\Temp\\x", 0},
        NormaliseRow{"TrailingSeparatorDropped", "C:\\Temp\\", "C:\\Setup", "C:\\Temp", 0},
        NormaliseRow{"DriveRootKeepsSeparator", "C:\\", "D:\\Setup", "C:\\", 0},
        NormaliseRow{"Relative", ".\\Driver32\\UNIDRV.DLL", "C:\\Setup", "C:\\Setup\\Driver32\\UNIDRV.DLL", 0},
        NormaliseRow{"RelativeParent", "..\\x", "C:\\Setup\\Sub", "C:\\Setup\\x", 0},
        NormaliseRow{"RelativeInRootDirectory", "x", "C:\\", "C:\\x", 0},
        NormaliseRow{"RootRelativeTakesCurrentDrive", "\\Temp\\x", "D:\\Setup", "D:\\Temp\\x", 0},
        NormaliseRow{"DriveRelativeSameDrive", "c:x", "C:\\Setup", "C:\\Setup\\x", 0},
        NormaliseRow{"DriveRelativeOtherDrive", "D:x", "C:\\Setup", "D:\\x", 0},
        NormaliseRow{"BareDriveIsItsCurrentDirectory", "C:", "C:\\Setup", "C:\\Setup", 0},
        NormaliseRow{"TrailingDotsAndSpacesOfLastName", "C:\\Temp\\x. .", "C:\\Setup", "C:\\Temp\\x", 0},
        NormaliseRow{"Empty", "", "C:\\Setup", "", 3},
        NormaliseRow{"RelativeWithoutCurrentDirectory", "x", "", "", 3},
        NormaliseRow{"NetworkName", "\\\\server\\share\\x", "C:\\Setup", "", 53},
        NormaliseRow{"Wildcard", "C:\\Temp\\*.txt", "C:\\Setup", "", 123},
        NormaliseRow{"ForbiddenCharacter", "C:\\Temp\\a|b", "C:\\Setup", "", 123},
        NormaliseRow{"LongerThanMaxPath", TooLong.c_str(), "C:\\Setup", "", 206}),
    RowName<NormaliseRow>);

TEST(WinPathTest, LongestAcceptedPathIsMaxPath) {
    std::string out;
    EXPECT_EQ(Normalise("C:\\" + std::string(MaxPath - 3, 'a'), "", out), 0u);
    EXPECT_EQ(out.size(), MaxPath);
}

TEST(WinPathTest, ParentNameAndJoin) {
    EXPECT_EQ(ParentOf("C:\\Temp\\x"), "C:\\Temp");
    EXPECT_EQ(ParentOf("C:\\Temp"), "C:\\");
    EXPECT_EQ(ParentOf("C:\\"), "");
    EXPECT_EQ(NameOf("C:\\Temp\\x.txt"), "x.txt");
    EXPECT_EQ(NameOf("C:\\Temp"), "Temp");
    EXPECT_EQ(NameOf("C:\\"), "");
    EXPECT_EQ(Join("C:\\", "Temp"), "C:\\Temp");
    EXPECT_EQ(Join("C:\\Temp", "x"), "C:\\Temp\\x");
    EXPECT_TRUE(IsDriveRoot("D:\\"));
    EXPECT_FALSE(IsDriveRoot("D:\\x"));
    EXPECT_EQ(Components("C:\\a\\b"), (std::vector<std::string_view>{"a", "b"}));
    EXPECT_TRUE(Components("C:\\").empty());
}

TEST(WinPathTest, InsideMeansWholeComponents) {
    EXPECT_TRUE(IsSameOrInside("C:\\Temp", "c:\\temp"));
    EXPECT_TRUE(IsSameOrInside("C:\\Temp\\x\\y", "C:\\TEMP"));
    EXPECT_TRUE(IsSameOrInside("C:\\Temp", "C:\\"));
    EXPECT_FALSE(IsSameOrInside("C:\\Temp2", "C:\\Temp"));
    EXPECT_FALSE(IsSameOrInside("C:\\Tem", "C:\\Temp"));
    EXPECT_EQ(RelativeTo("C:\\Temp\\x\\y", "C:\\Temp"), "x\\y");
    EXPECT_EQ(RelativeTo("C:\\Temp", "C:\\"), "Temp");
    EXPECT_EQ(RelativeTo("C:\\Temp", "C:\\Temp"), "");
}

struct WildcardRow {
    const char* name;
    const char* pattern;
    const char* file;
    bool matches;
};

class WildcardTest : public ::testing::TestWithParam<WildcardRow> {};

TEST_P(WildcardTest, MatchesAsFindFirstFile) {
    const WildcardRow& row = GetParam();
    EXPECT_EQ(WildcardMatch(row.pattern, row.file), row.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WildcardTest,
    ::testing::Values(WildcardRow{"StarDotStarMatchesNameWithoutDot", "*.*", "Driver64", true},
                      WildcardRow{"StarDotStarMatchesDot", "*.*", ".", true},
                      WildcardRow{"StarMatchesAll", "*", "a.b.c", true},
                      WildcardRow{"OemPattern", "oem*.inf", "oem12.inf", true},
                      WildcardRow{"OemPatternIgnoresCase", "oem*.inf", "OEM3.INF", true},
                      WildcardRow{"OemPatternEmptyStar", "oem*.inf", "oem.inf", true},
                      WildcardRow{"OemPatternOtherExtension", "oem*.inf", "oem3.pnf", false},
                      WildcardRow{"QuestionOneCharacter", "oem?.inf", "oem7.inf", true},
                      WildcardRow{"QuestionNeedsACharacter", "oem?.inf", "oem.inf", false},
                      WildcardRow{"QuestionOnlyOne", "oem?.inf", "oem12.inf", false},
                      WildcardRow{"ExactIgnoresCase", "UI580D.dll", "ui580d.DLL", true},
                      WildcardRow{"StarBacktracks", "*.dll", "a.dll.dll", true},
                      WildcardRow{"StarInTheMiddleNoEnd", "a*b*c", "aXbYbZ", false}),
    RowName<WildcardRow>);

}  // namespace
}  // namespace kvt::sim::winpath
