// The simulated printui, started as the installer starts it on Windows Vista
// and later: a 32-bit program running the system's own cmd.exe by its full
// path.
#include "platform/pe/PeImage.h"
#include "platform/sim/SystemModules.h"
#include "platform/sim/PrintUiCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ports/DeviceSetup.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "tests/support/NativeCmd.h"
#include "tests/support/ProductInfText.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::sim {
namespace {

constexpr const char* kInstallOnCom2 =
    "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"NORVEX KVT-580duo\" /f .\\kvt580d.inf /r \"COM2:\" "
    "/m \"NORVEX KVT-580duo\"";
constexpr const char* kDriverOnly = "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"NORVEX KVT-580duo\" /f .\\kvt580d.inf";

World PackageWorld(const char* os) {
    World world = *FreshImage(os);
    test::PlaceProductPackage(world);
    return world;
}

std::uint32_t RunPrintUi(Simulation& sim, const std::string& commandLine) {
    auto outcome = RunPrintUiCommand(sim, {test::NativeCmdOf32BitProgram(sim.world()), commandLine, true, {}});
    EXPECT_TRUE(outcome);
    return outcome ? outcome->exitCode : 0xFFFFFFFF;
}

// Whether some INF in the store has the driver's line in the maker's models section.
bool InfStoreHasDriver(Simulation& sim, const char* section) {
    std::vector<std::string> names;
    EXPECT_EQ(sim.deviceSetup().getInfFileList("", ports::devsetup::InfStyleWin4, names), err::Success);
    for (const std::string& name : names) {
        ports::InfHandle inf;
        if (!name.starts_with("oem") || sim.deviceSetup().openInfFile(name, ports::devsetup::InfStyleWin4, inf)) continue;
        const bool found = sim.deviceSetup().findFirstLine(inf, section, "NORVEX KVT-580duo") == err::Success;
        sim.deviceSetup().closeInfFile(inf);
        if (found) return true;
    }
    return false;
}

struct SystemRow {
    const char* os;
    const char* environment;
    const char* driverFolder;     // below spool\drivers
    const char* processorFolder;  // below spool\prtprocs
    const char* modelsSection;
    const char* packageFolder;
};

class PrintUiInstallTest : public ::testing::TestWithParam<SystemRow> {};

TEST_P(PrintUiInstallTest, InstallsDriverAndPrinterOfTheSystemsOwnEnvironment) {
    const SystemRow& row = GetParam();
    kvtsim::ProductSimulation sim(PackageWorld(row.os), Bitness::x86);
    sim.lastError() = 1234;
    ports::ProcessHandle process;
    ASSERT_EQ(sim.processes().startProcess({test::NativeCmdOf32BitProgram(sim.world()), kInstallOnCom2, true, {}}, process), err::Success);
    EXPECT_EQ(sim.processes().waitForProcess(process, 120000), ports::wait::Object0);
    EXPECT_EQ(sim.clock().elapsedMs(), kPrintUiDefaultRunMs);
    EXPECT_EQ(sim.lastError(), 1234u) << "another process's calls leave the program's last error";

    const SpoolerObjects& spooler = *sim.spooler().memory();
    ASSERT_EQ(spooler.printers.size(), 1u);
    const PrinterRecord& printer = spooler.printers[0];
    EXPECT_EQ(printer.name, "NORVEX KVT-580duo");
    EXPECT_EQ(printer.port, "COM2:");
    // The plug-in has set the printer up, in the spooler's process.
    EXPECT_EQ(printer.printProcessor, "NVX PRINT PROCESSOR KVT580duo");
    EXPECT_EQ(printer.attributes, 0x1800u);
    EXPECT_EQ(printer.data.size(), 4u);

    auto has = [&](const auto& list, auto predicate) { return std::any_of(list.begin(), list.end(), predicate); };
    EXPECT_TRUE(has(spooler.drivers, [&](const DriverRecord& d) {
        return d.name == "NORVEX KVT-580duo" && d.environment == row.environment && d.version == 3 &&
               d.monitor == "NVX Language Monitor KVT580duo";
    }));
    EXPECT_TRUE(has(spooler.monitors, [](const MonitorRecord& m) { return m.dll == "MON580D.dll"; }));
    EXPECT_TRUE(has(spooler.printProcessors, [&](const PrintProcessorRecord& p) {
        return p.name == "NVX PRINT PROCESSOR KVT580duo" && p.environment == row.environment;
    }));

    const FileStore& files = sim.world().files;
    const std::string spool = "C:\\Windows\\System32\\spool\\";
    const FileRecord* plugin = files.findFile(spool + "drivers\\" + row.driverFolder + "\\3\\UI580D.dll");
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->bytes, test::BuiltPackageFile(std::string(row.packageFolder) + "/UI580D.dll"));
    EXPECT_NE(files.findFile("C:\\Windows\\System32\\MON580D.dll"), nullptr);
    EXPECT_NE(files.findFile(spool + "prtprocs\\" + row.processorFolder + "\\PRO580D.dll"), nullptr);
    for (const char* dll : {"MON580D.dll", "PRO580D.dll"})
        EXPECT_EQ(files.findFile(spool + "drivers\\" + row.driverFolder + "\\3\\" + dll), nullptr) << dll;
    // The universal driver comes from the system's store, not the package.
    const FileRecord* unidrv = files.findFile(spool + "drivers\\" + row.driverFolder + "\\3\\UNIDRV.DLL");
    ASSERT_NE(unidrv, nullptr);
    EXPECT_EQ(unidrv->bytes, SystemDll("UNIDRV.DLL", row.driverFolder == std::string("x64") ? pe::kMachineAmd64
                                                                                           : pe::kMachineI386));
    EXPECT_TRUE(InfStoreHasDriver(sim, row.modelsSection));
}

INSTANTIATE_TEST_SUITE_P(Systems, PrintUiInstallTest,
                         ::testing::Values(SystemRow{"win10-x64", "Windows x64", "x64", "x64", "NORVEX.NTamd64",
                                                     "Driver64"},
                                           SystemRow{"win7-x86", "Windows NT x86", "W32X86", "W32X86", "NORVEX",
                                                     "Driver32"}),
                         [](const auto& param) {
                             std::string name = param.param.os;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(PrintUiCommandTest, DriverOnlyAddsNoPrinter) {
    Simulation sim(PackageWorld("win10-x64"), Bitness::x86);
    EXPECT_EQ(RunPrintUi(sim, kDriverOnly), err::Success);
    EXPECT_TRUE(sim.spooler().memory()->printers.empty());
    EXPECT_EQ(sim.spooler().memory()->drivers.size(), 1u);
    EXPECT_TRUE(InfStoreHasDriver(sim, "NORVEX.NTamd64"));
}

TEST(PrintUiCommandTest, TakenPrinterNameFailsAndAddsNothing) {
    Simulation sim(PackageWorld("win10-x64"), Bitness::x86);
    ASSERT_EQ(RunPrintUi(sim, kInstallOnCom2), err::Success);
    const std::size_t filesBefore = sim.world().files.files().size();
    EXPECT_EQ(RunPrintUi(sim, kInstallOnCom2), err::PrinterAlreadyExists);
    EXPECT_EQ(RunPrintUi(sim, std::string(kInstallOnCom2) + " /u"), err::PrinterAlreadyExists);
    EXPECT_EQ(sim.spooler().memory()->printers.size(), 1u);
    EXPECT_EQ(sim.world().files.files().size(), filesBefore);
}

TEST(PrintUiCommandTest, InstalledDriverServesAnotherPrinterWithU) {
    Simulation sim(PackageWorld("win10-x64"), Bitness::x86);
    ASSERT_EQ(RunPrintUi(sim, kDriverOnly), err::Success);
    sim.world().files.eraseFile("C:\\Setup\\Driver64\\UI580D.dll");  // the package is not needed any more
    const std::string second =
        "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"Second\" /f .\\kvt580d.inf /r \"LPT1:\" "
        "/m \"NORVEX KVT-580duo\"";
    EXPECT_EQ(RunPrintUi(sim, second), err::FileNotFound) << "without /u the driver is installed from the INF again";
    EXPECT_EQ(RunPrintUi(sim, second + " /u"), err::Success);
    ASSERT_EQ(sim.spooler().memory()->printers.size(), 1u);
    EXPECT_EQ(sim.spooler().memory()->printers[0].port, "LPT1:");
}

TEST(PrintUiCommandTest, StoppedSpoolerFailsTheRun) {
    World world = PackageWorld("win7-x86");
    world.spooler.running = false;
    Simulation sim(std::move(world), Bitness::x86);
    EXPECT_EQ(RunPrintUi(sim, kInstallOnCom2), err::RpcServerUnavailable);
}

TEST(PrintUiCommandTest, LeavesTheProgramsFaultPlanAlone) {
    Simulation sim(PackageWorld("win10-x64"), Bitness::x86);
    sim.faults().failCall("Spooler.addPrinter", err::AccessDenied, 1);
    ASSERT_EQ(RunPrintUi(sim, kInstallOnCom2), err::Success);
    EXPECT_EQ(sim.faults().callCount("Spooler.addPrinter"), 0u);
    ports::PrinterHandle handle;
    EXPECT_EQ(sim.spooler().addPrinter({}, handle), err::AccessDenied) << "the planned fault is still the program's";
}

void ReplaceInPackageInf(World& world, std::string_view from, std::string_view to) {
    FileRecord* inf = world.files.findFile("C:\\Setup\\kvt580d.inf");
    const std::size_t at = inf->bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    inf->bytes.replace(at, from.size(), to);
}

struct FailedRunRow {
    const char* name;
    void (*spoil)(World&);
    std::uint32_t exitCode;
};

class PrintUiFailedRunTest : public ::testing::TestWithParam<FailedRunRow> {};

TEST_P(PrintUiFailedRunTest, InstallsNothing) {
    World world = PackageWorld("win10-x64");
    GetParam().spoil(world);
    Simulation sim(std::move(world), Bitness::x86);
    const std::size_t filesBefore = sim.world().files.files().size();
    EXPECT_EQ(RunPrintUi(sim, kInstallOnCom2), GetParam().exitCode);
    const SpoolerObjects& spooler = *sim.spooler().memory();
    EXPECT_TRUE(spooler.drivers.empty());
    EXPECT_TRUE(spooler.printers.empty());
    EXPECT_EQ(spooler.monitors.size(), 1u) << "the system's own monitor only";
    EXPECT_FALSE(InfStoreHasDriver(sim, "NORVEX.NTamd64"));
    EXPECT_EQ(sim.world().files.files().size(), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Spoiled, PrintUiFailedRunTest,
    ::testing::Values(
        FailedRunRow{"MonitorInTheDriverDirectory",
                     [](World& w) { ReplaceInPackageInf(w, "KVT580D_MONITOR=66002", "KVT580D_MONITOR=66000"); },
                     err::UnknownPrinterDriver},
        FailedRunRow{"ProcessorAsTwoFields",
                     [](World& w) { ReplaceInPackageInf(w, "PrintProcessor=%PROCESSOR%", "PrintProcessor=P,PRO580D.dll"); },
                     err::UnknownPrinterDriver},
        FailedRunRow{"NoSystemPrinterInf", [](World& w) { w.files.eraseFile("C:\\Windows\\inf\\ntprint.inf"); },
                     err::UnknownPrinterDriver},
        FailedRunRow{"PackageLacksAFile", [](World& w) { w.files.eraseFile("C:\\Setup\\Driver64\\UNI580D.dll"); },
                     err::FileNotFound},
        FailedRunRow{"StoreLacksAUniversalDriverFile",
                     [](World& w) {
                         w.files.eraseFile("C:\\Windows\\System32\\DriverStore\\FileRepository\\"
                                           "ntprint.inf_amd64_5d0e27a1c3b94f68\\Amd64\\UNIRES.DLL");
                     },
                     err::FileNotFound}),
    [](const auto& p) { return std::string(p.param.name); });

struct WaitRow {
    const char* name;
    nlohmann::json extra;
    std::uint32_t waitResult;
    std::uint64_t elapsedMs;
    bool installed;
};

class PrintUiWaitTest : public ::testing::TestWithParam<WaitRow> {};

TEST_P(PrintUiWaitTest, RunTakesVirtualTime) {
    const WaitRow& row = GetParam();
    World world = PackageWorld("win10-x64");
    for (const auto& [field, value] : row.extra.items()) world.extra[field] = value;
    Simulation sim(std::move(world), Bitness::x86);
    ports::ProcessHandle process;
    ASSERT_EQ(sim.processes().startProcess({test::NativeCmdOf32BitProgram(sim.world()), kInstallOnCom2, true, {}}, process), err::Success);
    EXPECT_EQ(sim.processes().waitForProcess(process, 120000), row.waitResult);
    EXPECT_EQ(sim.clock().elapsedMs(), row.elapsedMs);
    EXPECT_EQ(sim.spooler().memory()->printers.size(), row.installed ? 1u : 0u);
    EXPECT_EQ(InfStoreHasDriver(sim, "NORVEX.NTamd64"), row.installed);
}

INSTANTIATE_TEST_SUITE_P(
    Options, PrintUiWaitTest,
    ::testing::Values(WaitRow{"Default", nlohmann::json::object(), ports::wait::Object0, 3000, true},
                      WaitRow{"SlowButDone", {{"printuiRunMs", 200000}}, ports::wait::Timeout, 120000, true},
                      WaitRow{"Hangs", {{"printuiHangs", true}}, ports::wait::Timeout, 120000, false}),
    [](const auto& p) { return std::string(p.param.name); });

struct ParseRow {
    const char* name;
    const char* commandLine;
    bool printui;
    std::uint32_t error;
};

class PrintUiParseTest : public ::testing::TestWithParam<ParseRow> {};

TEST_P(PrintUiParseTest, ReadsTheCommandLineAsPrintUiDoes) {
    const ParseRow& row = GetParam();
    std::uint32_t error = 0;
    auto request = ParsePrintUiCommandLine(row.commandLine, error);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(request.has_value(), row.printui && row.error == 0);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, PrintUiParseTest,
    ::testing::Values(
        ParseRow{"Installer", kInstallOnCom2, true, 0}, ParseRow{"DriverOnly", kDriverOnly, true, 0},
        ParseRow{"OtherCommand", "cmd /c dir C:\\", false, 0},
        ParseRow{"OtherEntry", "cmd /c RUNDLL32 shell32.dll,Control_RunDLL", false, 0},
        ParseRow{"NoAction", "cmd /c rundll32.exe printui.dll,PrintUIEntry /m \"A\" /f a.inf", true, 87},
        ParseRow{"PrinterWithoutPort", "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"A\" /f a.inf /m \"A\"",
                 true, 87},
        ParseRow{"UnknownSwitch", "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"A\" /f a.inf /x", true, 87},
        ParseRow{"ValueMissing", "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"A\" /f", true, 87}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PrintUiParseTest, QuotedValuesKeepTheirBlanks) {
    std::uint32_t error = 0;
    auto request = ParsePrintUiCommandLine(std::string(kInstallOnCom2) + " /u", error);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->printerName, "NORVEX KVT-580duo");
    EXPECT_EQ(request->model, "NORVEX KVT-580duo");
    EXPECT_EQ(request->port, "COM2:");
    EXPECT_EQ(request->infPath, ".\\kvt580d.inf");
    EXPECT_TRUE(request->useInstalledDriver);
}

}  // namespace
}  // namespace kvt::sim
