// Forms and the default device mode through the plug-in's spooler port on
// the simulated spooler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SimPluginSpooler.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::sim {
namespace {

class SimPluginSpoolerFormsTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override { ASSERT_TRUE(prepare()); }
    void TearDown() override { closeSheet(); }
    SimPluginSpooler& plugin() { return sim.pluginSpooler(); }
};

TEST_F(SimPluginSpoolerFormsTest, FormsAreTheServersInWideText) {
    addForm("Caf\xE9[580duo]", 0, 60000, 100000);
    std::vector<ports::FormInfo1W> forms;
    ASSERT_EQ(plugin().enumForms(printer, forms), err::Success);
    ASSERT_FALSE(forms.empty());
    EXPECT_EQ(forms.back(), (ports::FormInfo1W{0, u"Caf\u00E9[580duo]", 60000, 100000, 0, 0, 60000, 100000}));
    EXPECT_EQ(forms.front().flags, ports::spool::FormBuiltin);

    ports::FormInfo1W read;
    ASSERT_EQ(plugin().getForm(printer, u"CAF\u00E9[580DUO]", read), err::Success) << "names ignore letter case";
    EXPECT_EQ(read.name, u"Caf\u00E9[580duo]");
    EXPECT_EQ(plugin().getForm(printer, u"Missing", read), err::InvalidFormName);
}

TEST_F(SimPluginSpoolerFormsTest, AddChangeAndDeleteAUserForm) {
    const ports::FormInfo1W slip{0, u"Slip[580duo]", 60000, 100000, 0, 0, 60000, 100000};
    ASSERT_EQ(plugin().addForm(printer, slip), err::Success);
    EXPECT_EQ(plugin().addForm(printer, slip), err::FileExists);
    ports::FormInfo1W wider = slip;
    wider.width = wider.right = 70000;
    ASSERT_EQ(plugin().setForm(printer, u"Slip[580duo]", wider), err::Success);
    EXPECT_EQ(form("Slip[580duo]")->width, 70000);
    ports::FormInfo1W inverted = slip;
    inverted.right = 80000;
    EXPECT_EQ(plugin().setForm(printer, u"Slip[580duo]", inverted), err::InvalidFormSize);
    ASSERT_EQ(plugin().deleteForm(printer, u"Slip[580duo]"), err::Success);
    EXPECT_EQ(form("Slip[580duo]"), nullptr);
    EXPECT_EQ(plugin().deleteForm(printer, u"A4"), err::AccessDenied) << "built-in forms stay";
}

TEST_F(SimPluginSpoolerFormsTest, EachFormCallCanBeMadeToFail) {
    for (const char* method : {"enumForms", "getForm", "addForm", "setForm", "deleteForm"}) {
        sim.faults().clearPlans();
        sim.faults().failCall(std::string("PluginSpooler.") + method, err::AccessDenied);
        std::vector<ports::FormInfo1W> forms;
        ports::FormInfo1W form{0, u"X[580duo]", 1000, 1000, 0, 0, 1000, 1000};
        std::uint32_t result = 0;
        const std::string name = method;
        if (name == "enumForms") result = plugin().enumForms(printer, forms);
        if (name == "getForm") result = plugin().getForm(printer, u"A4", form);
        if (name == "addForm") result = plugin().addForm(printer, form);
        if (name == "setForm") result = plugin().setForm(printer, u"X[580duo]", form);
        if (name == "deleteForm") result = plugin().deleteForm(printer, u"X[580duo]");
        EXPECT_EQ(result, err::AccessDenied) << method;
        EXPECT_EQ(sim.lastError(), err::AccessDenied) << method;
    }
}

TEST_F(SimPluginSpoolerFormsTest, TheDefaultDeviceModeIsReadAndWrittenWithTheSettings) {
    ports::DevModeW devmode;
    ASSERT_EQ(plugin().getDefaultDevMode(printer, u"Till 1", devmode), err::Success);
    EXPECT_EQ(devmode.copies, 1);
    EXPECT_EQ(devmode.defaultSource, 263);
    devmode.copies = 4;
    devmode.color = ports::devmode_color::Color;
    devmode.formName = u"80 x 297 mm[580duo]";
    devmode.paperSize = 0;
    devmode.paperWidth = 800;
    devmode.paperLength = 2970;
    ASSERT_EQ(plugin().validateDevMode(printer, u"Till 1", devmode), err::Success);
    ports::PrinterInfo2W info;
    std::uint32_t needed = 0;
    plugin().getPrinter(printer, 0, info, needed);
    ASSERT_EQ(plugin().getPrinter(printer, needed, info, needed), err::Success);
    info.comment = u"Counter";
    ASSERT_EQ(plugin().setPrinterDevMode(printer, info, devmode), err::Success);

    const DevModeRecord stored = this->devmode();
    EXPECT_EQ(stored.copies, 4);
    EXPECT_EQ(stored.color, 2);
    EXPECT_EQ(stored.formName, "80 x 297 mm[580duo]");
    EXPECT_EQ(stored.paperWidth, 800);
    EXPECT_EQ(stored.paperLength, 2970);

    // The stored record is the one an image saves and the next spooler reads.
    const nlohmann::json image = SaveImage(sim.snapshot());
    const auto& saved = image["spooler"]["printers"][0];
    EXPECT_EQ(saved["comment"], "Counter");
    EXPECT_EQ(saved["devmode"]["copies"], 4);
    EXPECT_EQ(saved["devmode"]["formName"], "80 x 297 mm[580duo]");
}

TEST_F(SimPluginSpoolerFormsTest, ARefusedSettingKeepsTheOldDeviceMode) {
    ports::DevModeW devmode;
    ASSERT_EQ(plugin().getDefaultDevMode(printer, u"Till 1", devmode), err::Success);
    devmode.copies = 9;
    ports::PrinterInfo2W info;
    std::uint32_t needed = 0;
    plugin().getPrinter(printer, 0, info, needed);
    ASSERT_EQ(plugin().getPrinter(printer, needed, info, needed), err::Success);
    info.printProcessor = u"Unknown";
    EXPECT_EQ(plugin().setPrinterDevMode(printer, info, devmode), err::UnknownPrintProcessor);
    EXPECT_EQ(this->devmode().copies, 1);
    EXPECT_EQ(plugin().getDefaultDevMode({0x1}, u"Till 1", devmode), err::InvalidHandle);
}

}  // namespace
}  // namespace kvt::sim
