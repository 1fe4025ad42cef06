// PrinterDrvExist in both programs' forms: which registrations count, and
// what the installer's form shows before it looks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Installer/setup_common/DriverPresence.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::setup {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

struct PresenceRow {
    const char* name;
    const char* os;
    const char* registeredFor;  // nullptr: no driver registered
    const char* askedName;
    int expected;
};

class PrinterDrvExistTest : public testing::TestWithParam<PresenceRow> {};

TEST_P(PrinterDrvExistTest, FindsOnlyTheExactNameInTheProgramsOwnEnvironment) {
    const PresenceRow& row = GetParam();
    sim::World world = *sim::FreshImage(row.os);
    if (row.registeredFor) test::StageProductFiles(world, row.registeredFor);
    kvtsim::ProductSimulation sim(std::move(world), sim::Bitness::x86);
    ports::Platform platform = sim.platform();
    if (row.registeredFor) {
        // Only the driver matters here; a 64-bit spooler keeps monitors for
        // its own environment alone, so the driver is added without one.
        ports::DriverInfo3 driver = test::ProductDriver(row.registeredFor);
        driver.monitorName.clear();
        ASSERT_EQ(platform.spooler.addPrinterDriver(driver), 0u);
    }
    SetupLog log(platform.files, platform.clock, kUninstallerLogFileName);
    log.InitLogFile();

    EXPECT_EQ(PrinterDrvExist(platform, log, row.askedName, nullptr, std::nullopt), row.expected);
    const std::string text = sim.world().files.findFile("C:\\Temp\\KVT-580duo_UnInstaller.txt")->bytes;
    EXPECT_THAT(text, HasSubstr(std::string(row.askedName) +
                                (row.expected ? " PRINTER DRIVER EXISTS.\r\n" : " PRINTER DRIVER DOES NOT EXIST.\r\n")));
    EXPECT_THAT(text, HasSubstr("PrinterDrvExist BEGIN\r\n"));
    EXPECT_THAT(text, HasSubstr("PrinterDrvExist END\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrinterDrvExistTest,
    testing::Values(PresenceRow{"x86_driver_on_xp", "xp-x86", "Windows NT x86", "NORVEX KVT-580duo", 1},
                    PresenceRow{"other_letter_case", "xp-x86", "Windows NT x86", "NORVEX KVT-580DUO", 0},
                    PresenceRow{"nothing_installed", "win10-x64", nullptr, "NORVEX KVT-580duo", 0},
                    // The 32-bit programs ask for their own environment: a
                    // 64-bit-only driver does not count, an x86 one does.
                    PresenceRow{"x64_only_driver_on_win10", "win10-x64", "Windows x64", "NORVEX KVT-580duo", 0},
                    PresenceRow{"x86_driver_on_win10", "win10-x64", "Windows NT x86", "NORVEX KVT-580duo", 1}),
    [](const testing::TestParamInfo<PresenceRow>& row) { return row.param.name; });

TEST(PrinterDrvExist, AFailedEnumerationCountsAsNoDriver) {
    sim::World world = *sim::FreshImage("xp-x86");
    test::StageProductFiles(world, "Windows NT x86");
    kvtsim::ProductSimulation sim(std::move(world), sim::Bitness::x86);
    ports::Platform platform = sim.platform();
    ASSERT_TRUE(test::RegisterProduct(sim.spooler(), "Windows NT x86"));
    SetupLog log(platform.files, platform.clock, kInstallerLogFileName);
    log.InitLogFile();
    sim.faults().failCall("Spooler.enumPrinterDrivers", 1722);
    EXPECT_EQ(PrinterDrvExist(platform, log, "NORVEX KVT-580duo", nullptr, std::nullopt), 0);
}

TEST(PrinterDrvExist, TheInstallersFormAnnouncesTheCheckAndWaits) {
    kvtsim::ProductSimulation sim(*sim::FreshImage("win10-x64"), sim::Bitness::x86);
    ports::Platform platform = sim.platform();
    sim::SimSetupWindow window(sim, "KVT580duo_Installer");
    window.setProgressStep(9);
    SetupLog log(platform.files, platform.clock, kInstallerLogFileName);
    log.InitLogFile();
    EXPECT_EQ(PrinterDrvExist(platform, log, "NORVEX KVT-580duo", &window, std::nullopt), 0);
    std::vector<std::string> events;
    for (const auto& event : sim.transcript().events()) events.push_back(event.dump());
    EXPECT_THAT(events, ElementsAre(R"({"event":"progress","position":9})",
                                    R"({"event":"stepText","text":"Checking existing drivers...\r\n"})",
                                    R"({"event":"sleep","ms":500})"));
}

}  // namespace
}  // namespace kvt::setup
