// The plug-in's printer initialisation, run by the simulated spooler as the
// real spooler runs it, and called directly with the spooler refusing steps.
#include "driversrc/kvt-580duo/DrvPackage/PrinterSetup.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::plugin {
namespace {

constexpr const char* kEnvironmentX64 = "Windows x64";
constexpr std::uint32_t kAddedAttributes = 0x240;

ports::DriverInfo3 DriverWithoutPlugin() {
    ports::DriverInfo3 driver = test::ProductDriver(kEnvironmentX64);
    driver.name = "Other Receipt";
    std::erase(driver.dependentFiles, "UI580D.DLL");
    return driver;
}

class PrinterSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::RegisterProduct(sim.spooler(), kEnvironmentX64));
        ASSERT_EQ(sim.spooler().addPrinterDriver(DriverWithoutPlugin()), err::Success);
    }

    static sim::World PreparedWorld() {
        sim::World world = *sim::FreshImage("win10-x64");
        test::StageProductFiles(world, kEnvironmentX64);
        return world;
    }

    std::uint32_t add(const std::string& name, const std::string& driver) {
        ports::PrinterInfo2 info = test::ProductPrinter(name);
        info.driverName = driver;
        info.printProcessor = "WinPrint";
        info.attributes = kAddedAttributes;
        ports::PrinterHandle handle;
        const std::uint32_t result = sim.spooler().addPrinter(info, handle);
        if (result == err::Success) sim.spooler().closePrinter(handle);
        return result;
    }

    const sim::PrinterRecord& printer(const std::string& name) {
        for (const sim::PrinterRecord& p : sim.spooler().memory()->printers)
            if (p.name == name) return p;
        throw std::runtime_error("no printer " + name);
    }

    void expectVersionValues(const sim::PrinterRecord& p) {
        const std::vector<std::pair<std::string, std::uint8_t>> expected{
            {"MajorVersion", 3}, {"MinorVersion", 4}, {"BuildVersion", 3}, {"ExtraVersion", 0}};
        ASSERT_EQ(p.data.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(p.data[i].first, expected[i].first);
            EXPECT_EQ(p.data[i].second.type, reg::TypeDword);
            EXPECT_EQ(p.data[i].second.data, (std::vector<std::uint8_t>{expected[i].second, 0, 0, 0}));
        }
    }

    kvtsim::ProductSimulation sim{PreparedWorld(), sim::Bitness::x86};
};

TEST_F(PrinterSetupTest, AddingAPrinterOfThePluginsDriverSetsItUp) {
    ASSERT_EQ(add("Till 1", "NORVEX KVT-580duo"), err::Success);
    const sim::PrinterRecord& p = printer("Till 1");
    EXPECT_EQ(p.attributes, 0x1800u);
    EXPECT_EQ(p.printProcessor, "NVX PRINT PROCESSOR KVT580duo");
    EXPECT_EQ(p.port, "COM1:");
    expectVersionValues(p);
    EXPECT_EQ(sim.spooler().openHandleCount(), 0u);
}

TEST_F(PrinterSetupTest, PrinterOfAnotherDriverIsUntouched) {
    ASSERT_EQ(add("Kitchen", "Other Receipt"), err::Success);
    const sim::PrinterRecord& p = printer("Kitchen");
    EXPECT_EQ(p.attributes, kAddedAttributes);
    EXPECT_EQ(p.printProcessor, "WinPrint");
    EXPECT_TRUE(p.data.empty());
    EXPECT_EQ(sim.faults().callCount("PluginSpooler.openPrinter"), 0u);
}

// Windows compares file names without regard to letter case.
TEST_F(PrinterSetupTest, ThePluginIsRecognisedInAnyLetterCase) {
    ports::DriverInfo3 lower = DriverWithoutPlugin();
    lower.name = "Lower";
    lower.dependentFiles.push_back("ui580d.dll");
    ASSERT_EQ(sim.spooler().addPrinterDriver(lower), err::Success);
    ASSERT_EQ(add("Till 2", "Lower"), err::Success);
    EXPECT_EQ(printer("Till 2").attributes, 0x1800u);
}

TEST_F(PrinterSetupTest, PrinterStaysAddedWhenThePluginCannotReadIt) {
    sim.faults().failCall("PluginSpooler.getPrinter", err::AccessDenied);
    sim.lastError() = 77;
    ASSERT_EQ(add("Till 1", "NORVEX KVT-580duo"), err::Success);
    EXPECT_EQ(sim.lastError(), 77u) << "the plug-in's failures belong to the spooler's process";
    const sim::PrinterRecord& p = printer("Till 1");
    EXPECT_EQ(p.attributes, kAddedAttributes);
    expectVersionValues(p);
}

struct EventRow {
    const char* name;
    int event;
    const char* printerName;
    const char* faultMethod;  // empty: none
    std::uint32_t faultNth;
    HResult result;
    bool settingsApplied;
    bool valuesWritten;
};

class PrinterEventTest : public PrinterSetupTest, public ::testing::WithParamInterface<EventRow> {};

TEST_P(PrinterEventTest, InitialisesOnlyOnItsEvent) {
    const EventRow& row = GetParam();
    ASSERT_EQ(add("Kitchen", "Other Receipt"), err::Success);
    if (*row.faultMethod) sim.faults().failCall(row.faultMethod, err::AccessDenied, row.faultNth);

    const std::u16string name(row.printerName, row.printerName + std::char_traits<char>::length(row.printerName));
    EXPECT_EQ(PrinterEvent(sim.pluginSpooler(), name, row.event), row.result);

    const sim::PrinterRecord& p = printer("Kitchen");
    EXPECT_EQ(p.attributes, row.settingsApplied ? 0x1800u : kAddedAttributes);
    EXPECT_EQ(p.printProcessor, row.settingsApplied ? "NVX PRINT PROCESSOR KVT580duo" : "WinPrint");
    if (row.valuesWritten) {
        expectVersionValues(p);
    } else {
        EXPECT_TRUE(p.data.empty());
    }
    if (row.event != printer_event::Initialize) {
        EXPECT_EQ(sim.faults().callCount("PluginSpooler.openPrinter"), 0u);
    }
    EXPECT_EQ(sim.spooler().openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Events, PrinterEventTest,
    ::testing::Values(EventRow{"AddConnection", 1, "Kitchen", "", 0, hr::SOk, false, false},
                      EventRow{"DeletePrinter", 4, "Kitchen", "", 0, hr::SOk, false, false},
                      EventRow{"Initialize", 3, "Kitchen", "", 0, hr::SOk, true, true},
                      EventRow{"CannotOpen", 3, "Kitchen", "PluginSpooler.openPrinter", 0, hr::EFail, false, false},
                      EventRow{"UnknownPrinter", 3, "Nowhere", "", 0, hr::EFail, false, false},
                      EventRow{"SizeQueryRefused", 3, "Kitchen", "PluginSpooler.getPrinter", 1, hr::EFail, false, true},
                      EventRow{"ReadRefused", 3, "Kitchen", "PluginSpooler.getPrinter", 2, hr::EFail, false, true},
                      EventRow{"WriteBackRefused", 3, "Kitchen", "PluginSpooler.setPrinter", 0, hr::SOk, false, true}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvt::plugin
