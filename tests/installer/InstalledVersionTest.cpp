#include "Installer/KVT580duo_Installer/InstalledVersion.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::installer {
namespace {

constexpr setup::ProductVersion kProduct{3, 4, 3, 0};

ports::PrinterDataValue Dword(std::uint32_t n) {
    return {reg::TypeDword,
            {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
             static_cast<std::uint8_t>(n >> 24)}};
}

// What an installation left on the system.
struct Leftovers {
    bool printer = false;
    std::array<std::optional<std::uint32_t>, 4> version{};  // the printer's values; none: not written
    bool driver = false;
    bool processor = false;
    const char* printerDriverName = "NORVEX KVT-580duo";
};

struct CompareRow {
    const char* name;
    const char* os;
    Leftovers leftovers;
    const char* fault;  // a call of the spooler that fails; empty: none
    int expected;
};

class CompareInstalledDriverVersionTest : public ::testing::TestWithParam<CompareRow> {};

TEST_P(CompareInstalledDriverVersionTest, ClassifiesWhatIsInstalled) {
    const CompareRow& row = GetParam();
    sim::World world = *sim::FreshImage(row.os);
    const std::string native = world.os.is64Bit ? "Windows x64" : "Windows NT x86";
    test::StageProductFiles(world, native);
    kvtsim::ProductSimulation sim(std::move(world), sim::Bitness::x86);
    ports::Spooler& spooler = sim.spooler();
    const Leftovers& l = row.leftovers;

    if (l.driver || l.printer) {
        // Without the plug-in among its files, so that only the row's values are on the printer.
        ports::DriverInfo3 driver = test::ProductDriver(native);
        driver.dependentFiles = {"UNIRES.DLL"};
        ASSERT_EQ(spooler.addMonitor(test::ProductMonitor(native)), err::Success);
        ASSERT_EQ(spooler.addPrinterDriver(driver), err::Success);
    }
    if (l.processor || l.printer) {
        ASSERT_EQ(spooler.addPrintProcessor(native, test::kProcessorDll, test::kProcessorName), err::Success);
    }
    if (l.printer) {
        ports::PrinterInfo2 info = test::ProductPrinter("Till");
        info.driverName = l.printerDriverName;
        ports::PrinterHandle printer;
        ASSERT_EQ(spooler.addPrinter(info, printer), err::Success);
        const char* names[] = {"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion"};
        for (std::size_t i = 0; i < 4; ++i) {
            if (l.version[i]) {
                ASSERT_EQ(spooler.setPrinterData(printer, names[i], Dword(*l.version[i])), err::Success);
            }
        }
        spooler.closePrinter(printer);
    }
    if (*row.fault) sim.faults().failCall(row.fault, err::AccessDenied);

    EXPECT_EQ(CompareInstalledDriverVersion(spooler, "NORVEX KVT-580duo", "NVX PRINT PROCESSOR KVT580duo", kProduct),
              row.expected);
    EXPECT_EQ(sim.spooler().openHandleCount(), 0u);
}

Leftovers PrinterWith(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                      std::optional<std::uint32_t> extra) {
    Leftovers l;
    l.printer = true;
    l.version = {major, minor, build, extra};
    return l;
}

Leftovers Only(bool driver, bool processor) {
    Leftovers l;
    l.driver = driver;
    l.processor = processor;
    return l;
}

Leftovers PrinterOfDriverNamedInOtherCase() {
    Leftovers l = PrinterWith(3, 4, 3, 0);
    l.printerDriverName = "norvex kvt-580DUO";
    return l;
}

INSTANTIATE_TEST_SUITE_P(
    Results, CompareInstalledDriverVersionTest,
    ::testing::Values(
        CompareRow{"OlderBuild", "win7-x86", PrinterWith(3, 4, 2, 9), "", installed::OlderOrUnknown},
        CompareRow{"NewerMinorComparedAsNumber", "win7-x86", PrinterWith(3, 10, 0, 0), "", installed::Newer},
        CompareRow{"NewerExtra", "win7-x86", PrinterWith(3, 4, 3, 1), "", installed::Newer},
        CompareRow{"Same", "win10-x64", PrinterWith(3, 4, 3, 0), "", installed::Same},
        CompareRow{"HugeFieldIsUnsigned", "win7-x86", PrinterWith(0xFFFFFFFF, 0, 0, 0), "", installed::Newer},
        CompareRow{"WithoutExtraVersion", "win7-x86", PrinterWith(3, 4, 3, std::nullopt), "",
                   installed::OlderOrUnknown},
        CompareRow{"PrinterCannotBeOpened", "win7-x86", PrinterWith(3, 4, 3, 0), "Spooler.openPrinter",
                   installed::OlderOrUnknown},
        CompareRow{"DriverNameMustMatchExactly", "win7-x86", PrinterOfDriverNamedInOtherCase(), "",
                   installed::OlderOrUnknown},
        CompareRow{"LeftoverDriver", "win7-x86", Only(true, false), "", installed::OlderOrUnknown},
        CompareRow{"LeftoverProcessor", "win7-x86", Only(false, true), "", installed::OlderOrUnknown},
        CompareRow{"LeftoversOfAnotherEnvironmentAreNotSeen", "win10-x64", Only(true, true), "", installed::Nothing},
        CompareRow{"Clean", "win10-x64", Only(false, false), "", installed::Nothing},
        CompareRow{"EnumerationFails", "win7-x86", PrinterWith(3, 4, 3, 0), "Spooler.enumPrinters",
                   installed::OlderOrUnknown}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kvt::installer
