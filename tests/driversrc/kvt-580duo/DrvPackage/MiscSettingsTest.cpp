// The "MISC" record of a printer read into and written from the page state,
// through the simulated spooler as the plug-in sees it.
#include "driversrc/kvt-580duo/DrvPackage/MiscSettings.h"

#include <gtest/gtest.h>

#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::plugin {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* kX64 = "Windows x64";

Bytes Sequence(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(0x10 + i);
    return bytes;
}

class MiscSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::RegisterProduct(sim.spooler(), kX64));
        ports::PrinterHandle added;
        ASSERT_EQ(sim.spooler().addPrinter(test::ProductPrinter("Till 1"), added), err::Success);
        sim.spooler().closePrinter(added);
        ASSERT_EQ(sim.pluginSpooler().openPrinter(u"Till 1", ports::spool::PrinterAllAccess, printer), err::Success);
        // Whatever an earlier sheet left: the load must replace all of it.
        state.misc.bytes.fill(0xEE);
        state.miscStatus = 0xEEEE;
        BindPrinter(state, u"Till 1", printer);
    }
    void TearDown() override { sim.pluginSpooler().closePrinter(printer); }

    static sim::World PreparedWorld() {
        sim::World world = *sim::FreshImage("win10-x64");
        test::StageProductFiles(world, kX64);
        return world;
    }

    void store(Bytes bytes, std::uint32_t type = reg::TypeBinary) {
        bytes.reserve(1);  // a buffer even for no bytes
        ASSERT_EQ(sim.pluginSpooler().setPrinterData(printer, u"MISC", type, bytes.data(),
                                                     static_cast<std::uint32_t>(bytes.size())),
                  err::Success);
    }

    Bytes stored() {
        ports::PrinterDataValue value;
        std::uint32_t needed = 0;
        EXPECT_EQ(sim.pluginSpooler().getPrinterData(printer, u"MISC", 4096, value, needed), err::Success);
        EXPECT_EQ(value.type, reg::TypeBinary);
        return value.data;
    }

    kvtsim::ProductSimulation sim{PreparedWorld(), sim::Bitness::x64};
    ports::PrinterHandle printer;
    PageState state;
};

TEST_F(MiscSettingsTest, DefaultsAreCutMode1AndOneCopy) {
    Bytes expected(20, 0);
    expected[10] = 1;
    expected[15] = 1;
    const MiscSettings defaults = DefaultMiscSettings();
    EXPECT_EQ(Bytes(defaults.bytes.begin(), defaults.bytes.end()), expected);
}

struct LoadRow {
    const char* name;
    std::optional<Bytes> stored;  // nothing: no "MISC" value
    std::uint32_t status;
    std::uint32_t needed;
    bool defaults;  // else the stored bytes, padded with zeros to 20
};

class LoadMiscSettingsTest : public MiscSettingsTest, public ::testing::WithParamInterface<LoadRow> {};

TEST_P(LoadMiscSettingsTest, ReadsTheRecordOrFallsBackToDefaults) {
    const LoadRow& row = GetParam();
    if (row.stored) store(*row.stored);
    LoadMiscSettings(sim.pluginSpooler(), state);
    EXPECT_EQ(state.miscStatus, row.status);
    EXPECT_EQ(state.miscNeeded, row.needed);
    if (row.defaults) {
        EXPECT_EQ(state.misc, DefaultMiscSettings());
    } else {
        Bytes expected = *row.stored;
        expected.resize(20, 0);
        EXPECT_EQ(Bytes(state.misc.bytes.begin(), state.misc.bytes.end()), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, LoadMiscSettingsTest,
    ::testing::Values(LoadRow{"Missing", std::nullopt, err::FileNotFound, 0, true},
                      LoadRow{"Exact", Sequence(20), err::Success, 20, false},
                      LoadRow{"AllZeroIsKept", Bytes(20, 0), err::Success, 20, false},
                      LoadRow{"ShortFillsLeadingBytes", Sequence(5), err::Success, 5, false},
                      LoadRow{"EmptyValueIsAllZero", Bytes{}, err::Success, 0, false},
                      LoadRow{"OverLongIsTreatedAsMissing", Sequence(24), err::MoreData, 24, true},
                      LoadRow{"OneByteTooMany", Sequence(21), err::MoreData, 21, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(MiscSettingsTest, AnUnreadableValueGivesTheDefaults) {
    store(Sequence(20));
    sim.faults().failCall("PluginSpooler.getPrinterData", err::AccessDenied);
    LoadMiscSettings(sim.pluginSpooler(), state);
    EXPECT_EQ(state.miscStatus, err::AccessDenied);
    EXPECT_EQ(state.misc, DefaultMiscSettings());
}

TEST_F(MiscSettingsTest, SaveWritesTheWholeRecordAsBinary) {
    store(Sequence(24));
    for (std::size_t i = 0; i < kMiscSize; ++i) state.misc.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    SaveMiscSettings(sim.pluginSpooler(), state);
    EXPECT_EQ(stored(), Bytes(state.misc.bytes.begin(), state.misc.bytes.end()));

    LoadMiscSettings(sim.pluginSpooler(), state);
    EXPECT_EQ(state.miscStatus, err::Success);
    EXPECT_EQ(state.miscNeeded, 20u);
}

TEST_F(MiscSettingsTest, AFailedSaveIsIgnored) {
    store(Sequence(20));
    sim.faults().failCall("PluginSpooler.setPrinterData", err::AccessDenied);
    state.misc = DefaultMiscSettings();
    SaveMiscSettings(sim.pluginSpooler(), state);
    EXPECT_EQ(stored(), Sequence(20));
}

TEST(PageState, BindPrinterKeeps519CharactersAndTheHandle) {
    PageState state;
    BindPrinter(state, std::u16string(600, u'p'), {0x44});
    EXPECT_EQ(PrinterName(state), std::u16string(519, u'p'));
    EXPECT_EQ(state.printerName[519], u'\0');
    EXPECT_EQ(state.printer, ports::PrinterHandle{0x44});

    BindPrinter(state, u"Till 2", {0x48});
    EXPECT_EQ(PrinterName(state), u"Till 2") << "a later sheet's printer replaces the name";
    EXPECT_EQ(state.printer, ports::PrinterHandle{0x48});
}

}  // namespace
}  // namespace kvt::plugin
