// Which program the simulated printui command really runs: only the system's
// cmd.exe counts, its bitness decides printui's (a 32-bit one on 64-bit
// Windows cannot install the printer), and cmd takes RUNDLL32 from the
// current directory unless the child's environment turns that search off.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/PrintUiCommand.h"
#include "tests/support/ProductInfText.h"

namespace kvt::sim {
namespace {

constexpr const char* kSearchInstallOnCom2 =
    "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"NORVEX KVT-580duo\" /f .\\kvt580d.inf /r \"COM2:\" "
    "/m \"NORVEX KVT-580duo\"";

struct SearchRow {
    const char* name;
    const char* os;
    const char* application;
    std::vector<std::string> environment;
    const char* planted;  // a file put into the current directory, or nullptr
    bool handled;         // taken as the system's printui command at all
    bool installs;
    bool fails = false;  // printui ends with an error code
};

void PrintTo(const SearchRow& row, std::ostream* out) { *out << row.name; }

class PrintUiSearchTest : public testing::TestWithParam<SearchRow> {};

TEST_P(PrintUiSearchTest, RunsTheSystemsPrintUiOnlyWhenNothingStandsIn) {
    const SearchRow& row = GetParam();
    World world = *FreshImage(row.os);
    test::PlaceProductPackage(world);
    if (row.planted) world.files.putFile(std::string("C:\\Setup\\") + row.planted, "stand-in");
    Simulation sim(std::move(world));

    const std::optional<ProcessOutcome> outcome =
        RunPrintUiCommand(sim, {row.application, kSearchInstallOnCom2, true, row.environment});
    ASSERT_EQ(outcome.has_value(), row.handled);
    if (!row.handled) return;
    EXPECT_EQ(outcome->exitCode != 0, row.fails) << outcome->exitCode;
    ports::PrinterHandle printer;
    const bool installed = sim.spooler().openPrinter(std::string("NORVEX KVT-580duo"), nullptr, printer) == 0;
    EXPECT_EQ(installed, row.installs);
    EXPECT_EQ(outcome->runMs, row.installs || row.fails ? kPrintUiDefaultRunMs : 0u);
    std::vector<ports::DriverInfo3> native;
    ASSERT_EQ(sim.spooler().enumPrinterDrivers(sim.world().os.is64Bit ? "Windows x64" : "Windows NT x86", native),
              err::Success);
    EXPECT_EQ(native.size(), row.installs ? 1u : 0u) << "the driver of the system's own environment";
}

const std::vector<std::string> kNoSearch = {"NoDefaultCurrentDirectoryInExePath=1"};

INSTANTIATE_TEST_SUITE_P(
    Rows, PrintUiSearchTest,
    testing::Values(
        SearchRow{"NativeCmd", "win10-x64", "C:\\Windows\\Sysnative\\cmd.exe", {}, nullptr, true, true},
        // A 32-bit program's System32 is SysWOW64: the 32-bit printui runs.
        SearchRow{"SystemCmdOfA32BitProgram", "win10-x64", "C:\\Windows\\system32\\cmd.exe", {}, nullptr, true,
                  false, true},
        SearchRow{"RedirectedCmd", "win10-x64", "C:\\Windows\\SysWOW64\\cmd.exe", {}, nullptr, true, false, true},
        SearchRow{"SystemCmdOn32BitWindows", "win7-x86", "C:\\Windows\\system32\\cmd.exe", {}, nullptr, true, true},
        SearchRow{"CmdFromThePackage", "win10-x64", "C:\\Setup\\cmd.exe", {}, nullptr, false, false},
        SearchRow{"RelativeCmd", "win7-x86", "cmd.exe", {}, nullptr, false, false},
        SearchRow{"SysWow64OnA32BitSystem", "win7-x86", "C:\\Windows\\SysWOW64\\cmd.exe", {}, nullptr, false, false},
        SearchRow{"PlantedRundll32Runs", "win10-x64", "C:\\Windows\\System32\\cmd.exe", {}, "rundll32.exe", true,
                  false},
        SearchRow{"PlantedBatchRuns", "win7-x86", "C:\\Windows\\System32\\cmd.exe", {}, "RUNDLL32.BAT", true, false},
        SearchRow{"SearchOffIgnoresThePlant", "win10-x64", "C:\\Windows\\Sysnative\\cmd.exe", kNoSearch,
                  "RUNDLL32.EXE", true, true},
        SearchRow{"SearchOffAnyValue", "win7-x86", "C:\\Windows\\System32\\cmd.exe",
                  {"PATH=C:\\Windows", "nodefaultcurrentdirectoryinexepath="}, "rundll32.cmd", true, true},
        SearchRow{"OtherFilesDoNotMatter", "win10-x64", "C:\\Windows\\Sysnative\\cmd.exe", {}, "rundll32.dll",
                  true, true}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::sim
