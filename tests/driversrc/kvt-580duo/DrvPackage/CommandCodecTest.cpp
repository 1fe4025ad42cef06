// The command-string codec: the texts a user types, the canonical texts of
// stored bytes, the 2048 limits on both sides, and the round trip from
// bytes through text back to bytes.
#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kvt::plugin {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encoded {
    int result;
    Bytes bytes;
};

Encoded Encode(std::string_view text) {
    CommandBytes buffer{};
    std::uint32_t count = 0xFFFF;
    const int result = EncodeCommandText(text, buffer, true, count);
    return {result, Bytes(buffer.begin(), buffer.begin() + count)};
}

// The page's text buffer with guard bytes right behind it, so that a write
// past its end fails the test in any build, not only under a sanitizer.
struct GuardedText {
    CommandText text;
    std::array<char, 8> guard;
};
static_assert(offsetof(GuardedText, guard) == sizeof(CommandText));

// The text, or nothing when decoding fails.
std::optional<std::string> Decode(const Bytes& bytes) {
    GuardedText buffer;
    buffer.text.fill('#');
    buffer.guard.fill('#');
    const int result = DecodeCommandBytes(bytes, buffer.text);
    EXPECT_EQ(std::string(buffer.guard.begin(), buffer.guard.end()), "########")
        << "decoding " << bytes.size() << " bytes wrote past the text buffer";
    if (result != 1) return std::nullopt;
    return std::string(buffer.text.begin(), std::find(buffer.text.begin(), buffer.text.end(), '\0'));
}

struct EncodeRow {
    const char* name;
    std::string text;
    Bytes bytes;
};

class EncodeCommandTextTest : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(EncodeCommandTextTest, GivesTheBytes) {
    const Encoded encoded = Encode(GetParam().text);
    EXPECT_EQ(encoded.result, 1);
    EXPECT_EQ(encoded.bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EncodeCommandTextTest,
    ::testing::Values(EncodeRow{"OneGroup", "<1B4A00>", {0x1B, 0x4A, 0x00}},
                      EncodeRow{"MixedGroups", "<1B>J<00>", {0x1B, 0x4A, 0x00}},
                      EncodeRow{"LowerCaseDigits", "<1b4a>", {0x1B, 0x4A}},
                      EncodeRow{"SeparatedDigits", "<1b 4a 00>", {0x1B, 0x4A, 0x00}},
                      EncodeRow{"PlainWithSpace", "A B", {0x41, 0x20, 0x42}},
                      EncodeRow{"LoneClosingBracket", ">", {0x3E}},
                      EncodeRow{"EscapedOpeningBracket", "<3C>", {0x3C}},
                      EncodeRow{"OddDigitsLoseTheHalfByte", "<1B4>", {0x1B}},
                      EncodeRow{"PlainCharacterOverwritesHalfByte", "<1B4>A", {0x1B, 0x41}},
                      EncodeRow{"OnlyAHalfByte", "<1", {}},
                      EncodeRow{"NonDigitsSkippedInsideBrackets", "<=1B=>", {0x1B}},
                      EncodeRow{"MissingCloserKeepsHexToTheEnd", "<1B J 4a", {0x1B, 0x4A}},
                      EncodeRow{"SecondOpenerInsideIsSkipped", "<1<B>", {0x1B}},
                      EncodeRow{"HighBytesPassUnchanged", "\xE9\xFF", {0xE9, 0xFF}},
                      EncodeRow{"EmptyGroup", "a<>b", {0x61, 0x62}},
                      EncodeRow{"Empty", "", {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(EncodeCommandText, StopsAtTheTerminator) {
    EXPECT_EQ(Encode(std::string("AB\0CD", 5)).bytes, (Bytes{0x41, 0x42}));
}

TEST(EncodeCommandText, ReadsNoMoreThan2048Characters) {
    const Encoded full = Encode(std::string(2048, 'x'));
    EXPECT_EQ(full.result, 1);
    EXPECT_EQ(full.bytes.size(), 2048u);
    // The byte at index 2048 of the page's buffer is its terminator.
    const Encoded longer = Encode(std::string(2048, 'x') + "yz");
    EXPECT_EQ(longer.result, 1);
    EXPECT_EQ(longer.bytes, full.bytes);
}

struct DecodeRow {
    const char* name;
    Bytes bytes;
    std::string text;
};

class DecodeCommandBytesTest : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(DecodeCommandBytesTest, GivesTheCanonicalText) { EXPECT_EQ(Decode(GetParam().bytes), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeCommandBytesTest,
    ::testing::Values(DecodeRow{"MixedGroups", {0x1B, 0x4A, 0x00}, "<1B>J<00>"},
                      DecodeRow{"SpaceIsHex", {0x41, 0x20, 0x42}, "A<20>B"},
                      DecodeRow{"OpeningBracketIsHex", {0x3C}, "<3C>"},
                      DecodeRow{"ClosingBracketIsItself", {0x3E}, ">"},
                      DecodeRow{"ConsecutiveShareAGroup", {0x1B, 0x00, 0x7F, 0x80, 0xFF}, "<1B007F80FF>"},
                      DecodeRow{"PrintableBounds", {0x21, 0x7E}, "!~"},
                      DecodeRow{"UpperCaseDigits", {0xAB}, "<AB>"},
                      DecodeRow{"Nothing", {}, ""}),
    [](const auto& row) { return std::string(row.param.name); });

// The longest texts that fit, and one character more, for each way a text
// grows: plain characters, a group opened, a group continued.
TEST(DecodeCommandBytes, FailsWhenTheTextWouldPass2048Characters) {
    EXPECT_EQ(Decode(Bytes(2048, 'A')).value_or("").size(), 2048u);
    EXPECT_EQ(Decode(Bytes(2049, 'A')), std::nullopt) << "a plain character needs 1 more";

    // Each pair 1B 4A is "<1B>J": 409 of them make 2045 characters, and one
    // more non-printable byte opens a group that needs 4 more.
    Bytes alternating;
    for (int i = 0; i < 409; ++i) alternating.insert(alternating.end(), {0x1B, 'J'});
    ASSERT_EQ(Decode(alternating).value_or("").size(), 409u * 5);  // 2045
    alternating.push_back(0x1B);
    EXPECT_EQ(Decode(alternating), std::nullopt) << "an opened group needs 4 characters";

    Bytes group(1023, 0x00);  // "<" + 2046 digits + ">" = 2048
    EXPECT_EQ(Decode(group).value_or("").size(), 2048u);
    group.push_back(0x00);
    EXPECT_EQ(Decode(group), std::nullopt) << "a continued group needs 2 more digits and its closer";

    Bytes tail(2047, 'A');
    tail.push_back(0x1B);
    EXPECT_EQ(Decode(tail), std::nullopt);
}

TEST(DecodeCommandBytes, AlternatingBytesOfTheLongestCommandDoNotFit) {
    Bytes bytes;
    for (int i = 0; i < 1023; ++i) bytes.push_back(i % 2 == 0 ? 0x1B : 0x4A);
    EXPECT_EQ(Decode(bytes), std::nullopt);
}

TEST(DecodeCommandBytes, AFailedTextIsStillTerminatedWithinItsBuffer) {
    CommandText text;
    text.fill('#');
    ASSERT_EQ(DecodeCommandBytes(Bytes(2048, 0x01), text), 0);
    EXPECT_LE(std::string(text.data()).size(), kCommandTextMax);
}

// Whenever bytes decode, their text encodes back to exactly those bytes.
TEST(CommandCodecProperty, DecodedTextEncodesToTheSameBytes) {
    std::mt19937 random(20261208);
    int decoded = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::size_t length = random() % (round % 10 == 0 ? 2049 : 64);
        // Mostly printable bytes, so that long commands decode too.
        Bytes bytes(length);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : 0x21 + random() % 94);
        CommandText text;
        if (DecodeCommandBytes(bytes, text) != 1) continue;
        ++decoded;
        const Encoded again = Encode(text.data());
        ASSERT_EQ(again.result, 1) << "round " << round;
        ASSERT_EQ(again.bytes, bytes) << "round " << round << ", text " << text.data();
    }
    EXPECT_GT(decoded, 2500);
}

}  // namespace
}  // namespace kvt::plugin
