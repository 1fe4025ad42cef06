// The spooler registrations of systems before Vista: language monitor, print
// processor, printer driver and printer, run against fresh simulated systems
// with the built package in C:\Setup.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/Simulation.h"
#include "tests/support/InstallerTestSystem.h"

namespace kvt::installer {
namespace {

using test::FreshSystemWithPackage;
using test::InstallerTestSystem;
using Lines = std::vector<std::string>;

constexpr const char* kDriver = "NORVEX KVT-580duo";
constexpr const char* kMonitor = "NVX Language Monitor KVT580duo";
constexpr const char* kProcessor = "NVX PRINT PROCESSOR KVT580duo";

std::string Box(const std::string& text) { return "box:error:ok:" + text; }

template <typename Record>
const Record* Named(const std::vector<Record>& records, std::string_view name) {
    for (const Record& record : records)
        if (record.name == name) return &record;
    return nullptr;
}

template <typename Record>
std::size_t CountNamed(const std::vector<Record>& records, std::string_view name) {
    std::size_t count = 0;
    for (const Record& record : records) count += record.name == name ? 1 : 0;
    return count;
}

void StageAndRegister(InstallerTestSystem& system) {
    InstallEngine& engine = system.engine();
    engine.CopyFilesNeededToAddPrnDrv();
    EXPECT_TRUE(engine.AddLanguageMonitor());
    EXPECT_TRUE(engine.AddPrinterProcessor());
    EXPECT_TRUE(engine.AddPrinterDriverToSystem());
}

// ------------------------------------------------------------- whole registration

struct RegistrationSystemRow {
    const char* name;
    const char* os;
    const char* environment;
    const char* monitorDll;    // where the monitor DLL must be for the spooler
    const char* processorDll;  // the spooler's print-processor folder of the environment
    bool sysnativeUpdate = false;  // XP x64 with the update that adds Sysnative
};

class RegistrationOnSystem : public ::testing::TestWithParam<RegistrationSystemRow> {};

TEST_P(RegistrationOnSystem, RegistersEveryPartWithItsRecordAndAddsThePrinter) {
    const RegistrationSystemRow& row = GetParam();
    sim::World world = FreshSystemWithPackage(row.os);
    if (row.sysnativeUpdate) world.os.sysnative = true;
    InstallerTestSystem system(std::move(world));
    StageAndRegister(system);
    EXPECT_EQ(system.engine().AddPrinterToSystem(1001, kDriver), 1);

    EXPECT_EQ(system.messageBoxes(), Lines{});
    EXPECT_TRUE(system.hasFile(row.monitorDll));
    for (const char* elsewhere : {"C:\\Windows\\MON580D.dll", "C:\\Windows\\SysWOW64\\MON580D.dll"})
        EXPECT_FALSE(system.hasFile(elsewhere)) << elsewhere;
    EXPECT_TRUE(system.hasFile(row.processorDll));
    // Without an environment the spooler answers for the installer's own,
    // which is the 32-bit one also on 64-bit Windows.
    ASSERT_EQ(system.calls().processorDirectoryQueries.size(), 1u);
    EXPECT_EQ(system.calls().processorDirectoryQueries[0].value_or("Windows NT x86"), row.environment);

    const sim::SpoolerObjects& spooler = system.spooler();
    const sim::MonitorRecord* monitor = Named(spooler.monitors, kMonitor);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->environment, row.environment);
    EXPECT_EQ(monitor->dll, "MON580D.dll");

    const sim::PrintProcessorRecord* processor = Named(spooler.printProcessors, kProcessor);
    ASSERT_NE(processor, nullptr);
    EXPECT_EQ(processor->environment, row.environment);
    EXPECT_EQ(processor->dll, "PRO580D.dll");

    ASSERT_EQ(spooler.drivers.size(), 1u);
    const sim::DriverRecord& driver = spooler.drivers[0];
    EXPECT_EQ(driver.name, kDriver);
    EXPECT_EQ(driver.environment, row.environment);
    EXPECT_EQ(driver.version, 3u);
    EXPECT_EQ(driver.driverPath, "UNIDRV.DLL");
    EXPECT_EQ(driver.dataFile, "KVT580D.GPD");
    EXPECT_EQ(driver.configFile, "UNIDRVUI.DLL");
    EXPECT_EQ(driver.helpFile, "UNIDRV.HLP");
    EXPECT_EQ(driver.dependentFiles, (Lines{"UNIRES.DLL", "STDNAMES.GPD", "KVT580D.DLL", "UI580D.DLL",
                                             "UNI580D.DLL", "UI580D.INI"}));
    EXPECT_EQ(driver.monitor, kMonitor);
    EXPECT_EQ(driver.defaultDataType, "RAW");

    ASSERT_EQ(spooler.printers.size(), 1u);
    const sim::PrinterRecord& printer = spooler.printers[0];
    EXPECT_EQ(printer.name, kDriver);
    EXPECT_EQ(printer.port, "COM2:");
    EXPECT_EQ(printer.driver, kDriver);
    EXPECT_EQ(printer.printProcessor, kProcessor);
    EXPECT_EQ(printer.dataType, "RAW");
    EXPECT_EQ(printer.attributes, 0x1800u);
    EXPECT_EQ(printer.priority, 1u);
    EXPECT_EQ(printer.defaultPriority, 0u);
    EXPECT_EQ(printer.startTime, 0u);
    EXPECT_EQ(printer.untilTime, 0u);

    // What the spooler does not keep, the record it was handed shows.
    ASSERT_EQ(system.calls().addedPrinters.size(), 1u);
    const ports::PrinterInfo2& handed = system.calls().addedPrinters[0];
    EXPECT_EQ(handed.serverName, "");
    EXPECT_EQ(handed.status, 0x80u);
    EXPECT_EQ(handed.shareName, "");
    EXPECT_EQ(handed.comment, "");
    EXPECT_EQ(handed.jobs, 0u);
}

// On 64-bit XP the files must reach the 64-bit spooler's folders, not the
// 32-bit ones the installer would be given for its own environment.
INSTANTIATE_TEST_SUITE_P(
    Systems, RegistrationOnSystem,
    ::testing::Values(RegistrationSystemRow{"xp_x86", "xp-x86", "Windows NT x86", "C:\\Windows\\System32\\MON580D.dll",
                                "C:\\Windows\\System32\\spool\\prtprocs\\W32X86\\PRO580D.dll"},
                      // Without Sysnative the copy goes with the redirection off.
                      RegistrationSystemRow{"xp_x64", "xp-x64", "Windows x64", "C:\\Windows\\System32\\MON580D.dll",
                                "C:\\Windows\\System32\\spool\\prtprocs\\x64\\PRO580D.dll"},
                      RegistrationSystemRow{"xp_x64_sysnative", "xp-x64", "Windows x64",
                                "C:\\Windows\\System32\\MON580D.dll",
                                "C:\\Windows\\System32\\spool\\prtprocs\\x64\\PRO580D.dll", true}),
    [](const auto& row) { return std::string(row.param.name); });

// ------------------------------------------------------------- what each step shows and logs

struct StepRow {
    const char* name;
    std::function<void(InstallEngine&)> run;
    Lines log;
    Lines shown;
};

class StepReport : public ::testing::TestWithParam<StepRow> {};

TEST_P(StepReport, LogsAndShowsExactly) {
    const StepRow& row = GetParam();
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    system.engine().CopyFilesNeededToAddPrnDrv();
    system.mark();
    row.run(system.engine());
    EXPECT_EQ(system.log(), row.log);
    EXPECT_EQ(system.shown(), row.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepReport,
    ::testing::Values(
        StepRow{"AddLanguageMonitor",
                [](InstallEngine& e) { e.AddLanguageMonitor(); },
                {"", "", "AddLanguageMonitor BEGIN", "FILE SRC : .\\Driver32\\MON580D.dll", "AddLanguageMonitor END"},
                {"progress:20", "text:Installing L/M...\r\n", "sleep:500"}},
        StepRow{"AddPrinterProcessor",
                [](InstallEngine& e) { e.AddPrinterProcessor(); },
                {"", "", "AddPrinterProcessor BEGIN", "FILE SRC : .\\Driver32\\PRO580D.dll", "AddPrinterProcessor END"},
                {"progress:20", "text:Installing printer processor...\r\n", "sleep:500"}},
        StepRow{"AddPrinterDriverToSystem",
                [](InstallEngine& e) {
                    e.AddLanguageMonitor();
                    e.AddPrinterDriverToSystem();
                },
                {"", "", "AddLanguageMonitor BEGIN", "FILE SRC : .\\Driver32\\MON580D.dll", "AddLanguageMonitor END",
                 "", "", "AddPrinterDriverToSystem BEGIN", "AddPrinterDriverToSystem END"},
                {"progress:20", "text:Installing L/M...\r\n", "sleep:500", "progress:30",
                 "text:Installing printer driver...\r\n", "sleep:500"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AddPrinterToSystem, ShowsBothWaitTextsBeforeAddingThePrinter) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    StageAndRegister(system);
    system.mark();
    system.engine().AddPrinterToSystem(1000, kDriver);
    EXPECT_EQ(system.shown(),
              (Lines{"progress:50", "text:Adding printer...\r\n", "sleep:500", "progress:60",
                     "text:Please wait for adding printer.\r\nIt takes a couple of minutes."}));
    EXPECT_EQ(system.log(), (Lines{"", "", "AddPrinterToSystem BEGIN", "AddPrinterToSystem END"}));
}

// ------------------------------------------------------------- ports

struct PortRow {
    int code;
    const char* port;
};

class PrinterPort : public ::testing::TestWithParam<PortRow> {};

TEST_P(PrinterPort, PrinterIsAddedOnThePortOfTheCode) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    StageAndRegister(system);
    system.engine().AddPrinterToSystem(GetParam().code, "Receipt");
    const auto& printers = system.spooler().printers;
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, "Receipt");
    EXPECT_EQ(printers[0].port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Codes, PrinterPort,
                         ::testing::Values(PortRow{1000, "COM1:"}, PortRow{1001, "COM2:"}, PortRow{1002, "COM3:"},
                                           PortRow{1003, "COM4:"}, PortRow{1004, "LPT1:"}, PortRow{1005, "LPT2:"}),
                         [](const auto& row) { return std::string(row.param.port).substr(0, 4); });

TEST(AddPrinterToSystem, UsbAddsNoPrinter) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    StageAndRegister(system);
    system.mark();
    EXPECT_EQ(system.engine().AddPrinterToSystem(1006, kDriver), 1);
    EXPECT_TRUE(system.spooler().printers.empty());
    EXPECT_EQ(system.log(), (Lines{"", "", "AddPrinterToSystem BEGIN", "AddPrinterToSystem END"}));
    EXPECT_EQ(system.shown(), Lines{});
}

TEST(AddPrinterToSystem, ANameTakenByAnotherDriversPrinterReportsAndEndsTheProcess) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    StageAndRegister(system);
    ASSERT_EQ(system.engine().AddPrinterToSystem(1000, kDriver), 1);
    system.mark();

    std::optional<std::uint32_t> exitCode;
    try {
        system.engine().AddPrinterToSystem(1001, kDriver);
    } catch (const sim::ProcessExited& exited) {
        exitCode = exited.code;
    }
    EXPECT_EQ(exitCode, 0u);
    const Lines shown = system.shown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[shown.size() - 2], Box("AddPrinter, Error Code: 1802\n\nThe printer already exists.\r\n"));
    EXPECT_EQ(shown.back(), "exit:0");
    const Lines log = system.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "AddPrinterToSystem END");
    EXPECT_EQ(system.spooler().printers.size(), 1u);
}

// ------------------------------------------------------------- refusals

struct RefusalRow {
    const char* name;
    const char* method;  // the spooler call that refuses
    std::uint32_t code;
    std::function<bool(InstallEngine&)> run;
    const char* box;
    const char* end;
};

class Refusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(Refusal, IsReportedWithTheSystemsText) {
    const RefusalRow& row = GetParam();
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    InstallEngine& engine = system.engine();
    engine.CopyFilesNeededToAddPrnDrv();
    engine.AddLanguageMonitor();
    system.sim().faults().failCall(row.method, row.code, 1);
    system.mark();

    const bool result = row.run(engine);
    EXPECT_FALSE(result);
    EXPECT_EQ(system.messageBoxes(), Lines{Box(row.box)});
    const Lines log = system.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), row.end);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, Refusal,
    ::testing::Values(
        RefusalRow{"monitor_spooler_down", "Spooler.addMonitor", 1722,
                   [](InstallEngine& e) { return e.AddLanguageMonitor(); },
                   "AddMonitor, ERR CODE: 1722\n\nThe RPC server is unavailable.\r\n", "AddLanguageMonitor END"},
        RefusalRow{"processor_already_installed", "Spooler.addPrintProcessor", 3005,
                   [](InstallEngine& e) { return e.AddPrinterProcessor(); }, "AddPrintProcessor, ERR CODE: 3005\n\n"
                   "The specified print processor has already been installed.\r\n",
                   "AddPrinterProcessor END"},
        RefusalRow{"processor_access_denied", "Spooler.addPrintProcessor", 5,
                   [](InstallEngine& e) { return e.AddPrinterProcessor(); },
                   "AddPrintProcessor, ERR CODE: 5\n\nAccess is denied.\r\n", "AddPrinterProcessor END"},
        RefusalRow{"driver_unknown_monitor", "Spooler.addPrinterDriver", 3000,
                   [](InstallEngine& e) { return e.AddPrinterDriverToSystem(); },
                   "AddPrinterDriver, ERR CODE: 3000\n\nThe specified print monitor is unknown.\r\n",
                   "AddPrinterDriverToSystem END"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AddLanguageMonitor, SecondRegistrationOfTheSameMonitorShowsNothing) {
    InstallerTestSystem system(FreshSystemWithPackage("xp-x86"));
    ASSERT_TRUE(system.engine().AddLanguageMonitor());
    system.mark();
    EXPECT_TRUE(system.engine().AddLanguageMonitor());
    EXPECT_EQ(system.messageBoxes(), Lines{});
    EXPECT_EQ(CountNamed(system.spooler().monitors, kMonitor), 1u);
}

// ------------------------------------------------------------- the module-not-found retry

struct RetryRow {
    const char* name;
    const char* os;
    std::uint32_t failures;     // how many attempts the spooler refuses with 126
    bool systemHasFramework;    // framedyn.dll is in the system directory already
    std::uint32_t attempts;
    bool registered;
};

class DriverRetry : public ::testing::TestWithParam<RetryRow> {};

TEST_P(DriverRetry, LendsTheFrameworkDllOnceAndLeavesTheSystemDirectoryAsItWas) {
    const RetryRow& row = GetParam();
    sim::World world = FreshSystemWithPackage(row.os);
    world.files.putFile("C:\\Windows\\System32\\wbem\\framedyn.dll", "wbem copy");
    if (row.systemHasFramework) world.files.putFile("C:\\Windows\\System32\\framedyn.dll", "system's own");
    InstallerTestSystem system(std::move(world));
    InstallEngine& engine = system.engine();
    engine.CopyFilesNeededToAddPrnDrv();
    engine.AddLanguageMonitor();

    sim::Faults& faults = system.sim().faults();
    for (std::uint32_t n = 1; n <= row.failures; ++n) faults.failCall("Spooler.addPrinterDriver", 126, n);
    const std::uint32_t before = faults.callCount("Spooler.addPrinterDriver");
    const bool result = engine.AddPrinterDriverToSystem();
    EXPECT_EQ(faults.callCount("Spooler.addPrinterDriver") - before, row.attempts);
    EXPECT_EQ(result, row.registered);
    EXPECT_EQ(system.spooler().drivers.size(), row.registered ? 1u : 0u);
    const sim::FileRecord* lent = system.file("C:\\Windows\\System32\\framedyn.dll");
    if (row.systemHasFramework) {
        ASSERT_NE(lent, nullptr) << "the system's own framedyn.dll was deleted";
        EXPECT_EQ(lent->bytes, "system's own");
    } else {
        EXPECT_EQ(lent, nullptr) << "the lent copy stayed";
    }
    EXPECT_TRUE(system.hasFile("C:\\Windows\\System32\\wbem\\framedyn.dll"));
    EXPECT_EQ(system.messageBoxes(),
              row.registered ? Lines{}
                             : Lines{Box("AddPrinterDriver, ERR CODE: 126\n\nThe specified module could not be found.\r\n")});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriverRetry,
    ::testing::Values(RetryRow{"xp_retry_succeeds", "xp-x86", 1, false, 2, true},
                      RetryRow{"xp_retry_fails_too", "xp-x86", 2, false, 2, false},
                      RetryRow{"xp_keeps_the_systems_own_copy", "xp-x86", 1, true, 2, true},
                      RetryRow{"xp_keeps_the_systems_own_copy_on_failure", "xp-x86", 2, true, 2, false},
                      RetryRow{"vista_no_retry", "vista-x86", 1, false, 1, false}),
    [](const auto& row) { return std::string(row.param.name); });

// The spooler of an old system that really cannot load the driver's
// configuration file without framedyn.dll beside it.
TEST(DriverRetry, SecondAttemptFindsTheLentCopyInTheSystemDirectory) {
    sim::World world = FreshSystemWithPackage("xp-x86");
    world.files.putFile("C:\\Windows\\System32\\wbem\\framedyn.dll", "wbem copy");
    InstallerTestSystem system(std::move(world));
    InstallEngine& engine = system.engine();
    engine.CopyFilesNeededToAddPrnDrv();
    engine.AddLanguageMonitor();
    system.sim().faults().failCall("Spooler.addPrinterDriver", 126, 1);
    system.mark();
    ASSERT_TRUE(engine.AddPrinterDriverToSystem());

    // copy before the second attempt, deletion after it
    std::vector<std::string> order;
    for (const std::string& call : system.sim().faults().calls())
        if (call == "Spooler.addPrinterDriver" || call == "FileSystem.copyFile" || call == "FileSystem.deleteFile")
            order.push_back(call);
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(Lines(order.end() - 4, order.end()),
              (Lines{"Spooler.addPrinterDriver", "FileSystem.copyFile", "Spooler.addPrinterDriver",
                     "FileSystem.deleteFile"}));
}

}  // namespace
}  // namespace kvt::installer
