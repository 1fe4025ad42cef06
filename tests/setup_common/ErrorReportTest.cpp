#include "Installer/setup_common/ErrorReport.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/Simulation.h"
#include "tests/setup_common/SetupTestSupport.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::setup {
namespace {

struct HeadRow {
    const char* name;
    const char* head;
    std::uint32_t code;
    const char* text;
};

class ErrorReportHeadTest : public ::testing::TestWithParam<HeadRow> {};

TEST_P(ErrorReportHeadTest, PutsTheCodeWhereTheDirectiveIs) {
    EXPECT_EQ(ErrorReportHead(GetParam().head, GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ErrorReportHeadTest,
    ::testing::Values(HeadRow{"spooler_code", "AddMonitor, ERR CODE: %d\n\n", 3006, "AddMonitor, ERR CODE: 3006\n\n"},
                      HeadRow{"zero", "AddPrinter, Error Code: %d\n\n", 0, "AddPrinter, Error Code: 0\n\n"},
                      // setupapi's own codes read as negative numbers, as "%d" shows them
                      HeadRow{"setupapi_code", "SetupCopyOEMInf, ERR CODE: %d\n\n", 0xE0000102u,
                              "SetupCopyOEMInf, ERR CODE: -536870654\n\n"},
                      HeadRow{"all_bits", "X %d", 0xFFFFFFFFu, "X -1"},
                      HeadRow{"only_the_first_directive", "%d and %d", 7, "7 and %d"},
                      HeadRow{"other_directives_stay_text", "%s%x: %d", 5, "%s%x: 5"},
                      HeadRow{"no_directive", "Failed.", 5, "Failed."}),
    [](const auto& row) { return std::string(row.param.name); });

struct TextRow {
    const char* name;
    std::uint32_t uiLanguage;
    std::uint32_t code;
    std::string_view text;
};

class ErrorReportTextTest : public ::testing::TestWithParam<TextRow> {};

// English where the system has it, else the system's own language (the
// simulation's one table stands in for it), and words even for a code that
// no table knows.
TEST_P(ErrorReportTextTest, FollowsTheHeadWithTheSystemsText) {
    sim::World world = testing::MakeWorld();
    world.os.uiLanguage = GetParam().uiLanguage;
    kvtsim::ProductSimulation sim(std::move(world));
    EXPECT_EQ(ErrorReportText(sim.system(), "Call, ERR CODE: %d\n\n", GetParam().code),
              "Call, ERR CODE: " + std::to_string(GetParam().code) + "\n\n" + std::string(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ErrorReportTextTest,
    ::testing::Values(TextRow{"english", 0x409, 1722, "The RPC server is unavailable.\r\n"},
                      TextRow{"german_system_own_language", 0x407, 1722, "The RPC server is unavailable.\r\n"},
                      TextRow{"japanese_system_own_language", 0x411, 5, "Access is denied.\r\n"},
                      TextRow{"english_without_text", 0x409, 0x2000ABCD, kNoSystemText},
                      TextRow{"german_without_text", 0x407, 0x2000ABCD, kNoSystemText}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::setup
