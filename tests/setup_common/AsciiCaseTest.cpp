#include "Installer/setup_common/AsciiCase.h"

#include <gtest/gtest.h>

namespace kvt::setup {
namespace {

struct NoCaseRow {
    const char* name;
    std::string_view text;
    std::string_view other;
    bool equal;     // EqualsNoCase(text, other)
    bool prefixed;  // StartsWithNoCase(text, other)
};

class AsciiCaseTest : public ::testing::TestWithParam<NoCaseRow> {};

TEST_P(AsciiCaseTest, FoldsOnlyLetters) {
    const NoCaseRow& row = GetParam();
    EXPECT_EQ(EqualsNoCase(row.text, row.other), row.equal);
    EXPECT_EQ(EqualsNoCase(row.other, row.text), row.equal);
    EXPECT_EQ(StartsWithNoCase(row.text, row.other), row.prefixed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AsciiCaseTest,
    ::testing::Values(NoCaseRow{"SameName", "NORVEX KVT-580duo", "norvex kvt-580DUO", true, true},
                      NoCaseRow{"Prefix", "USBPRINT\\NORVEXKVT-580duo", "usbprint\\", false, true},
                      NoCaseRow{"TextShorterThanPrefix", "USB", "usbprint", false, false},
                      NoCaseRow{"Empty", "", "", true, true},
                      // '[' and '{' differ by the case bit but are no letters.
                      NoCaseRow{"BracketIsNoLetter", "a[", "A{", false, false},
                      NoCaseRow{"AtIsNoLetter", "@", "`", false, false},
                      NoCaseRow{"HighBytesStandForThemselves", "\xC4", "\xE4", false, false}),
    [](const auto& r) { return std::string(r.param.name); });

TEST(AsciiLoweredTest, ChangesOnlyLetters) { EXPECT_EQ(AsciiLowered("COM1: [LPT] @Z"), "com1: [lpt] @z"); }

}  // namespace
}  // namespace kvt::setup
