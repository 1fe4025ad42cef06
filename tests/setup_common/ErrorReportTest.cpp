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

TEST(ErrorReportText, FollowsTheHeadWithTheSystemsEnglishText) {
    kvtsim::ProductSimulation sim(testing::MakeWorld());
    EXPECT_EQ(ErrorReportText(sim.system(), "EnumPrinters Error Code: %d\n\n", 1722),
              "EnumPrinters Error Code: 1722\n\nThe RPC server is unavailable.\r\n");
    // a code the system has no text for leaves the head alone
    EXPECT_EQ(ErrorReportText(sim.system(), "AddPrintProcessor, ERR CODE: %d\n\n", 3005),
              "AddPrintProcessor, ERR CODE: 3005\n\n");
}

}  // namespace
}  // namespace kvt::setup
