// How the engine reports to the main window, and the removal context it
// hands the removal steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Installer/setup_common/RemovalForm.h"
#include "tests/support/InstallerTestSystem.h"

namespace kvt::installer {
namespace {

using test::FreshSystemWithPackage;
using test::InstallerTestSystem;
using Lines = std::vector<std::string>;

TEST(ProgressProtocol, StepMovesTheBarBeforeTheTextAndCompleteFillsIt) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    InstallEngine& engine = system.engine();
    engine.SetStepText("One\r\n");
    engine.Step();
    engine.SetStepText("Two");  // shown only with the next refresh
    engine.Pause(setup::pause::InstallStep);
    engine.Complete();
    EXPECT_EQ(system.shown(), (Lines{"progress:10", "text:One\r\n", "sleep:500", "progress:100", "text:Two"}));
    EXPECT_EQ(system.window().position(), 100);
}

TEST(ProgressProtocol, ErrorReportIsOneErrorBoxWithTheCodeAndTheSystemsText) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    system.engine().ShowErrorReport("AddMonitor, ERR CODE: %d\n\n", 3000);
    EXPECT_EQ(system.shown(),
              (Lines{"box:error:ok:AddMonitor, ERR CODE: 3000\n\nThe specified print monitor is unknown.\r\n"}));
}

TEST(ProgressProtocol, SetControlPointersLogsItsBlock) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    sim::SimSetupWindow other(system.sim(), "KVT580duo_Installer");
    system.engine().SetControlPointers(other);
    EXPECT_EQ(system.log(), (Lines{"", "", "SetControlPointers BEGIN", "SetControlPointers END"}));
    EXPECT_EQ(system.engine().window(), &other);
}

struct ContextRow {
    const char* name;
    const char* os;
    int wow64;
    int osCode;
};

class RemovalContextOfEngine : public ::testing::TestWithParam<ContextRow> {};

TEST_P(RemovalContextOfEngine, CarriesTheRunsFactsWindowAndTheInstallersNumbering) {
    InstallerTestSystem system(FreshSystemWithPackage(GetParam().os));
    const setup::RemovalContext context = system.engine().RemovalContextFor(setup::kInstallerRemoval);
    EXPECT_EQ(context.wow64, GetParam().wow64);
    EXPECT_EQ(context.osCode, GetParam().osCode);
    EXPECT_EQ(&context.window, &system.window());
    EXPECT_EQ(&context.log, &system.engine().log());
    EXPECT_EQ(&context.form, &setup::kInstallerRemoval);
    // entries past 20 are numbered differently by the two programs
    EXPECT_EQ(context.entry(setup::removal_entry::MakerName), "NORVEX");
    EXPECT_EQ(context.entry(setup::removal_entry::PluginIniFile), "UI580D.INI");
}

INSTANTIATE_TEST_SUITE_P(Systems, RemovalContextOfEngine,
                         ::testing::Values(ContextRow{"xp_x86", "xp-x86", 0, 2005},
                                           ContextRow{"xp_x64", "xp-x64", 1, 2006},
                                           ContextRow{"win10_x64", "win10-x64", 1, 2010}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::installer
