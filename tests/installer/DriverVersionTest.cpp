#include "Installer/KVT580duo_Installer/DriverVersion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/NVXPOS_InstallerDlg.h"
#include "platform/sim/SimPortDialog.h"
#include "platform/sim/SimSetupWindow.h"
#include "tests/setup_common/SetupTestSupport.h"

namespace kvt::installer {
namespace {

using setup::testing::MakeWorld;

class InstallEngineTest : public setup::testing::SetupTest {};

TEST_F(InstallEngineTest, ConstructorLoadsTheProductNames) {
    start(MakeWorld());
    InstallEngine engine(platform(), log());
    EXPECT_EQ(engine.makerName(), "NORVEX");
    EXPECT_EQ(engine.driverName(), "NORVEX KVT-580duo");
    EXPECT_EQ(engine.languageMonitorName(), "NVX Language Monitor KVT580duo");
    EXPECT_EQ(engine.printProcessorName(), "NVX PRINT PROCESSOR KVT580duo");
    EXPECT_EQ(engine.driverDll(), "KVT580D.dll");
    EXPECT_EQ(engine.languageMonitorDll(), "MON580D.dll");
    EXPECT_EQ(engine.printProcessorDll(), "PRO580D.dll");
    EXPECT_EQ(engine.uiPluginDll(), "UI580D.dll");
    EXPECT_EQ(engine.secondDriverDll(), "UNI580D.dll");
    EXPECT_EQ(engine.infName(), "kvt580d.inf");
    EXPECT_EQ(engine.ownProcessor(), 1);
    EXPECT_EQ(engine.LoadEntry(26), "KVT580D.GPD");
    EXPECT_EQ(engine.LoadEntry(19), "");
}

// The progress window's version line, set while the window opens: three of
// the four version numbers.
TEST_F(InstallEngineTest, OpeningTheWindowSetsTheVersionLine) {
    start(MakeWorld());
    sim::SimSetupWindow window(sim(), "KVT580duo_Installer");
    sim::SimPortDialog portDialog(sim(), std::nullopt);
    NVXPOS_InstallerDlg flow(platform(), window, portDialog);
    EXPECT_EQ(flow.versionText(), "");
    flow.OnInitDialog();
    EXPECT_EQ(flow.versionText(), "Driver Version: V3.4.3");
}

struct SystemRow {
    const char* name;
    int wow64;
    int osCode;
    const char* environment;
    const char* packageFolder;
};

class SetSystemInfoTest : public setup::testing::SetupTest, public ::testing::WithParamInterface<SystemRow> {};

TEST_P(SetSystemInfoTest, ChoosesEnvironmentAndPackageFolder) {
    const SystemRow& r = GetParam();
    start(MakeWorld());
    InstallEngine engine(platform(), log());
    engine.SetSystemInfo(r.wow64, r.osCode);
    EXPECT_EQ(engine.wow64(), r.wow64);
    EXPECT_EQ(engine.osCode(), r.osCode);
    EXPECT_EQ(engine.environment(), r.environment);
    EXPECT_EQ(engine.packageFolder(), r.packageFolder);
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{"", "", "SetSystemInfo BEGIN",
                                        std::string("ENV : ") + r.environment + ", DRV DIR : " + r.packageFolder + " ",
                                        "SetSystemInfo END"}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetSystemInfoTest,
    ::testing::Values(SystemRow{"x86_program_on_x64", 1, 2010, "Windows x64", ".\\Driver64\\"},
                      SystemRow{"xp_x86", 0, 2005, "Windows NT x86", ".\\Driver32\\"},
                      SystemRow{"xp_x64", 1, 2006, "Windows x64", ".\\Driver64\\"}),
    [](const ::testing::TestParamInfo<SystemRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::installer
