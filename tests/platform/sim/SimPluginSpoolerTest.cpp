#include "platform/sim/SimPluginSpooler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

TEST(AnsiUtf16Test, MapsTheCodePageBytesAndReplacesTheRest) {
    EXPECT_EQ(AnsiToUtf16("Caf\xE9 \x80"), u"Caf\u00E9 \u0080");
    EXPECT_EQ(Utf16ToAnsi(u"Caf\u00E9 \u20AC"), "Caf\xE9 ?");
}

class SimPluginSpoolerTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        World world = *FreshImage(GetParam());
        environment_ = world.os.is64Bit ? "Windows x64" : "Windows NT x86";
        test::StageProductFiles(world, environment_);
        sim_ = std::make_unique<Simulation>(std::move(world), Bitness::x86);
        ASSERT_TRUE(test::RegisterProduct(sim_->spooler(), environment_));
        ports::PrinterHandle added;
        ASSERT_EQ(sim_->spooler().addPrinter(test::ProductPrinter("Till \xE9"), added), err::Success);
        sim_->spooler().closePrinter(added);
        ASSERT_EQ(plugin().openPrinter(u"Till \u00E9", ports::spool::PrinterAllAccess, handle_), err::Success);
    }
    void TearDown() override { EXPECT_EQ(plugin().closePrinter(handle_), err::Success); }

    SimPluginSpooler& plugin() { return sim_->pluginSpooler(); }

    std::string environment_;
    std::unique_ptr<Simulation> sim_;
    ports::PrinterHandle handle_;
};

TEST_P(SimPluginSpoolerTest, LevelTwoNeedsABufferOfTheRecordsSize) {
    ports::PrinterInfo2W info;
    info.comment = u"untouched";
    std::uint32_t needed = 0;
    ASSERT_EQ(plugin().getPrinter(handle_, 0, info, needed), err::InsufficientBuffer);
    EXPECT_EQ(info.comment, u"untouched");
    // At least the fixed part of PRINTER_INFO_2W of the spooler's bitness.
    EXPECT_GE(needed, std::string(GetParam()).ends_with("x64") ? 136u : 84u);
    EXPECT_EQ(plugin().getPrinter(handle_, needed - 1, info, needed), err::InsufficientBuffer);
    ASSERT_EQ(plugin().getPrinter(handle_, needed, info, needed), err::Success);
    EXPECT_EQ(info.printerName, u"Till \u00E9");
    EXPECT_EQ(info.driverName, u"NORVEX KVT-580duo");
}

TEST_P(SimPluginSpoolerTest, TextDataIsWideForThePluginAndNarrowForSetup) {
    const std::vector<std::uint8_t> wide{'O', 0, 'K', 0, 0xE9, 0, 0, 0};
    ASSERT_EQ(plugin().setPrinterData(handle_, u"Note", reg::TypeSz, wide.data(),
                                      static_cast<std::uint32_t>(wide.size())), err::Success);

    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    EXPECT_EQ(plugin().getPrinterData(handle_, u"Note", 2, value, needed), err::MoreData);
    EXPECT_EQ(needed, wide.size());
    ASSERT_EQ(plugin().getPrinterData(handle_, u"Note", needed, value, needed), err::Success);
    EXPECT_EQ(value.data, wide);
    EXPECT_EQ(plugin().getPrinterData(handle_, u"Missing", 64, value, needed), err::FileNotFound);

    ports::PrinterHandle setup;
    ASSERT_EQ(sim_->spooler().openPrinter("Till \xE9", nullptr, setup), err::Success);
    ASSERT_EQ(sim_->spooler().getPrinterData(setup, "Note", 64, value, needed), err::Success);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{'O', 'K', 0xE9, 0}));
    sim_->spooler().closePrinter(setup);
}

TEST_P(SimPluginSpoolerTest, PrinterDataNeedsABufferEvenWhenEmpty) {
    const std::uint8_t none[1] = {};
    EXPECT_EQ(plugin().setPrinterData(handle_, u"Cleared", reg::TypeBinary, nullptr, 0), err::InvalidParameter);
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    EXPECT_EQ(plugin().getPrinterData(handle_, u"Cleared", 64, value, needed), err::FileNotFound);

    ASSERT_EQ(plugin().setPrinterData(handle_, u"Cleared", reg::TypeBinary, none, 0), err::Success);
    ASSERT_EQ(plugin().getPrinterData(handle_, u"Cleared", 64, value, needed), err::Success);
    EXPECT_TRUE(value.data.empty());
}

TEST_P(SimPluginSpoolerTest, ThePluginsCallsLeaveTheProgramsFaultPlan) {
    sim_->faults().failCall("Spooler.getPrinter", err::AccessDenied, 1);
    const std::uint32_t before = sim_->faults().callCount("PluginSpooler.getPrinter");
    ports::PrinterInfo2W info;
    std::uint32_t needed = 0;
    plugin().getPrinter(handle_, 0, info, needed);
    EXPECT_EQ(plugin().getPrinter(handle_, needed, info, needed), err::Success);
    EXPECT_EQ(sim_->faults().callCount("Spooler.getPrinter"), 0u);
    EXPECT_EQ(sim_->faults().callCount("PluginSpooler.getPrinter"), before + 2);
}

INSTANTIATE_TEST_SUITE_P(Systems, SimPluginSpoolerTest, ::testing::Values("win10-x64", "win7-x86"),
                         [](const auto& p) {
                             std::string name = p.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace kvt::sim
