#include "Installer/setup_common/BoundedText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvt::setup {
namespace {

struct BoundedCase {
    const char* name;
    std::size_t capacity;
    std::vector<std::string> parts;  // the first is assigned, the others appended
    std::string expected;
    bool lastWasCut;
};

class BoundedTextTest : public ::testing::TestWithParam<BoundedCase> {};

TEST_P(BoundedTextTest, ComposesWithinCapacity) {
    const BoundedCase& c = GetParam();
    BoundedText text(c.capacity);
    for (std::size_t i = 0; i < c.parts.size(); ++i) {
        if (i == 0)
            text.assign(c.parts[i]);
        else
            text.append(c.parts[i]);
    }
    EXPECT_EQ(text.str(), c.expected);
    EXPECT_EQ(text.wasCut(), c.lastWasCut);
    EXPECT_LE(text.size() + 1, c.capacity == 0 ? 1 : c.capacity);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BoundedTextTest,
    ::testing::Values(
        BoundedCase{"exactly_full", 8, {"C:\\", "Temp"}, "C:\\Temp", false},
        BoundedCase{"append_cut_at_capacity", 6, {"C:\\", "Temp"}, "C:\\Te", true},
        BoundedCase{"assign_cut", 4, {"Windows"}, "Win", true},
        BoundedCase{"append_to_full_buffer", 4, {"abc", "d"}, "abc", true},
        BoundedCase{"capacity_one_holds_only_terminator", 1, {"x"}, "", true},
        BoundedCase{"zero_byte_ends_the_text", 16, {std::string("ab\0cd", 5), "ef"}, "abef", false},
        BoundedCase{"long_path_into_256", 256, {std::string(300, 'x')}, std::string(255, 'x'), true}),
    [](const ::testing::TestParamInfo<BoundedCase>& row) { return std::string(row.param.name); });

TEST(BoundedTextTest, PrefixTakesAtMostCount) {
    EXPECT_EQ(Prefix("C:\\Windows", 3), "C:\\");
    EXPECT_EQ(Prefix("C:", 3), "C:");
    EXPECT_EQ(Prefix("", 3), "");
}

}  // namespace
}  // namespace kvt::setup
