// The Paper page driven through its model on a simulated dialog, with the
// model's forms in the simulated spooler: the size list, copies, colour and
// paper type, what apply writes into the printer's default device mode, and
// the paper-size dialog opened from the page.
#include "driversrc/kvt-580duo/DrvPackage/PaperPage.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"
#include "platform/ports/WinCodes.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::plugin {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Items = std::vector<std::u16string>;
constexpr const char* kWriteDevMode = "PluginSpooler.setPrinterDevMode";

Bytes Misc(std::uint8_t size, std::uint8_t type, std::uint8_t color, std::uint8_t copies) {
    Bytes misc(20, 0);
    misc[10] = 1;
    misc[12] = size;
    misc[13] = type;
    misc[14] = color;
    misc[15] = copies;
    return misc;
}

// What a printer's default device mode holds after the page applied the
// "80 x 297 mm" form, one copy, monochrome receipts.
sim::DevModeRecord AppliedDefaults() {
    sim::DevModeRecord devmode;
    devmode.copies = 1;
    devmode.color = 1;
    devmode.defaultSource = 263;
    devmode.formName = "80 x 297 mm[580duo]";
    devmode.paperSize = 0;
    devmode.paperWidth = 800;
    devmode.paperLength = 2970;
    return devmode;
}

class PaperPageTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override {
        ASSERT_TRUE(prepare());
        addForm("58 x 297 mm[580duo]", 2, 58000, 297000);
        addForm("Label 60 x 40[580duo]", 0, 60000, 40000);
        addForm("80 x 297 mm[580duo]", 2, 80000, 297000);
        addForm("80 x 3276 mm[580duo]", 2, 80000, 3276000);
    }
    void TearDown() override {
        if (dialog) {
            EXPECT_EQ(dialog->strayCalls(), 0u) << "the page named a control the dialog lacks";
        }
        closeSheet();
    }

    void open() {
        dialog = openDialog(IDD_PAPER, "Paper");
        page = std::make_unique<PaperPage>(*dialog, sim.pluginSpooler(), codePage, state);
        dialog->attach(*page);
        dialog->setModalRunner([this](std::uint16_t id) {
            ASSERT_EQ(id, IDD_USER_PAPER_SIZE);
            auto formDialog = openDialog(id, "User Defined Paper Size");
            UserPaperSizeDialog model(*formDialog, sim.pluginSpooler(), codePage, state);
            formDialog->attach(model);
            model.onInit();
            if (inFormDialog) inFormDialog(*formDialog);
            EXPECT_TRUE(formDialog->endResult().has_value()) << "the script closes the dialog";
        });
        EXPECT_TRUE(page->onInit());
        dialog->clearChanged();
    }

    void apply() {
        dialog->focusOut();
        page->onApply();
    }

    const sim::SimControl& control(int id) const { return *dialog->control(id); }
    std::u16string selectedSize() const {
        const sim::SimControl& list = control(IDC_PAPER_SIZE);
        return list.selection < 0 ? u"(none)" : list.items[static_cast<std::size_t>(list.selection)];
    }
    std::uint32_t devModeWrites() { return sim.faults().callCount(kWriteDevMode); }

    std::unique_ptr<sim::SimDialogControls> dialog;
    std::unique_ptr<PaperPage> page;
    std::function<void(sim::SimDialogControls&)> inFormDialog;
};

TEST_F(PaperPageTest, APrinterWithoutMiscOpensOnTheDefaultSize) {
    open();
    EXPECT_EQ(control(IDC_PAPER_SIZE).items,
              (Items{u"58 x 297 mm", u"Label 60 x 40", u"80 x 297 mm", u"80 x 3276 mm"}))
        << "every form of the model, whatever its flags, in the spooler's order";
    EXPECT_EQ(selectedSize(), u"80 x 297 mm");
    EXPECT_EQ(state.misc.bytes[12], 2);
    EXPECT_EQ(control(IDC_PAPER_TYPE).items, (Items{u"Receipt", u"Ticket"}));
    EXPECT_EQ(control(IDC_PAPER_TYPE).selection, 0);
    EXPECT_EQ(control(IDC_PAPER_SOURCE).items, (Items{u"Receipt [Feed]", u"Receipt [No Feed]", u"Form [Feed]"}));
    EXPECT_EQ(control(IDC_PAPER_SOURCE).selection, 0);
    EXPECT_FALSE(control(IDC_PAPER_SOURCE).visible);
    EXPECT_TRUE(control(IDC_MONOCHROME).checked);
    EXPECT_FALSE(control(IDC_COLOR).checked);
    EXPECT_EQ(control(IDC_COPIES).text, u"1");
    EXPECT_EQ(control(IDC_COPIES).limit, 3u);
    EXPECT_EQ(control(IDC_COPIES_ARROWS).scrollMinimum, 1);
    EXPECT_EQ(control(IDC_COPIES_ARROWS).scrollMaximum, 255);
}

TEST_F(PaperPageTest, WithoutTheDefaultFormTheFirstSizeIsSelected) {
    std::erase_if(sim.world().spooler.forms, [](const sim::FormRecord& f) { return f.name == "80 x 297 mm[580duo]"; });
    open();
    EXPECT_EQ(selectedSize(), u"58 x 297 mm");
}

TEST_F(PaperPageTest, StoredSettingsAreShown) {
    Bytes misc = Misc(1, 1, 1, 42);
    misc[11] = 2;
    setPrinterData("MISC", misc);
    open();
    EXPECT_EQ(selectedSize(), u"Label 60 x 40");
    EXPECT_EQ(control(IDC_PAPER_TYPE).selection, 1);
    EXPECT_EQ(control(IDC_PAPER_SOURCE).selection, 2);
    EXPECT_TRUE(control(IDC_COLOR).checked);
    EXPECT_FALSE(control(IDC_MONOCHROME).checked);
    EXPECT_EQ(control(IDC_COPIES).text, u"42");
}

TEST_F(PaperPageTest, AStoredIndexPastTheListSelectsNothing) {
    setPrinterData("MISC", Misc(9, 7, 0, 1));
    open();
    EXPECT_EQ(control(IDC_PAPER_SIZE).selection, -1);
    EXPECT_EQ(control(IDC_PAPER_TYPE).selection, -1);
    apply();
    const Bytes misc = printerData("MISC");
    EXPECT_EQ(misc[12], 2) << "no form behind the entry: the default size";
    EXPECT_EQ(misc[13], 255) << "a list without selection";
}

struct CopiesRow {
    const char* name;
    const char16_t* typed;
    const char16_t* shown;
};

class CopiesLeaveTest : public PaperPageTest, public ::testing::WithParamInterface<CopiesRow> {};

TEST_P(CopiesLeaveTest, LeavingTheEditKeepsCopiesInRange) {
    open();
    ASSERT_TRUE(dialog->type(IDC_COPIES, GetParam().typed));
    ASSERT_TRUE(dialog->leave(IDC_COPIES));
    EXPECT_EQ(control(IDC_COPIES).text, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, CopiesLeaveTest,
                         ::testing::Values(CopiesRow{"Zero", u"0", u"1"}, CopiesRow{"Empty", u"", u"1"},
                                           CopiesRow{"TooMany", u"300", u"255"}, CopiesRow{"Max", u"255", u"255"},
                                           CopiesRow{"DigitsOnly", u"-7", u"7"},
                                           CopiesRow{"ThreeDigitsAtMost", u"1234", u"123"}),
                         [](const auto& row) { return std::string(row.param.name); });

struct CopiesArrowRow {
    const char* name;
    const char16_t* before;
    bool up;
    const char16_t* after;
    int position;
};

class CopiesArrowTest : public PaperPageTest, public ::testing::WithParamInterface<CopiesArrowRow> {};

TEST_P(CopiesArrowTest, StepsAndWrapsAround) {
    const CopiesArrowRow& row = GetParam();
    open();
    dialog->setText(IDC_COPIES, row.before);
    dialog->clearChanged();
    ASSERT_TRUE(dialog->arrow(IDC_COPIES_ARROWS, row.up));
    EXPECT_EQ(control(IDC_COPIES).text, row.after);
    EXPECT_EQ(control(IDC_COPIES_ARROWS).scrollPosition, row.position);
    EXPECT_TRUE(dialog->changed());
}

INSTANTIATE_TEST_SUITE_P(Rows, CopiesArrowTest,
                         ::testing::Values(CopiesArrowRow{"Up", u"5", true, u"6", 6},
                                           CopiesArrowRow{"Down", u"5", false, u"4", 4},
                                           CopiesArrowRow{"UpFrom255", u"255", true, u"1", 1},
                                           CopiesArrowRow{"DownFrom1", u"1", false, u"255", 255},
                                           CopiesArrowRow{"UpFromTooMany", u"999", true, u"1", 1},
                                           CopiesArrowRow{"DownFromEmpty", u"", false, u"255", 255}),
                         [](const auto& row) { return std::string(row.param.name); });

struct TypeRow {
    const char* name;
    std::int32_t storedSource;
    int chosen;
    std::int32_t source;
    std::uint32_t writes;
};

class PaperTypeApplyTest : public PaperPageTest, public ::testing::WithParamInterface<TypeRow> {};

TEST_P(PaperTypeApplyTest, WritesTheSourceOnlyWhenItChanges) {
    const TypeRow& row = GetParam();
    sim::DevModeRecord stored = AppliedDefaults();
    stored.defaultSource = row.storedSource;
    setDevMode(stored);
    open();
    ASSERT_TRUE(dialog->choose(IDC_PAPER_TYPE, row.chosen));
    const std::uint32_t before = devModeWrites();
    apply();
    EXPECT_EQ(devModeWrites() - before, row.writes);
    EXPECT_EQ(devmode().defaultSource, row.source);
    EXPECT_EQ(printerData("MISC")[13], row.chosen);
}

INSTANTIATE_TEST_SUITE_P(Rows, PaperTypeApplyTest,
                         ::testing::Values(TypeRow{"Ticket", 263, 1, 264, 1}, TypeRow{"Receipt", 264, 0, 263, 1},
                                           TypeRow{"TicketAlready", 264, 1, 264, 0},
                                           TypeRow{"ReceiptAlready", 263, 0, 263, 0},
                                           TypeRow{"FromFormSource", 15, 1, 264, 1}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(PaperPageTest, ApplyingWithoutChangesWritesMiscButNoDeviceMode) {
    setDevMode(AppliedDefaults());
    open();
    const std::uint32_t before = devModeWrites();
    apply();
    EXPECT_EQ(devModeWrites(), before);
    EXPECT_EQ(printerData("MISC"), Misc(2, 0, 0, 1));
    EXPECT_EQ(sim.faults().callCount("PluginSpooler.validateDevMode"), 0u);
}

TEST_F(PaperPageTest, ColorAndCopiesBecomeThePrinterDefaults) {
    setDevMode(AppliedDefaults());
    open();
    ASSERT_TRUE(dialog->click(IDC_COLOR));
    ASSERT_TRUE(dialog->type(IDC_COPIES, u"3"));
    apply();
    EXPECT_EQ(devmode().color, 2);
    EXPECT_EQ(devmode().copies, 3);
    EXPECT_EQ(devModeWrites(), 2u);
    EXPECT_EQ(printerData("MISC"), Misc(2, 0, 1, 3));
    ASSERT_TRUE(dialog->click(IDC_MONOCHROME));
    apply();
    EXPECT_EQ(devmode().color, 1);
}

// Enter in the copies edit applies while the edit keeps the focus: the
// number is still kept to what leaving the edit allows.
TEST_F(PaperPageTest, CopiesAppliedWithoutLeavingTheEditStayInRange) {
    setDevMode(AppliedDefaults());
    open();
    ASSERT_TRUE(dialog->type(IDC_COPIES, u"300"));
    page->onApply();
    EXPECT_EQ(printerData("MISC")[15], 255);
    EXPECT_EQ(devmode().copies, 255);
    ASSERT_TRUE(dialog->type(IDC_COPIES, u"0"));
    page->onApply();
    EXPECT_EQ(printerData("MISC")[15], 1);
    EXPECT_EQ(devmode().copies, 1);
}

struct SizeRow {
    const char* name;
    int chosen;
    std::uint32_t writes;
    const char* formName;
    std::int32_t width, length;
};

class PaperSizeApplyTest : public PaperPageTest, public ::testing::WithParamInterface<SizeRow> {};

TEST_P(PaperSizeApplyTest, WritesTheFormOnlyWhenItsSizeDiffers) {
    const SizeRow& row = GetParam();
    sim::DevModeRecord stored = AppliedDefaults();
    stored.formName = "Old[580duo]";
    stored.paperSize = 9;
    setDevMode(stored);
    open();
    ASSERT_TRUE(dialog->choose(IDC_PAPER_SIZE, row.chosen));
    apply();
    EXPECT_EQ(devModeWrites(), row.writes);
    EXPECT_EQ(sim.faults().callCount("PluginSpooler.validateDevMode"), row.writes) << "the driver checks each write";
    const sim::DevModeRecord after = devmode();
    EXPECT_EQ(after.formName, row.formName);
    EXPECT_EQ(after.paperWidth, row.width);
    EXPECT_EQ(after.paperLength, row.length);
    EXPECT_EQ(after.paperSize, row.writes ? 0 : 9);
    EXPECT_EQ(printerData("MISC")[12], row.chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PaperSizeApplyTest,
    ::testing::Values(SizeRow{"SameSizeWritesNothing", 2, 0, "Old[580duo]", 800, 2970},
                      SizeRow{"OtherWidth", 0, 1, "58 x 297 mm[580duo]", 580, 2970},
                      SizeRow{"OtherLength", 3, 1, "80 x 3276 mm[580duo]", 800, 32760},
                      SizeRow{"UserForm", 1, 1, "Label 60 x 40[580duo]", 600, 400}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(PaperPageTest, ASizeWhoseFormIsGoneFallsBackToTheDefault) {
    setDevMode(AppliedDefaults());
    open();
    ASSERT_TRUE(dialog->choose(IDC_PAPER_SIZE, 0));
    std::erase_if(sim.world().spooler.forms, [](const sim::FormRecord& f) { return f.name == "58 x 297 mm[580duo]"; });
    apply();
    EXPECT_EQ(printerData("MISC")[12], 2);
    EXPECT_EQ(devModeWrites(), 0u);
}

TEST_F(PaperPageTest, RefusedSpoolerCallsLeaveTheDefaultsAlone) {
    setDevMode(AppliedDefaults());
    open();
    ASSERT_TRUE(dialog->choose(IDC_PAPER_TYPE, 1));
    sim.faults().failCall("PluginSpooler.getDefaultDevMode", err::AccessDenied);
    apply();
    EXPECT_EQ(devmode().defaultSource, 263);
    EXPECT_EQ(printerData("MISC")[13], 1) << "the choice is kept in MISC";
    sim.faults().clearPlans();
    sim.faults().failCall("PluginSpooler.getPrinter", err::AccessDenied);
    apply();
    EXPECT_EQ(devmode().defaultSource, 263);
    sim.faults().clearPlans();
    apply();
    EXPECT_EQ(devmode().defaultSource, 264);
}

struct ChangedRow {
    const char* name;
    std::uint8_t storedColor;
    std::function<bool(sim::SimDialogControls&)> act;
    bool changes;
};

class PaperChangedTest : public PaperPageTest, public ::testing::WithParamInterface<ChangedRow> {};

TEST_P(PaperChangedTest, MarksTheSheetChanged) {
    const ChangedRow& row = GetParam();
    setPrinterData("MISC", Misc(2, 0, row.storedColor, 1));
    open();
    ASSERT_TRUE(row.act(*dialog));
    EXPECT_EQ(dialog->changed(), row.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PaperChangedTest,
    ::testing::Values(
        ChangedRow{"MonochromeAgain", 0, [](auto& d) { return d.click(IDC_MONOCHROME); }, false},
        ChangedRow{"ColorAgain", 1, [](auto& d) { return d.click(IDC_COLOR); }, false},
        ChangedRow{"ToColor", 0, [](auto& d) { return d.click(IDC_COLOR); }, true},
        ChangedRow{"ToMonochrome", 1, [](auto& d) { return d.click(IDC_MONOCHROME); }, true},
        ChangedRow{"OtherSize", 0, [](auto& d) { return d.choose(IDC_PAPER_SIZE, 0); }, true},
        ChangedRow{"SameSize", 0, [](auto& d) { return d.choose(IDC_PAPER_SIZE, 2); }, false},
        ChangedRow{"OpeningTheTypeList", 0, [](auto& d) { return d.choose(IDC_PAPER_TYPE, 0); }, true},
        ChangedRow{"TypingCopies", 0, [](auto& d) { return d.type(IDC_COPIES, u"2"); }, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(PaperPageTest, DeletingTheSelectedFormReturnsToTheDefaultSize) {
    open();
    ASSERT_TRUE(dialog->choose(IDC_PAPER_SIZE, 1));
    dialog->clearChanged();
    inFormDialog = [](sim::SimDialogControls& forms) {
        EXPECT_EQ(forms.control(IDC_FORM_LIST)->items, Items{u"Label 60 x 40"});
        EXPECT_TRUE(forms.click(IDC_FORM_DELETE));
        EXPECT_TRUE(forms.click(IDC_FORM_CLOSE));
    };
    ASSERT_TRUE(dialog->click(IDC_PAPER_SIZE_FORMS));
    EXPECT_EQ(form("Label 60 x 40[580duo]"), nullptr);
    EXPECT_EQ(control(IDC_PAPER_SIZE).items, (Items{u"58 x 297 mm", u"80 x 297 mm", u"80 x 3276 mm"}));
    EXPECT_EQ(selectedSize(), u"80 x 297 mm");
    EXPECT_EQ(printerData("MISC")[12], 1) << "saved at once";
    EXPECT_TRUE(dialog->changed());
}

TEST_F(PaperPageTest, TheSelectedSizeIsKeptWhileItsFormExists) {
    open();
    ASSERT_TRUE(dialog->choose(IDC_PAPER_SIZE, 3));
    inFormDialog = [](sim::SimDialogControls& forms) {
        EXPECT_TRUE(forms.type(IDC_FORM_NAME, u"Slip"));
        EXPECT_TRUE(forms.type(IDC_FORM_WIDTH, u"50"));
        EXPECT_TRUE(forms.type(IDC_FORM_LENGTH, u"100"));
        EXPECT_TRUE(forms.click(IDC_FORM_SAVE));
        EXPECT_TRUE(forms.click(IDC_FORM_CLOSE));
    };
    ASSERT_TRUE(dialog->click(IDC_PAPER_SIZE_FORMS));
    EXPECT_EQ(control(IDC_PAPER_SIZE).items.back(), u"Slip");
    EXPECT_EQ(selectedSize(), u"80 x 3276 mm");
    EXPECT_EQ(printerData("MISC")[12], 3);
}

TEST_F(PaperPageTest, WithoutASelectionTheDialogLeavesTheDefaultSize) {
    setPrinterData("MISC", Misc(9, 0, 0, 1));
    open();
    ASSERT_EQ(control(IDC_PAPER_SIZE).selection, -1);
    inFormDialog = [](sim::SimDialogControls& forms) { EXPECT_TRUE(forms.click(IDC_FORM_CLOSE)); };
    ASSERT_TRUE(dialog->click(IDC_PAPER_SIZE_FORMS));
    EXPECT_EQ(selectedSize(), u"80 x 297 mm");
}

TEST(PaperSourceOfTypeTest, ReceiptTicketAndFormSource) {
    EXPECT_EQ(PaperSourceOfType(0), 263);
    EXPECT_EQ(PaperSourceOfType(1), 264);
    EXPECT_EQ(PaperSourceOfType(2), 15);
    EXPECT_EQ(PaperSourceOfType(255), 15);
}

}  // namespace
}  // namespace kvt::plugin
