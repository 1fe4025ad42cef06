#include "Installer/setup_common/LogFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kvt::setup {
namespace {

using logformat::ArgKind;
using logformat::DirectivesMatch;

constexpr ArgKind I = ArgKind::Integer;
constexpr ArgKind T = ArgKind::Text;
constexpr ArgKind X = ArgKind::Unsupported;

// The same check that LogFormat's constructor makes while compiling.
static_assert(logformat::KindOf<std::uint32_t>() == I);
static_assert(logformat::KindOf<char[6]>() == T);
static_assert(logformat::KindOf<const char*>() == T);
static_assert(logformat::KindOf<std::string>() == T);
static_assert(logformat::KindOf<std::string_view>() == T);
static_assert(logformat::KindOf<bool>() == X);
static_assert(logformat::KindOf<double>() == X);
static_assert(logformat::KindOf<const void*>() == X);

struct MatchCase {
    const char* name;
    std::string_view format;
    std::vector<ArgKind> kinds;
    bool matches;
};

class DirectivesMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(DirectivesMatchTest, AcceptsOnlyMatchingArguments) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(DirectivesMatch(c.format, c.kinds.data(), c.kinds.size()), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DirectivesMatchTest,
    ::testing::Values(MatchCase{"no_directives_no_args", "CheckOS BEGIN", {}, true},
                      MatchCase{"percent_percent_takes_no_arg", "100%% done", {}, true},
                      MatchCase{"string_and_int", "MyRegDeleteKeyEx failed : %s (%d) ", {T, I}, true},
                      MatchCase{"time_stamp", "%02u:%02u:%02u: ", {I, I, I}, true},
                      MatchCase{"flags_width_precision", "%-8.3s|%+5d|% d|%#x|%08X|%o", {T, I, I, I, I, I}, true},
                      MatchCase{"length_modifiers", "%hhu %hd %ld %llu %zu", {I, I, I, I, I}, true},
                      MatchCase{"char", "%c", {I}, true},
                      MatchCase{"int_for_string", "%s", {I}, false},
                      MatchCase{"string_for_int", "%d", {T}, false},
                      MatchCase{"too_few_args", "%s %s", {T}, false},
                      MatchCase{"too_many_args", "%s", {T, I}, false},
                      MatchCase{"args_without_directive", "text", {T}, false},
                      MatchCase{"star_width", "%*d", {I, I}, false},
                      MatchCase{"floating", "%f", {I}, false},
                      MatchCase{"write_back", "%n", {I}, false},
                      MatchCase{"wide_string", "%ls", {T}, false},
                      MatchCase{"zero_flag_on_string", "%05s", {T}, false},
                      MatchCase{"alternate_on_decimal", "%#d", {I}, false},
                      MatchCase{"dangling_percent", "abc %", {}, false},
                      MatchCase{"embedded_zero", std::string_view("a\0%s", 4), {T}, false}),
    [](const ::testing::TestParamInfo<MatchCase>& row) { return std::string(row.param.name); });

struct FormatCase {
    const char* name;
    std::string_view format;
    std::vector<logformat::LogArg> args;
    std::string expected;
};

class FormatLogMessageTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatLogMessageTest, FormatsLikeTheCLibrary) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(logformat::FormatLogMessage(c.format, c.args), c.expected);
}

using logformat::MakeLogArg;

// The arguments refer to their text; these outlive the rows.
const std::string kEmptyText;
const std::string kTextWithZero("ab\0cd", 5);

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatLogMessageTest,
    ::testing::Values(
        FormatCase{"percent", "50%% of %d", {MakeLogArg(8)}, "50% of 8"},
        FormatCase{"labelled", "REGKEY_1 : %s", {MakeLogArg("HKLM\\SYSTEM")}, "REGKEY_1 : HKLM\\SYSTEM"},
        FormatCase{"empty_string_argument", "[%s]", {MakeLogArg(kEmptyText)}, "[]"},
        FormatCase{"string_view_argument", "%s!", {MakeLogArg(std::string_view("abcdef").substr(1, 3))}, "bcd!"},
        FormatCase{"null_pointer", "%s", {MakeLogArg(static_cast<const char*>(nullptr))}, "(null)"},
        FormatCase{"unsigned_as_signed_int", "(%d)", {MakeLogArg(std::uint32_t{0xFFFFFFFF})}, "(-1)"},
        FormatCase{"negative_as_unsigned", "%u", {MakeLogArg(-1)}, "4294967295"},
        FormatCase{"short_cut_to_16_bits", "%hu", {MakeLogArg(70000)}, "4464"},
        FormatCase{"char_cut_to_8_bits", "%hhu|%hhu", {MakeLogArg(0xFF), MakeLogArg(0x1FF)}, "255|255"},
        FormatCase{"signed_short_at_its_sign_bit", "%hd|%hd|%hi", {MakeLogArg(0x7FFF), MakeLogArg(0x8000),
                   MakeLogArg(0x1FFFF)}, "32767|-32768|-1"},
        FormatCase{"signed_char_at_its_sign_bit", "%hhd|%hhd|%hhi", {MakeLogArg(0x7F), MakeLogArg(0x80),
                   MakeLogArg(0x1FF)}, "127|-128|-1"},
        FormatCase{"zero_padded", "%02u:%02u:%02u: ", {MakeLogArg(9), MakeLogArg(5), MakeLogArg(7)}, "09:05:07: "},
        FormatCase{"hex", "%x %X %#x %08x", {MakeLogArg(255), MakeLogArg(255), MakeLogArg(255), MakeLogArg(0xbeef)},
                   "ff FF 0xff 0000beef"},
        FormatCase{"width_and_precision_on_text", "%-6s|%.3s|%5s", {MakeLogArg("ab"), MakeLogArg("abcdef"),
                   MakeLogArg("xy")}, "ab    |abc|   xy"},
        FormatCase{"directives_inside_arguments_stay_text", "%s", {MakeLogArg("%s %d %n")}, "%s %d %n"},
        FormatCase{"text_ends_at_zero_byte", "<%s>", {MakeLogArg(kTextWithZero)}, "<ab>"}),
    [](const ::testing::TestParamInfo<FormatCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::setup
