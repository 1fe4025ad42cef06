// The case-insensitive comparisons behind every name lookup of the
// simulation (files, keys, printers, devices): they must order and match
// exactly as comparing the upper-cased texts byte by byte would, whatever
// shortcut they take over equal bytes.
#include "platform/sim/CaseInsensitive.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kvt::sim {
namespace {

// The definition the fast comparisons must agree with.
int ReferenceCompare(std::string_view a, std::string_view b) {
    const std::string upperA = ToUpperAscii(a), upperB = ToUpperAscii(b);
    for (std::size_t i = 0; i < std::min(upperA.size(), upperB.size()); ++i) {
        const auto x = static_cast<unsigned char>(upperA[i]), y = static_cast<unsigned char>(upperB[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (upperA.size() == upperB.size()) return 0;
    return upperA.size() < upperB.size() ? -1 : 1;
}

void ExpectAgreesWithReference(const std::string& a, const std::string& b) {
    const int expected = ReferenceCompare(a, b);
    EXPECT_EQ(CaseInsensitiveLess{}(a, b), expected < 0) << '"' << a << "\" < \"" << b << '"';
    EXPECT_EQ(CaseInsensitiveLess{}(b, a), expected > 0) << '"' << b << "\" < \"" << a << '"';
    EXPECT_EQ(EqualsNoCase(a, b), expected == 0) << '"' << a << "\" == \"" << b << '"';
}

TEST(CaseInsensitive, NamedPairsCompareAsTheirUpperCase) {
    const std::string printers = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
    struct Row {
        const char* name;
        std::string a, b;
    };
    const Row rows[] = {
        {"BothEmpty", "", ""},
        {"EmptyBeforeAnything", "", "a"},
        {"CaseOnly", "Receipt", "rECEIPT"},
        {"PrefixIsLess", "Receipt", "receipt 2"},
        {"LongSharedPrefixThenCase", printers + "Counter 00017", printers + "COUNTER 00017"},
        {"LongSharedPrefixThenDigit", printers + "Counter 00017", printers + "counter 00018"},
        {"CaseDifferenceBeforeRealOne", "aBc1", "ABC2"},
        {"BackslashSortsBeforeLetters", "Printers\\X", "PrintersA"},
        // Upper-casing brings lower-case letters below '_' (0x5F): "a" sorts as "A".
        {"UnderscoreAgainstLetter", "_x", "ax"},
        {"HighBytesAreUnsigned", "Caf\xE9", "Cafe"},
        {"HighBytesAreNotFolded", "\xE9", "\xC9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectAgreesWithReference(row.a, row.b);
    }
}

TEST(CaseInsensitive, SeededRandomTextsCompareAsTheirUpperCase) {
    // Short texts over a small alphabet (both cases, separators, a high
    // byte) meet often with equal prefixes and case-only differences.
    std::mt19937 random(20261208);
    const std::string alphabet = "aAbB\\_9\xE9";
    auto text = [&] {
        std::string out;
        for (std::size_t n = random() % 7; n > 0; --n) out += alphabet[random() % alphabet.size()];
        return out;
    };
    for (int i = 0; i < 5000; ++i) ExpectAgreesWithReference(text(), text());
}

TEST(CaseInsensitive, FirstDifferenceSkipsCaseAndStartsWhereAsked) {
    EXPECT_EQ(FirstDifferenceNoCase("Receipt A", "RECEIPT B"), 8u);
    EXPECT_EQ(FirstDifferenceNoCase("Receipt", "receipt 2"), std::string_view::npos) << "agrees over the shorter";
    EXPECT_EQ(FirstDifferenceNoCase("xA", "yA", 1), std::string_view::npos) << "looks from the given position on";
    EXPECT_TRUE(StartsWithNoCase("USB\\VID_2E9C&PID_000B\\5&1", "usb\\vid_2e9c&pid_000b"));
    EXPECT_FALSE(StartsWithNoCase("USB\\VID", "USB\\VID_2E9C"));
}

}  // namespace
}  // namespace kvt::sim
