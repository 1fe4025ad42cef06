// Drivers, monitors, print processors, their folders and environments, and
// forms of the simulated spooler.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/support/SpoolerTestSystem.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::sim {
namespace {

constexpr const char* kX64 = "Windows x64";
constexpr const char* kX86 = "Windows NT x86";
constexpr const char* kVersionFolderX64 = "C:\\Windows\\System32\\spool\\drivers\\x64\\3";

World StagedWorld(const char* os, const char* environment) {
    World world = *FreshImage(os);
    test::StageProductFiles(world, environment);
    return world;
}

class SimSpoolerDriverTest : public ::testing::Test {
protected:
    void registerSupport() {
        kvtsim::DescribeProductPrintProcessor(spooler);
        ASSERT_EQ(spooler.addMonitor(test::ProductMonitor(kX64)), err::Success);
        ASSERT_EQ(spooler.addPrintProcessor(std::string(kX64), test::kProcessorDll, test::kProcessorName),
                  err::Success);
    }
    bool installed(const char* file) const {
        return sim.world().files.findFile(std::string(kVersionFolderX64) + "\\" + file) != nullptr;
    }
    std::vector<std::string> driverNames(const std::optional<std::string>& environment) {
        std::vector<ports::DriverInfo3> drivers;
        EXPECT_EQ(spooler.enumPrinterDrivers(environment, drivers), err::Success);
        std::vector<std::string> names;
        for (const auto& d : drivers) names.push_back(d.name);
        return names;
    }

    Simulation sim{StagedWorld("win10-x64", kX64), Bitness::x86};
    SimSpooler& spooler = sim.spooler();
};

// ---------------------------------------------------------------- adding drivers

struct AddDriverCase {
    const char* name;
    std::function<void(World&, ports::DriverInfo3&)> change;
    std::uint32_t expected;
};

class SimSpoolerAddDriverTest : public SimSpoolerDriverTest, public ::testing::WithParamInterface<AddDriverCase> {};

TEST_P(SimSpoolerAddDriverTest, NeedsItsFilesMonitorAndAKnownEnvironment) {
    registerSupport();
    ports::DriverInfo3 driver = test::ProductDriver(kX64);
    GetParam().change(sim.world(), driver);
    EXPECT_EQ(spooler.addPrinterDriver(driver), GetParam().expected);
    const bool added = sim.world().registry.find(DriverKeyPath(kX64, 3, test::kDriverName)) != nullptr;
    EXPECT_EQ(added, GetParam().expected == err::Success);
    if (GetParam().expected != err::Success) {
        EXPECT_EQ(sim.lastError(), GetParam().expected);
        EXPECT_FALSE(installed("KVT580D.GPD")) << "nothing is copied";
    }
}

void Remove(World& world, const char* file) { world.files.eraseFile(test::DriverDirectory(world, kX64) + "\\" + file); }

INSTANTIATE_TEST_SUITE_P(
    Rows, SimSpoolerAddDriverTest,
    ::testing::Values(
        AddDriverCase{"as_the_installer_fills_it", [](World&, ports::DriverInfo3&) {}, err::Success},
        AddDriverCase{"missing_data_file", [](World& w, ports::DriverInfo3&) { Remove(w, "KVT580D.GPD"); },
                      err::FileNotFound},
        AddDriverCase{"missing_dependent_file", [](World& w, ports::DriverInfo3&) { Remove(w, "UI580D.INI"); },
                      err::FileNotFound},
        AddDriverCase{"missing_configuration_file", [](World& w, ports::DriverInfo3&) { Remove(w, "UNIDRVUI.DLL"); },
                      err::ModNotFound},
        AddDriverCase{"missing_configuration_and_help_file",
                      [](World& w, ports::DriverInfo3&) {
                          Remove(w, "UNIDRVUI.DLL");
                          Remove(w, "UNIDRV.HLP");
                      },
                      err::FileNotFound},
        AddDriverCase{"files_staged_for_the_other_environment",
                      [](World&, ports::DriverInfo3& d) { d.environment = kX86; }, err::FileNotFound},
        AddDriverCase{"unknown_environment", [](World&, ports::DriverInfo3& d) { d.environment = "Windows IA64"; },
                      err::InvalidEnvironment},
        AddDriverCase{"unknown_language_monitor",
                      [](World&, ports::DriverInfo3& d) { d.monitorName = "Other Monitor"; }, err::UnknownPrintMonitor},
        AddDriverCase{"no_configuration_file", [](World&, ports::DriverInfo3& d) { d.configFile.clear(); },
                      err::InvalidParameter}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SimSpoolerDriverTest, AnAddedDriverHasItsFilesInTheVersionFolderAndItsKey) {
    registerSupport();
    ASSERT_EQ(spooler.addPrinterDriver(test::ProductDriver(kX64)), err::Success);
    for (const char* file : {"UNIDRV.DLL", "KVT580D.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP", "UI580D.DLL", "UI580D.INI"})
        EXPECT_TRUE(installed(file)) << file;
    EXPECT_EQ(sim.world().files.findFile("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\UI580D.DLL")->bytes,
              sim.world().files.findFile(test::DriverDirectory(sim.world(), kX64) + "\\UI580D.DLL")->bytes);
    const SpoolerObjects stored = ReadSpoolerObjects(sim.world().registry, kX64);
    ASSERT_EQ(stored.drivers.size(), 1u);
    const DriverRecord& d = stored.drivers[0];
    EXPECT_EQ(d.environment, kX64);
    EXPECT_EQ(d.version, 3u);
    EXPECT_EQ(d.configFile, "UNIDRVUI.DLL");
    EXPECT_EQ(d.dependentFiles, test::ProductDriver(kX64).dependentFiles);
    EXPECT_EQ(d.monitor, test::kMonitorName);

    // Once installed, its files are found in the version folder.
    for (const auto& file : sim.world().files.childFiles(test::DriverDirectory(sim.world(), kX64)))
        sim.world().files.eraseFile(test::DriverDirectory(sim.world(), kX64) + "\\" + file);
    EXPECT_EQ(spooler.addPrinterDriver(test::ProductDriver(kX64)), err::Success) << "an update";
    EXPECT_EQ(ReadSpoolerObjects(sim.world().registry, kX64).drivers.size(), 1u);
}

TEST_F(SimSpoolerDriverTest, EnumerationListsTheCallersOwnEnvironmentByDefault) {
    registerSupport();
    ASSERT_EQ(spooler.addPrinterDriver(test::ProductDriver(kX64)), err::Success);
    EXPECT_TRUE(driverNames(std::nullopt).empty()) << "a 32-bit program sees Windows NT x86";
    EXPECT_EQ(driverNames(std::string("windows x64")), std::vector<std::string>{std::string(test::kDriverName)});
    std::vector<ports::DriverInfo3> drivers;
    EXPECT_EQ(spooler.enumPrinterDrivers(std::string("Windows ARM"), drivers), err::InvalidEnvironment);
    ASSERT_EQ(spooler.enumPrinterDrivers(std::string(kX64), drivers), err::Success);
    EXPECT_EQ(drivers[0].driverPath, std::string(kVersionFolderX64) + "\\UNIDRV.DLL");
    EXPECT_EQ(drivers[0].environment, kX64);

    Simulation native(sim.snapshot(), Bitness::x64);
    std::vector<ports::DriverInfo3> seen;
    ASSERT_EQ(native.spooler().enumPrinterDrivers(std::nullopt, seen), err::Success);
    EXPECT_EQ(seen.size(), 1u) << "a 64-bit program sees Windows x64";
}

// ---------------------------------------------------------------- deleting drivers

TEST_F(SimSpoolerDriverTest, DeletionRefusesADriverInUseAndAnUnknownOne) {
    registerSupport();
    ASSERT_EQ(spooler.addPrinterDriver(test::ProductDriver(kX64)), err::Success);
    ports::PrinterHandle printer;
    ASSERT_EQ(spooler.addPrinter(test::ProductPrinter("Receipt"), printer), err::Success);

    EXPECT_EQ(spooler.deletePrinterDriverEx(std::nullopt, test::kDriverName, 1, 3), err::UnknownPrinterDriver)
        << "the 32-bit caller's own environment has no such driver";
    EXPECT_EQ(spooler.deletePrinterDriverEx(std::string(kX64), "NORVEX", 1, 3), err::UnknownPrinterDriver);
    EXPECT_EQ(spooler.deletePrinterDriverEx(std::string(kX64), test::kDriverName, 1, 3), err::PrinterDriverInUse);
    EXPECT_EQ(sim.lastError(), err::PrinterDriverInUse);
    EXPECT_EQ(spooler.deletePrinterDriverEx(std::string("Windows 4.0"), test::kDriverName, 1, 3),
              err::InvalidEnvironment);

    ASSERT_EQ(spooler.deletePrinter(printer), err::Success);
    EXPECT_EQ(spooler.deletePrinterDriverEx(std::string(kX64), test::kDriverName, 0, 3), err::Success);
    EXPECT_EQ(sim.world().registry.find(DriverKeyPath(kX64, 3, test::kDriverName)), nullptr);
    EXPECT_TRUE(installed("UI580D.DLL")) << "without DPD_DELETE_UNUSED_FILES the files stay";
}

TEST_F(SimSpoolerDriverTest, UnusedFilesGoWithTheDriverSharedOnesStay) {
    registerSupport();
    ASSERT_EQ(spooler.addPrinterDriver(test::ProductDriver(kX64)), err::Success);
    ports::DriverInfo3 other = test::ProductDriver(kX64);
    other.name = "Other Unidrv Printer";
    other.dataFile = "STDNAMES.GPD";
    other.dependentFiles = {"UNIRES.DLL"};
    ASSERT_EQ(spooler.addPrinterDriver(other), err::Success);
    sim.world().files.findFile(std::string(kVersionFolderX64) + "\\UNI580D.DLL")->inUse = true;

    ASSERT_EQ(spooler.deletePrinterDriverEx(std::string(kX64), test::kDriverName, ports::spool::DeleteUnusedFiles, 3),
              err::Success);
    for (const char* gone : {"KVT580D.GPD", "KVT580D.DLL", "UI580D.DLL", "UI580D.INI"})
        EXPECT_FALSE(installed(gone)) << gone;
    for (const char* kept : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"})
        EXPECT_TRUE(installed(kept)) << kept << " is used by the other driver";
    EXPECT_TRUE(installed("UNI580D.DLL")) << "a file in use stays";
    EXPECT_EQ(driverNames(std::string(kX64)), std::vector<std::string>{"Other Unidrv Printer"});
}

// ---------------------------------------------------------------- folders

struct DirectoryCase {
    const char* name;
    const char* os;
    Bitness program;
    std::optional<std::string> environment;
    const char* driverFolder;  // below C:\Windows\System32\spool\drivers and \prtprocs
};

class SimSpoolerDirectoryTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(SimSpoolerDirectoryTest, FoldersAreThoseOfTheAskedEnvironmentInTheRealSystem32) {
    const DirectoryCase& c = GetParam();
    Simulation sim(*FreshImage(c.os), c.program);
    std::string drivers, processors;
    ASSERT_EQ(sim.spooler().getPrinterDriverDirectory(c.environment, drivers), err::Success);
    ASSERT_EQ(sim.spooler().getPrintProcessorDirectory(c.environment, processors), err::Success);
    EXPECT_EQ(drivers, std::string("C:\\Windows\\System32\\spool\\drivers\\") + c.driverFolder);
    EXPECT_EQ(processors, std::string("C:\\Windows\\System32\\spool\\prtprocs\\") + c.driverFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SimSpoolerDirectoryTest,
    ::testing::Values(DirectoryCase{"x86_program_on_x64_own", "win10-x64", Bitness::x86, std::nullopt, "W32X86"},
                      DirectoryCase{"x86_program_on_x64_asks_x64", "win10-x64", Bitness::x86, kX64, "x64"},
                      DirectoryCase{"x64_program_own", "win7-x64", Bitness::x64, std::nullopt, "x64"},
                      DirectoryCase{"x86_program_on_x86", "xp-x86", Bitness::x86, std::nullopt, "W32X86"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SimSpoolerDirectoryErrors, AnUnknownEnvironmentIsRefused) {
    Simulation sim(*FreshImage("win10-x64"));
    std::string directory = "unchanged";
    EXPECT_EQ(sim.spooler().getPrinterDriverDirectory(std::string("Windows IA64"), directory), err::InvalidEnvironment);
    EXPECT_EQ(sim.spooler().getPrintProcessorDirectory(std::string(""), directory), err::InvalidEnvironment);
    EXPECT_EQ(directory, "unchanged");
    EXPECT_EQ(sim.lastError(), err::InvalidEnvironment);
}

// ---------------------------------------------------------------- monitors

TEST_F(SimSpoolerDriverTest, AMonitorNeedsItsDllWhereTheNativeSpoolerLoadsIt) {
    const std::string system32 = "C:\\Windows\\System32\\MON580D.dll";
    const std::string monitorDll = sim.world().files.findFile(system32)->bytes;
    sim.world().files.eraseFile(system32);
    sim.world().files.putFile("C:\\Windows\\SysWOW64\\MON580D.dll", "the 32-bit copy");
    EXPECT_EQ(spooler.addMonitor(test::ProductMonitor(kX64)), err::ModNotFound);
    EXPECT_EQ(sim.lastError(), err::ModNotFound);
    EXPECT_EQ(spooler.addMonitor(test::ProductMonitor(kX86)), err::InvalidEnvironment) << "not the system's own";

    // The spooler's DLL search would find it in the Windows folder, but the
    // documented place is the system directory.
    sim.world().files.putFile("C:\\Windows\\MON580D.dll", "in the Windows folder");
    EXPECT_EQ(spooler.addMonitor(test::ProductMonitor(kX64)), err::ModNotFound);
    sim.world().files.putFile(system32, monitorDll);
    ASSERT_EQ(spooler.addMonitor(test::ProductMonitor(kX64)), err::Success);
    EXPECT_EQ(spooler.addMonitor(test::ProductMonitor(kX64)), err::PrintMonitorAlreadyInstalled);
    const RegistryKeyRecord* key = sim.world().registry.find(MonitorKeyPath(test::kMonitorName));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(ReadSpoolerObjects(sim.world().registry, kX64).monitors.size(), 2u);
}

TEST_F(SimSpoolerDriverTest, AMonitorIsDeletedUnlessUnknownOrHeldByAPrinter) {
    registerSupport();
    ASSERT_EQ(spooler.addPrinterDriver(test::ProductDriver(kX64)), err::Success);
    ports::PrinterHandle printer;
    ASSERT_EQ(spooler.addPrinter(test::ProductPrinter("Receipt"), printer), err::Success);

    EXPECT_EQ(spooler.deleteMonitor(std::nullopt, "No Such Monitor"), err::UnknownPrintMonitor);
    EXPECT_EQ(spooler.deleteMonitor(std::nullopt, test::kMonitorName), err::PrintMonitorInUse);
    ASSERT_EQ(spooler.deletePrinter(printer), err::Success);
    EXPECT_EQ(spooler.deleteMonitor(std::nullopt, test::kMonitorName), err::Success)
        << "a driver without printers does not hold its monitor";
    EXPECT_EQ(sim.world().registry.find(MonitorKeyPath(test::kMonitorName)), nullptr);
    EXPECT_EQ(spooler.deleteMonitor(std::nullopt, test::kMonitorName), err::UnknownPrintMonitor);
}

// ---------------------------------------------------------------- print processors

TEST_F(SimSpoolerDriverTest, PrintProcessorsPerEnvironment) {
    // The 32-bit installer copies the DLL into its own environment's folder.
    EXPECT_EQ(spooler.addPrintProcessor(std::nullopt, test::kProcessorDll, test::kProcessorName), err::ModNotFound);
    ASSERT_EQ(spooler.addPrintProcessor(std::string(kX64), test::kProcessorDll, test::kProcessorName), err::Success);
    EXPECT_EQ(spooler.addPrintProcessor(std::string(kX64), test::kProcessorDll, test::kProcessorName),
              err::PrintProcessorAlreadyInstalled);
    EXPECT_NE(sim.world().registry.find(PrintProcessorKeyPath(kX64, test::kProcessorName)), nullptr);

    std::vector<std::string> names;
    ASSERT_EQ(spooler.enumPrintProcessors(std::string(kX64), names), err::Success);
    EXPECT_EQ(names, (std::vector<std::string>{"WinPrint", std::string(test::kProcessorName)}));
    ASSERT_EQ(spooler.enumPrintProcessors(std::nullopt, names), err::Success);
    EXPECT_EQ(names, std::vector<std::string>{"WinPrint"});

    EXPECT_EQ(spooler.deletePrintProcessor(std::nullopt, test::kProcessorName), err::UnknownPrintProcessor);
    EXPECT_EQ(sim.lastError(), err::UnknownPrintProcessor);
    ASSERT_EQ(spooler.deletePrintProcessor(std::string(kX64), test::kProcessorName), err::Success);
    EXPECT_EQ(sim.world().registry.find(PrintProcessorKeyPath(kX64, test::kProcessorName)), nullptr);
}

// ---------------------------------------------------------------- forms

ports::FormInfo1 UserForm(const char* name) { return {0, name, 80000, 297000, 0, 0, 80000, 297000}; }

TEST_F(SimSpoolerDriverTest, UserFormsComeAndGoBuiltInFormsStay) {
    ports::PrinterHandle server;
    ASSERT_EQ(spooler.openPrinter(std::nullopt, nullptr, server), err::Success);
    std::vector<ports::FormInfo1> forms;
    ASSERT_EQ(spooler.enumForms(server, forms), err::Success);
    const std::size_t builtIn = forms.size();
    ASSERT_GE(builtIn, 5u);

    EXPECT_EQ(spooler.addForm(server, UserForm("Roll 80mm [580duo]")), err::Success);
    EXPECT_EQ(spooler.addForm(server, UserForm("ROLL 80MM [580DUO]")), err::FileExists);
    EXPECT_EQ(spooler.addForm(server, UserForm("")), err::InvalidFormName);
    ports::FormInfo1 bad = UserForm("Wide");
    bad.right = bad.width + 1;
    EXPECT_EQ(spooler.addForm(server, bad), err::InvalidFormSize);

    ports::FormInfo1 form;
    EXPECT_EQ(spooler.getForm(server, "Missing", form), err::InvalidFormName);
    ASSERT_EQ(spooler.getForm(server, "roll 80mm [580duo]", form), err::Success);
    EXPECT_EQ(form.flags, ports::spool::FormUser);
    ports::FormInfo1 longer = UserForm("Roll 80mm [580duo]");
    longer.length = longer.bottom = 400000;
    EXPECT_EQ(spooler.setForm(server, "Roll 80mm [580duo]", longer), err::Success);
    ASSERT_EQ(spooler.getForm(server, "Roll 80mm [580duo]", form), err::Success);
    EXPECT_EQ(form.length, 400000);

    EXPECT_EQ(spooler.setForm(server, "A4", UserForm("A4")), err::InvalidParameter);
    EXPECT_EQ(spooler.deleteForm(server, "A4"), err::AccessDenied);
    EXPECT_EQ(spooler.deleteForm(server, "Missing"), err::InvalidFormName);
    ASSERT_EQ(spooler.enumForms(server, forms), err::Success);
    EXPECT_EQ(forms.size(), builtIn + 1);
    ASSERT_EQ(spooler.deleteForm(server, "Roll 80mm [580duo]"), err::Success);
    ASSERT_EQ(spooler.enumForms(server, forms), err::Success);
    EXPECT_EQ(forms.size(), builtIn);
    EXPECT_EQ(spooler.enumForms(ports::PrinterHandle{4}, forms), err::InvalidHandle);
    EXPECT_EQ(spooler.closePrinter(server), err::Success);
}

}  // namespace
}  // namespace kvt::sim
