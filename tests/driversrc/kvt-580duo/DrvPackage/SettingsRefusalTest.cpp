// The pages and the paper-size dialog for a user without administrator
// rights: the sheet's handle may only print and the server's forms may not
// be changed, so every write is refused. The user is told, the entries stay
// on screen, and the stored settings stay as they were.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/DocumentSettingsPage.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PaperPage.h"
#include "driversrc/kvt-580duo/DrvPackage/SettingsRefusal.h"
#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::plugin {
namespace {

class SettingsRefusalTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override {
        sim.world().elevated = false;
        ASSERT_TRUE(prepare());
        addForm("80 x 297 mm[580duo]", 2, 80000, 297000);
        addForm("Slip[580duo]", 0, 60000, 100000);
        storedMisc = printerData("MISC");
        storedDevMode = devmode();
    }
    void TearDown() override { closeSheet(); }

    template <class Model>
    std::unique_ptr<Model> openPage(std::uint16_t dialogId) {
        dialog = openDialog(dialogId, "page");
        auto model = std::make_unique<Model>(*dialog, sim.pluginSpooler(), codePage, state);
        dialog->attach(*model);
        model->onInit();
        dialog->clearChanged();
        return model;
    }

    void expectToldOnce() {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, kAdministratorRightsText);
        EXPECT_EQ(boxes.shown()[0].caption, kAdministratorRightsCaption);
        EXPECT_EQ(boxes.shown()[0].icon, ports::MessageIcon::Error);
    }

    void expectStoredSettingsKept() {
        EXPECT_EQ(printerData("MISC"), storedMisc);
        EXPECT_EQ(devmode().copies, storedDevMode.copies);
        EXPECT_EQ(devmode().color, storedDevMode.color);
    }

    std::unique_ptr<sim::SimDialogControls> dialog;
    std::vector<std::uint8_t> storedMisc;
    sim::DevModeRecord storedDevMode;
};

TEST_F(SettingsRefusalTest, PaperPageKeepsTheChoicesAndSaysWhy) {
    auto page = openPage<PaperPage>(IDD_PAPER);
    ASSERT_TRUE(dialog->type(IDC_COPIES, u"7"));
    ASSERT_TRUE(dialog->click(IDC_COLOR));
    dialog->focusOut();
    EXPECT_FALSE(page->onApply()) << "the sheet stays open on the page";
    expectToldOnce();
    expectStoredSettingsKept();
    EXPECT_EQ(dialog->control(IDC_COPIES)->text, u"7");
    EXPECT_TRUE(dialog->control(IDC_COLOR)->checked);
    EXPECT_TRUE(dialog->changed()) << "Apply stays available";
}

TEST_F(SettingsRefusalTest, DocumentSettingsPageKeepsTheCommandsAndSaysWhy) {
    const std::vector<std::uint8_t> storedStartDoc = printerData("StartDoc");
    auto page = openPage<DocumentSettingsPage>(IDD_DOCUMENT_SETTINGS);
    ASSERT_TRUE(dialog->type(IDC_LINE_FEEDS, u"9"));
    ASSERT_TRUE(dialog->type(IDC_START_DOC, u"ABC"));
    dialog->focusOut();
    EXPECT_FALSE(page->onApply());
    expectToldOnce();
    expectStoredSettingsKept();
    EXPECT_EQ(printerData("StartDoc"), storedStartDoc);
    EXPECT_EQ(dialog->control(IDC_START_DOC)->text, u"ABC");
    EXPECT_TRUE(dialog->changed());
}

TEST_F(SettingsRefusalTest, PaperSizeDialogKeepsTheEntriesAndSaysWhy) {
    dialog = openDialog(IDD_USER_PAPER_SIZE, "User Defined Paper Size");
    UserPaperSizeDialog model(*dialog, sim.pluginSpooler(), codePage, state);
    dialog->attach(model);
    model.onInit();
    ASSERT_TRUE(dialog->type(IDC_FORM_NAME, u"Coupon"));
    ASSERT_TRUE(dialog->type(IDC_FORM_LENGTH, u"120.0"));
    ASSERT_TRUE(dialog->click(IDC_FORM_SAVE));
    expectToldOnce();
    EXPECT_EQ(form("Coupon[580duo]"), nullptr);
    EXPECT_EQ(dialog->control(IDC_FORM_NAME)->text, u"Coupon");
    EXPECT_EQ(dialog->control(IDC_FORM_LENGTH)->text, u"120.0");

    // Deleting the listed user form is refused the same way; the form stays.
    ASSERT_EQ(dialog->control(IDC_FORM_LIST)->selection, 0);
    ASSERT_TRUE(dialog->click(IDC_FORM_DELETE));
    EXPECT_NE(form("Slip[580duo]"), nullptr);
    EXPECT_EQ(boxes.shown().size(), 2u);
}

}  // namespace
}  // namespace kvt::plugin
