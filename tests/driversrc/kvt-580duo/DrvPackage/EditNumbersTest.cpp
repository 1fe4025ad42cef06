// Numbers read from and written to the pages' edits as the C runtime does.
#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace kvt::plugin {
namespace {

struct IntRow {
    const char* text;
    int number;
};

class AnsiToIntTest : public ::testing::TestWithParam<IntRow> {};

TEST_P(AnsiToIntTest, ReadsLikeAtoi) { EXPECT_EQ(AnsiToInt(GetParam().text), GetParam().number) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(Rows, AnsiToIntTest,
                         ::testing::Values(IntRow{"42", 42}, IntRow{" \t42x", 42}, IntRow{"-7", -7}, IntRow{"+5", 5},
                                           IntRow{"", 0}, IntRow{"abc", 0}, IntRow{"- 3", 0}, IntRow{"007", 7},
                                           IntRow{"2147483647", INT_MAX}, IntRow{"99999999999999999999", INT_MAX},
                                           IntRow{"-2147483648", INT_MIN}, IntRow{"-99999999999", INT_MIN},
                                           IntRow{"12.9", 12}));

struct RealRow {
    const char* text;
    double number;
};

class AnsiToRealTest : public ::testing::TestWithParam<RealRow> {};

TEST_P(AnsiToRealTest, ReadsDecimalTextLikeAtof) {
    EXPECT_EQ(AnsiToReal(GetParam().text), GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Rows, AnsiToRealTest,
                         ::testing::Values(RealRow{"32.3", 32.3}, RealRow{" 72", 72.0}, RealRow{"-1.5", -1.5},
                                           RealRow{".5", 0.5}, RealRow{"5.", 5.0}, RealRow{"1e2", 100.0},
                                           RealRow{"1e", 1.0}, RealRow{"2E-1mm", 0.2}, RealRow{"", 0.0},
                                           RealRow{".", 0.0}, RealRow{"inf", 0.0}, RealRow{"nan", 0.0},
                                           RealRow{"0x10", 0.0}, RealRow{"12,5", 12.0}));

TEST(AnsiToRealRangeTest, TooLargeIsInfinite) { EXPECT_TRUE(std::isinf(AnsiToReal("1e999"))); }

TEST(NumberTextTest, OneDecimalRoundsTheValueHeld) {
    EXPECT_EQ(OneDecimalText(32.3), u"32.3");
    EXPECT_EQ(OneDecimalText(25.45), u"25.4") << "25.45 is held just below its value";
    EXPECT_EQ(OneDecimalText(72.0), u"72.0");
    EXPECT_EQ(OneDecimalText(1e20), u"100000000000000000000.0");
}

}  // namespace
}  // namespace kvt::plugin
