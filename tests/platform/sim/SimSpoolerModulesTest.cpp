// The spooler's loader checks of monitor, print-processor and driver files,
// and the data types a printer takes from its own print processor, on
// 64-bit Windows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

constexpr const char* kModulesX64 = "Windows x64";
constexpr const char* kModulesX86 = "Windows NT x86";

std::string Dll(std::uint16_t machine, std::vector<std::string> exports) {
    return pe::WriteMinimalDll({machine, "TEST.dll", std::move(exports), "test module"});
}

const std::vector<std::string> kProcessorExports{"EnumPrintProcessorDatatypesW", "OpenPrintProcessor",
                                                 "PrintDocumentOnPrintProcessor", "ClosePrintProcessor",
                                                 "ControlPrintProcessor"};

class SpoolerModulesTest : public ::testing::Test {
protected:
    SpoolerModulesTest() : sim(Prepared(), Bitness::x86), spooler(sim.spooler()) {}
    static World Prepared() {
        World world = *FreshImage("win10-x64");
        test::StageProductFiles(world, kModulesX64);
        test::StageProductFiles(world, kModulesX86);
        return world;
    }
    void put(const std::string& path, std::string bytes) { sim.world().files.putFile(path, std::move(bytes)); }

    Simulation sim;
    SimSpooler& spooler;
};

TEST_F(SpoolerModulesTest, AMonitorMustLoadIntoTheSpoolerAndExportItsEntry) {
    struct Row {
        const char* name;
        std::string bytes;
        std::uint32_t expected;
    };
    const std::vector<Row> rows = {
        {"text", "not a program", err::BadExeFormat},
        {"32-bit DLL in the 64-bit spooler", Dll(pe::kMachineI386, {"InitializePrintMonitor2"}), err::BadExeFormat},
        {"no entry point", Dll(pe::kMachineAmd64, {"DllMain"}), err::ProcNotFound},
        {"the older entry alone", Dll(pe::kMachineAmd64, {"InitializePrintMonitor"}), err::Success},
    };
    for (const Row& row : rows) {
        put("C:\\Windows\\System32\\TESTMON.dll", row.bytes);
        const std::string name = std::string("Monitor ") + row.name;
        EXPECT_EQ(spooler.addMonitor({name, kModulesX64, "TESTMON.dll"}), row.expected) << row.name;
        EXPECT_EQ(spooler.holdsModule("C:\\Windows\\System32\\TESTMON.dll"), row.expected == err::Success)
            << row.name;
    }
}

TEST_F(SpoolerModulesTest, APrintProcessorMustLoadForItsEnvironment) {
    struct Row {
        const char* name;
        const char* environment;
        std::string bytes;
        std::uint32_t expected;
    };
    const std::vector<Row> rows = {
        {"text", kModulesX64, "not a program", err::BadExeFormat},
        {"32-bit DLL for x64", kModulesX64, Dll(pe::kMachineI386, kProcessorExports), err::BadExeFormat},
        {"an entry missing", kModulesX64, Dll(pe::kMachineAmd64, {"OpenPrintProcessor"}), err::ProcNotFound},
        {"complete", kModulesX64, Dll(pe::kMachineAmd64, kProcessorExports), err::Success},
        // The x86 environment's DLL is not loaded on x64, but is still checked.
        {"64-bit DLL for x86", kModulesX86, Dll(pe::kMachineAmd64, kProcessorExports), err::BadExeFormat},
        {"x86 DLL for x86", kModulesX86, Dll(pe::kMachineI386, {}), err::Success},
    };
    for (const Row& row : rows) {
        const std::string folder = test::ProcessorDirectory(sim.world(), row.environment);
        put(folder + "\\TESTPP.dll", row.bytes);
        const std::string name = std::string("Processor ") + row.name;
        EXPECT_EQ(spooler.addPrintProcessor(std::string(row.environment), "TESTPP.dll", name), row.expected)
            << row.name;
    }
}

TEST_F(SpoolerModulesTest, DriverAndConfigurationFilesMustBeProgramsOfTheEnvironment) {
    ASSERT_TRUE(test::RegisterProduct(spooler, kModulesX64));
    struct Row {
        const char* name;
        std::function<void(ports::DriverInfo3&)> change;
        std::uint32_t expected;
    };
    const std::string drivers = test::DriverDirectory(sim.world(), kModulesX64);
    const std::vector<Row> rows = {
        {"text driver file",
         [&](ports::DriverInfo3& d) {
             put(drivers + "\\TEXT.DLL", "text");
             d.driverPath = "TEXT.DLL";
         },
         err::BadExeFormat},
        {"x86 configuration file",
         [&](ports::DriverInfo3& d) {
             put(drivers + "\\UI32.DLL", Dll(pe::kMachineI386, {}));
             d.configFile = "UI32.DLL";
         },
         err::ExeMachineTypeMismatch},
        {"text data and help files are no programs to check", [](ports::DriverInfo3&) {}, err::Success},
    };
    for (const Row& row : rows) {
        ports::DriverInfo3 driver = test::ProductDriver(kModulesX64);
        driver.name = row.name;
        row.change(driver);
        EXPECT_EQ(spooler.addPrinterDriver(driver), row.expected) << row.name;
    }
}

TEST_F(SpoolerModulesTest, APrinterTakesTheDataTypesOfItsOwnProcessor) {
    ASSERT_TRUE(test::RegisterProduct(spooler, kModulesX64));
    struct Row {
        const char* name;
        const char* processor;
        const char* dataType;
        std::uint32_t expected;
        const char* stored;
    };
    const std::vector<Row> rows = {
        {"WinPrint takes EMF", "WinPrint", "NT EMF 1.008", err::Success, "NT EMF 1.008"},
        {"the product's processor takes RAW", test::kProcessorName.data(), "RAW", err::Success, "RAW"},
        {"the product's processor takes no EMF", test::kProcessorName.data(), "NT EMF 1.008", err::InvalidDatatype,
         ""},
        {"unknown processor", "Other Processor", "RAW", err::UnknownPrintProcessor, ""},
        {"empty is the processor's first", "WinPrint", "", err::Success, "RAW"},
    };
    int n = 0;
    for (const Row& row : rows) {
        ports::PrinterInfo2 info = test::ProductPrinter("Till " + std::to_string(++n));
        info.printProcessor = row.processor;
        info.dataType = row.dataType;
        ports::PrinterHandle handle;
        ASSERT_EQ(spooler.addPrinter(info, handle), row.expected) << row.name;
        if (row.expected != err::Success) continue;
        ports::PrinterInfo2 added;
        ASSERT_EQ(spooler.getPrinter(handle, added), err::Success);
        EXPECT_EQ(added.dataType, row.stored) << row.name;
    }
    // Defaults at OpenPrinter, and SetPrinter, meet the same processor.
    ports::PrinterHandle handle;
    const ports::PrinterDefaults emf{std::string("NT EMF 1.008"), ports::spool::PrinterAllAccess};
    EXPECT_EQ(spooler.openPrinter(std::string("Till 2"), &emf, handle), err::InvalidDatatype);
    EXPECT_EQ(spooler.openPrinter(std::string("Till 1"), &emf, handle), err::Success);
    ports::PrinterInfo2 till;
    ASSERT_EQ(spooler.getPrinter(handle, till), err::Success);
    till.printProcessor = test::kProcessorName;
    EXPECT_EQ(spooler.setPrinter(handle, till), err::InvalidDatatype);
}

TEST(SpoolerModulesStart, AProcessorWhoseDllDoesNotLoadIsLeftOutAtStart) {
    World world = *FreshImage("win10-x64");
    world.files.putFile("C:\\Windows\\System32\\spool\\prtprocs\\x64\\winprint.dll", "damaged");
    Simulation sim(std::move(world), Bitness::x64);
    std::vector<std::string> names;
    ASSERT_EQ(sim.spooler().enumPrintProcessors(std::nullopt, names), err::Success);
    EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace kvt::sim
