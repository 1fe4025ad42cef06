#include "platform/sim/SimAnsiCodePage.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/ports/WinCodes.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

// Each system code page with and without the precomposition flags, both
// ways: UTF-8 and GB18030 take no flags.
struct CodePageFlagsRow {
    const char* name;
    std::uint32_t codePage;
    bool flagsRefused;
    std::string eAcute;  // U+00E9 in the code page
    friend void PrintTo(const CodePageFlagsRow& row, std::ostream* out) { *out << row.name; }
};

class CodePageFlagsTest : public ::testing::TestWithParam<CodePageFlagsRow> {};

TEST_P(CodePageFlagsTest, RefusesTheFlagsWhereWindowsDoes) {
    const CodePageFlagsRow& row = GetParam();
    World world;
    world.os.ansiCodePage = row.codePage;
    Simulation sim(std::move(world), Bitness::x64);
    SimAnsiCodePage codePage(sim);
    const std::uint32_t refusal = row.flagsRefused ? err::InvalidFlags : err::Success;
    const std::u16string readBack = row.eAcute == "?" ? u"12?" : u"12\u00E9";

    std::string ansi;
    EXPECT_EQ(codePage.wideToAnsi(ports::conversion::WcCompositeCheck, u"12\u00E9", ansi), refusal);
    EXPECT_EQ(ansi, row.flagsRefused ? "" : "12" + row.eAcute);
    std::u16string wide;
    EXPECT_EQ(codePage.ansiToWide(ports::conversion::MbPrecomposed, "12" + row.eAcute, wide), refusal);
    EXPECT_EQ(wide, row.flagsRefused ? u"" : readBack);
    EXPECT_EQ(sim.lastError(), refusal);

    ASSERT_EQ(codePage.wideToAnsi(0, u"12\u00E9", ansi), 0u);
    EXPECT_EQ(ansi, "12" + row.eAcute);
    ASSERT_EQ(codePage.ansiToWide(0, "12" + row.eAcute, wide), 0u);
    EXPECT_EQ(wide, readBack);
}

INSTANTIATE_TEST_SUITE_P(Rows, CodePageFlagsTest,
                         ::testing::Values(CodePageFlagsRow{"Western1252", 1252, false, "\xE9"},
                                           CodePageFlagsRow{"Japanese932", 932, false, "?"},
                                           CodePageFlagsRow{"Chinese936", 936, false, "\xA8\xA6"},
                                           CodePageFlagsRow{"Gb18030", 54936, true, "\xA8\xA6"},
                                           CodePageFlagsRow{"Utf8", 65001, true, "\xC3\xA9"}),
                         [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST(SimAnsiCodePageTest, UnreadableUtf8BytesBecomeReplacementCharacters) {
    World world;
    world.os.ansiCodePage = 65001;
    Simulation sim(std::move(world), Bitness::x64);
    SimAnsiCodePage codePage(sim);
    std::u16string wide;
    ASSERT_EQ(codePage.ansiToWide(0, "A\xE9" "B\xE2\x82", wide), 0u);
    EXPECT_EQ(wide, u"A\uFFFDB\uFFFD\uFFFD");
}

}  // namespace
}  // namespace kvt::sim
