// Printers, printer data, jobs, handles and the service state of the
// simulated spooler, on 64-bit Windows with a 32-bit caller (the setup
// programs' situation).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

using ports::PrinterHandle;
using ports::PrinterInfo2;

constexpr std::uint32_t kDword = reg::TypeDword;

World PreparedWorld(const char* os = "win10-x64") {
    World world = *FreshImage(os);
    test::StageProductFiles(world, world.os.is64Bit ? "Windows x64" : "Windows NT x86");
    return world;
}

void RunNet(Simulation& sim, const char* verb) {
    ports::ProcessHandle process;
    ASSERT_EQ(sim.processes().startProcess(
                  {"C:\\Windows\\System32\\net.exe", std::string("net ") + verb + " spooler", true, {}}, process),
              err::Success);
    sim.processes().waitForProcess(process, 0xFFFFFFFF);  // net ends when the service has stopped
    sim.processes().closeProcess(process);
}

class SimSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The spooler on its own, without the plug-in the simulation wires in.
        spooler.setPrinterInitialization(nullptr);
        ASSERT_TRUE(test::RegisterProduct(spooler, "Windows x64"));
    }

    PrinterHandle add(const std::string& name, const char* port = "COM1:") {
        PrinterHandle handle;
        EXPECT_EQ(spooler.addPrinter(test::ProductPrinter(name, port), handle), err::Success) << name;
        return handle;
    }

    std::vector<std::string> printerNames() {
        std::vector<PrinterInfo2> printers;
        EXPECT_EQ(spooler.enumPrinters(ports::spool::EnumLocal, printers), err::Success);
        std::vector<std::string> names;
        for (const auto& p : printers) names.push_back(p.printerName);
        return names;
    }

    Simulation sim{PreparedWorld(), Bitness::x86};
    SimSpooler& spooler = sim.spooler();
};

// ---------------------------------------------------------------- adding printers

struct AddPrinterCase {
    const char* name;
    std::function<void(PrinterInfo2&)> change;
    std::uint32_t expected;
};

class SimSpoolerAddPrinterTest : public SimSpoolerTest, public ::testing::WithParamInterface<AddPrinterCase> {};

TEST_P(SimSpoolerAddPrinterTest, ChecksEverySettingAgainstTheSpoolersObjects) {
    add("Receipt A");
    // A driver and a processor of the caller's own environment only: local
    // printers use the system's.
    test::StageProductFiles(sim.world(), "Windows NT x86");
    ports::DriverInfo3 x86Driver = test::ProductDriver("Windows NT x86");
    x86Driver.name = "Only x86";
    ASSERT_EQ(spooler.addPrinterDriver(x86Driver), err::Success);
    ASSERT_EQ(spooler.addPrintProcessor("Windows NT x86", test::kProcessorDll, "Only x86 Processor"), err::Success);

    PrinterInfo2 info = test::ProductPrinter("Receipt B");
    GetParam().change(info);
    PrinterHandle handle;
    const std::uint32_t code = spooler.addPrinter(info, handle);
    EXPECT_EQ(code, GetParam().expected);
    if (code == err::Success) {
        EXPECT_NE(sim.world().registry.find(PrinterKeyPath(info.printerName)), nullptr);
        EXPECT_EQ(spooler.closePrinter(handle), err::Success);
    } else {
        EXPECT_EQ(sim.lastError(), code);
        EXPECT_EQ(printerNames(), std::vector<std::string>{"Receipt A"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SimSpoolerAddPrinterTest,
    ::testing::Values(
        AddPrinterCase{"as_the_installer_fills_it", [](PrinterInfo2&) {}, err::Success},
        AddPrinterCase{"lower_case_data_type_and_two_ports",
                       [](PrinterInfo2& p) {
                           p.dataType = "raw";
                           p.portName = "COM1:,LPT2:";
                       },
                       err::Success},
        AddPrinterCase{"empty_name", [](PrinterInfo2& p) { p.printerName.clear(); }, err::InvalidPrinterName},
        AddPrinterCase{"name_with_backslash", [](PrinterInfo2& p) { p.printerName = "a\\b"; }, err::InvalidPrinterName},
        AddPrinterCase{"name_taken_in_other_case", [](PrinterInfo2& p) { p.printerName = "RECEIPT a"; },
                       err::PrinterAlreadyExists},
        AddPrinterCase{"unknown_driver", [](PrinterInfo2& p) { p.driverName = "NORVEX KVT-580"; },
                       err::UnknownPrinterDriver},
        AddPrinterCase{"driver_of_the_callers_environment_only", [](PrinterInfo2& p) { p.driverName = "Only x86"; },
                       err::UnknownPrinterDriver},
        AddPrinterCase{"unknown_port", [](PrinterInfo2& p) { p.portName = "COM9:"; }, err::UnknownPort},
        AddPrinterCase{"one_unknown_port_of_two", [](PrinterInfo2& p) { p.portName = "COM1:,USB001"; },
                       err::UnknownPort},
        AddPrinterCase{"unknown_print_processor", [](PrinterInfo2& p) { p.printProcessor = "NVX"; },
                       err::UnknownPrintProcessor},
        AddPrinterCase{"processor_of_the_callers_environment_only",
                       [](PrinterInfo2& p) { p.printProcessor = "Only x86 Processor"; }, err::UnknownPrintProcessor},
        AddPrinterCase{"unknown_data_type", [](PrinterInfo2& p) { p.dataType = "EMF"; }, err::InvalidDatatype}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimSpoolerTest, AnAddedPrinterIsInMemoryAndInItsKey) {
    PrinterHandle handle = add("Receipt");
    PrinterInfo2 info;
    ASSERT_EQ(spooler.getPrinter(handle, info), err::Success);
    EXPECT_EQ(info.printerName, "Receipt");
    EXPECT_EQ(info.portName, "COM1:");
    EXPECT_EQ(info.driverName, test::kDriverName);
    EXPECT_EQ(info.printProcessor, test::kProcessorName);
    EXPECT_EQ(info.attributes, 0x1800u);
    EXPECT_EQ(info.status, 0u) << "the status is the spooler's own";

    const SpoolerObjects stored = ReadSpoolerObjects(sim.world().registry, "Windows x64");
    ASSERT_EQ(stored.printers.size(), 1u);
    EXPECT_EQ(stored.printers[0].driver, test::kDriverName);
    EXPECT_EQ(stored.printers[0].attributes, 0x1800u);
    ASSERT_TRUE(stored.printers[0].devmode) << "a new printer has the driver's default device mode";
    EXPECT_EQ(stored.printers[0].devmode->paperSize, 9);
    EXPECT_NE(sim.world().registry.find(PrinterDataKeyPath("Receipt")), nullptr);
    EXPECT_EQ(spooler.defaultDevMode("RECEIPT")->copies, 1);
}

TEST_F(SimSpoolerTest, AListThatGrewBetweenTwoEnumerationsShowsTheNewPrinter) {
    add("Receipt A");
    EXPECT_EQ(printerNames(), std::vector<std::string>{"Receipt A"});
    add("Receipt B", "COM2:");
    EXPECT_EQ(printerNames(), (std::vector<std::string>{"Receipt A", "Receipt B"}));
    std::vector<PrinterInfo2> none;
    EXPECT_EQ(spooler.enumPrinters(0x4 /* connections only */, none), err::Success);
    EXPECT_TRUE(none.empty());
}

// ---------------------------------------------------------------- handles

TEST_F(SimSpoolerTest, HandlesOpenCloseAndOutliveTheirPrinter) {
    spooler.closePrinter(add("Receipt"));
    PrinterHandle handle, server;
    ports::PrinterDefaults rawAll{std::string("raw"), ports::spool::PrinterAllAccess};
    EXPECT_EQ(spooler.openPrinter(std::string("receipt"), &rawAll, handle), err::Success);
    EXPECT_EQ(spooler.openPrinter(std::string("Missing"), &rawAll, handle), err::InvalidPrinterName);
    EXPECT_EQ(sim.lastError(), err::InvalidPrinterName);
    ports::PrinterDefaults badType{std::string("XPS"), 0};
    PrinterHandle unused;
    EXPECT_EQ(spooler.openPrinter(std::string("Receipt"), &badType, unused), err::InvalidDatatype);
    ASSERT_EQ(spooler.openPrinter(std::nullopt, nullptr, server), err::Success);

    PrinterInfo2 info;
    EXPECT_EQ(spooler.getPrinter(server, info), err::InvalidHandle) << "a server is not a printer";
    ASSERT_EQ(spooler.deletePrinter(handle), err::Success);
    EXPECT_EQ(sim.world().registry.find(PrinterKeyPath("Receipt")), nullptr);
    EXPECT_TRUE(printerNames().empty());
    EXPECT_EQ(spooler.getPrinter(handle, info), err::InvalidHandle);
    EXPECT_EQ(spooler.deletePrinter(handle), err::InvalidHandle);
    EXPECT_EQ(spooler.closePrinter(handle), err::Success) << "the handle itself stays open";
    EXPECT_EQ(spooler.closePrinter(handle), err::InvalidHandle);
    EXPECT_EQ(spooler.closePrinter(PrinterHandle{12345}), err::InvalidHandle);
    EXPECT_EQ(spooler.closePrinter(server), err::Success);
}

// ---------------------------------------------------------------- settings

TEST_F(SimSpoolerTest, SetPrinterChecksAndWritesTheSettings) {
    PrinterHandle handle = add("Receipt");
    add("Other", "COM2:");
    PrinterInfo2 info;
    ASSERT_EQ(spooler.getPrinter(handle, info), err::Success);

    PrinterInfo2 wrong = info;
    wrong.printProcessor = "Missing";
    EXPECT_EQ(spooler.setPrinter(handle, wrong), err::UnknownPrintProcessor);
    wrong = info;
    wrong.printerName = "OTHER";
    EXPECT_EQ(spooler.setPrinter(handle, wrong), err::PrinterAlreadyExists);

    info.attributes = 0xA00;
    info.printProcessor = "WinPrint";
    ASSERT_EQ(spooler.setPrinter(handle, info), err::Success);
    const SpoolerObjects stored = ReadSpoolerObjects(sim.world().registry, "Windows x64");
    EXPECT_EQ(stored.printers[1].name, "Receipt");
    EXPECT_EQ(stored.printers[1].attributes, 0xA00u);
    EXPECT_EQ(stored.printers[1].printProcessor, "WinPrint");
}

TEST_F(SimSpoolerTest, RenamingMovesKeyDataJobsAndHandles) {
    PrinterHandle handle = add("Receipt");
    ASSERT_EQ(spooler.setPrinterData(handle, "MajorVersion", {kDword, {3, 0, 0, 0}}), err::Success);
    sim.world().spooler.jobs["Receipt"] = {7};
    PrinterInfo2 info;
    ASSERT_EQ(spooler.getPrinter(handle, info), err::Success);
    info.printerName = "Receipt (#2)";
    ASSERT_EQ(spooler.setPrinter(handle, info), err::Success);

    EXPECT_EQ(sim.world().registry.find(PrinterKeyPath("Receipt")), nullptr);
    EXPECT_NE(sim.world().registry.find(PrinterDataKeyPath("Receipt (#2)")), nullptr);
    EXPECT_EQ(printerNames(), std::vector<std::string>{"Receipt (#2)"});
    std::vector<std::uint32_t> jobs;
    ASSERT_EQ(spooler.enumJobs(handle, 0, 10, jobs), err::Success) << "the open handle follows the printer";
    EXPECT_EQ(jobs, std::vector<std::uint32_t>{7});
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    EXPECT_EQ(spooler.getPrinterData(handle, "MajorVersion", 4, value, needed), err::Success);
}

// ---------------------------------------------------------------- printer data

TEST_F(SimSpoolerTest, PrinterDataFitsTheCallersBufferOrSaysHowMuchItNeeds) {
    PrinterHandle handle = add("Receipt");
    ASSERT_EQ(spooler.setPrinterData(handle, "ExtraVersion", {kDword, {0, 0, 0, 0}}), err::Success);
    ASSERT_EQ(spooler.setPrinterData(handle, "Note", {reg::TypeSz, {'a', 'b', 'c', 0}}), err::Success);
    ASSERT_EQ(spooler.setPrinterData(handle, "extraversion", {kDword, {9, 0, 0, 0}}), err::Success);

    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    EXPECT_EQ(spooler.getPrinterData(handle, "EXTRAVERSION", 4, value, needed), err::Success);
    EXPECT_EQ(value.type, kDword);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{9, 0, 0, 0}));
    EXPECT_EQ(spooler.getPrinterData(handle, "Note", 3, value, needed), err::MoreData);
    EXPECT_EQ(sim.lastError(), err::MoreData);
    EXPECT_EQ(needed, 4u);
    EXPECT_EQ(value.type, reg::TypeSz);
    EXPECT_EQ(spooler.getPrinterData(handle, "Note", needed, value, needed), err::Success);
    EXPECT_EQ(spooler.getPrinterData(handle, "Missing", 4, value, needed), err::FileNotFound);

    const RegistryKeyRecord* data = sim.world().registry.find(PrinterDataKeyPath("Receipt"));
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->values.size(), 2u) << "one value per name, whatever its case";
    EXPECT_EQ(data->values[0].second.data, (std::vector<std::uint8_t>{9, 0, 0, 0}));
}

// ---------------------------------------------------------------- jobs

struct JobWindowCase {
    const char* name;
    std::uint32_t first, count;
    std::vector<std::uint32_t> expected;
};

class SimSpoolerJobWindowTest : public SimSpoolerTest, public ::testing::WithParamInterface<JobWindowCase> {};

TEST_P(SimSpoolerJobWindowTest, EnumJobsReturnsTheAskedWindow) {
    PrinterHandle handle = add("Receipt");
    sim.world().spooler.jobs["Receipt"] = {3, 4, 9};
    std::vector<std::uint32_t> jobs{99};
    ASSERT_EQ(spooler.enumJobs(handle, GetParam().first, GetParam().count, jobs), err::Success);
    EXPECT_EQ(jobs, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, SimSpoolerJobWindowTest,
                         ::testing::Values(JobWindowCase{"all_of_them", 0, 1000, {3, 4, 9}},
                                           JobWindowCase{"from_the_second", 1, 1000, {4, 9}},
                                           JobWindowCase{"one_in_the_middle", 1, 1, {4}},
                                           JobWindowCase{"past_the_end", 3, 10, {}},
                                           JobWindowCase{"none_asked", 0, 0, {}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimSpoolerTest, SetJobCancelsAndDeletesButPausingKeepsTheJob) {
    PrinterHandle handle = add("Receipt");
    sim.world().spooler.jobs["Receipt"] = {3, 4, 9};
    EXPECT_EQ(spooler.setJob(handle, 4, 1 /* pause */), err::Success);
    EXPECT_EQ(spooler.setJob(handle, 4, ports::spool::JobControlCancel), err::Success);
    EXPECT_EQ(spooler.setJob(handle, 9, ports::spool::JobControlDelete), err::Success);
    EXPECT_EQ(spooler.setJob(handle, 9, ports::spool::JobControlDelete), err::InvalidParameter);
    EXPECT_EQ(spooler.setJob(handle, 3, 0), err::InvalidParameter);
    EXPECT_EQ(spooler.setJob(handle, 3, 99), err::InvalidParameter);
    EXPECT_EQ(sim.world().spooler.jobs["Receipt"], std::vector<std::uint32_t>{3});
    EXPECT_EQ(spooler.jobCommands(), (std::vector<SimSpooler::JobCommand>{
                                         {"Receipt", 4, 1}, {"Receipt", 4, 3}, {"Receipt", 9, 5}}))
        << "only accepted commands, each as given";
    std::vector<PrinterInfo2> printers;
    ASSERT_EQ(spooler.enumPrinters(ports::spool::EnumLocal, printers), err::Success);
    EXPECT_EQ(printers[0].jobs, 1u);
    EXPECT_EQ(spooler.setJob(handle, 3, ports::spool::JobControlDelete), err::Success);
    ASSERT_EQ(spooler.deletePrinter(handle), err::Success);
    EXPECT_FALSE(sim.world().spooler.jobs.contains("Receipt")) << "the spool files go with the printer";
}

// ---------------------------------------------------------------- service state and faults

TEST_F(SimSpoolerTest, EveryCallFailsWhileTheServiceIsStopped) {
    PrinterHandle handle = add("Receipt");
    RunNet(sim, "stop");
    PrinterHandle out;
    PrinterInfo2 info;
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    std::vector<std::uint32_t> jobs;
    std::vector<ports::DriverInfo3> drivers;
    std::vector<std::string> names;
    std::vector<ports::FormInfo1> forms;
    std::vector<PrinterInfo2> printers;
    ports::FormInfo1 form;
    std::string directory;
    const std::function<std::uint32_t()> calls[] = {
        [&] { return spooler.enumPrinters(ports::spool::EnumLocal, printers); },
        [&] { return spooler.openPrinter(std::string("Receipt"), nullptr, out); },
        [&] { return spooler.closePrinter(handle); },
        [&] { return spooler.addPrinter(test::ProductPrinter("New"), out); },
        [&] { return spooler.deletePrinter(handle); },
        [&] { return spooler.getPrinter(handle, info); },
        [&] { return spooler.setPrinter(handle, info); },
        [&] { return spooler.getPrinterData(handle, "MajorVersion", 4, value, needed); },
        [&] { return spooler.setPrinterData(handle, "MajorVersion", value); },
        [&] { return spooler.enumJobs(handle, 0, 1000, jobs); },
        [&] { return spooler.setJob(handle, 1, ports::spool::JobControlDelete); },
        [&] { return spooler.enumPrinterDrivers(std::nullopt, drivers); },
        [&] { return spooler.addPrinterDriver(test::ProductDriver("Windows x64")); },
        [&] { return spooler.deletePrinterDriverEx(std::nullopt, test::kDriverName, 1, 3); },
        [&] { return spooler.getPrinterDriverDirectory(std::nullopt, directory); },
        [&] { return spooler.addMonitor(test::ProductMonitor("Windows x64")); },
        [&] { return spooler.deleteMonitor(std::nullopt, test::kMonitorName); },
        [&] { return spooler.addPrintProcessor(std::nullopt, test::kProcessorDll, "P"); },
        [&] { return spooler.enumPrintProcessors(std::nullopt, names); },
        [&] { return spooler.deletePrintProcessor(std::nullopt, test::kProcessorName); },
        [&] { return spooler.getPrintProcessorDirectory(std::nullopt, directory); },
        [&] { return spooler.enumForms(handle, forms); },
        [&] { return spooler.addForm(handle, form); },
        [&] { return spooler.getForm(handle, "A4", form); },
        [&] { return spooler.setForm(handle, "A4", form); },
        [&] { return spooler.deleteForm(handle, "A4"); },
    };
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        sim.lastError() = 0;
        EXPECT_EQ(calls[i](), err::RpcServerUnavailable) << "call " << i;
        EXPECT_EQ(sim.lastError(), err::RpcServerUnavailable) << "call " << i;
    }
    EXPECT_EQ(spooler.memory(), nullptr);

    RunNet(sim, "start");
    EXPECT_EQ(printerNames(), std::vector<std::string>{"Receipt"});
    EXPECT_EQ(spooler.getPrinter(handle, info), err::InvalidHandle) << "handles do not survive a restart";
}

TEST_F(SimSpoolerTest, APlannedFaultFailsTheCallBeforeItDoesAnything) {
    sim.faults().failCall("Spooler.addPrinter", err::AccessDenied, 1);
    PrinterHandle handle;
    EXPECT_EQ(spooler.addPrinter(test::ProductPrinter("Receipt"), handle), err::AccessDenied);
    EXPECT_EQ(sim.lastError(), err::AccessDenied);
    EXPECT_TRUE(printerNames().empty());
    EXPECT_EQ(spooler.addPrinter(test::ProductPrinter("Receipt"), handle), err::Success) << "only the first call";
    EXPECT_EQ(sim.faults().callCount("Spooler.addPrinter"), 2u);
}

// ---------------------------------------------------------------- printer initialisation

TEST_F(SimSpoolerTest, AddingAPrinterRunsTheInitialisationOfItsDriversModules) {
    std::vector<std::string> initialised;
    std::vector<std::string> files;
    spooler.setPrinterInitialization([&](std::string_view name, const std::vector<std::string>& dependentFiles) {
        initialised.emplace_back(name);
        files = dependentFiles;
        if (name != "Receipt") return;
        // What the plug-in does: open the new printer, change it, record data.
        PrinterHandle handle;
        ports::PrinterDefaults all{std::nullopt, ports::spool::PrinterAllAccess};
        ASSERT_EQ(spooler.openPrinter(std::string(name), &all, handle), err::Success);
        PrinterInfo2 info;
        ASSERT_EQ(spooler.getPrinter(handle, info), err::Success);
        info.attributes = 0x1800;
        info.printProcessor = std::string(test::kProcessorName);
        EXPECT_EQ(spooler.setPrinter(handle, info), err::Success);
        EXPECT_EQ(spooler.setPrinterData(handle, "ExtraVersion", {kDword, {0, 0, 0, 0}}), err::Success);
        EXPECT_EQ(spooler.closePrinter(handle), err::Success);
    });
    PrinterInfo2 plain = test::ProductPrinter("Receipt");
    plain.attributes = 0xA00;
    plain.printProcessor = "WinPrint";
    PrinterHandle handle;
    ASSERT_EQ(spooler.addPrinter(plain, handle), err::Success);
    EXPECT_EQ(initialised, std::vector<std::string>{"Receipt"});
    const SpoolerObjects stored = ReadSpoolerObjects(sim.world().registry, "Windows x64");
    EXPECT_EQ(stored.printers[0].attributes, 0x1800u);
    EXPECT_EQ(stored.printers[0].printProcessor, test::kProcessorName);
    EXPECT_EQ(stored.printers[0].data.size(), 1u);
    EXPECT_EQ(spooler.openHandleCount(), 1u) << "only the caller's handle is left";

    // The hook learns the modules from the driver's dependent files.
    ports::DriverInfo3 other = test::ProductDriver("Windows x64");
    other.name = "Other Driver";
    other.dependentFiles = {"UNIRES.DLL", "UI580D.INI"};
    ASSERT_EQ(spooler.addPrinterDriver(other), err::Success);
    PrinterInfo2 otherPrinter = test::ProductPrinter("Other", "COM2:");
    otherPrinter.driverName = "Other Driver";
    ASSERT_EQ(spooler.addPrinter(otherPrinter, handle), err::Success);
    EXPECT_EQ(initialised, (std::vector<std::string>{"Receipt", "Other"}));
    EXPECT_EQ(files, (std::vector<std::string>{"UNIRES.DLL", "UI580D.INI"}));
    // A failed addition initialises nothing.
    EXPECT_EQ(spooler.addPrinter(otherPrinter, handle), err::PrinterAlreadyExists);
    EXPECT_EQ(initialised.size(), 2u);
}

}  // namespace
}  // namespace kvt::sim
