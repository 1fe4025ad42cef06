// The User Defined Paper Size dialog driven through its model on a simulated
// dialog over the simulated spooler's forms.
#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "platform/ports/WinCodes.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::plugin {
namespace {

using Items = std::vector<std::u16string>;

class UserPaperSizeDialogTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override {
        ASSERT_TRUE(prepare());
        addForm("80 x 297 mm[580duo]", 2, 80000, 297000);
    }
    void TearDown() override {
        if (dialog) {
            EXPECT_EQ(dialog->strayCalls(), 0u) << "the dialog model named a control the dialog lacks";
        }
        closeSheet();
    }

    void open() {
        dialog = openDialog(IDD_USER_PAPER_SIZE, "User Defined Paper Size");
        model = std::make_unique<UserPaperSizeDialog>(*dialog, sim.pluginSpooler(), codePage, state);
        dialog->attach(*model);
        EXPECT_TRUE(model->onInit());
    }

    // Typed as the user types, then saved with the button.
    void save(std::u16string_view name, std::u16string_view width, std::u16string_view length) {
        ASSERT_TRUE(dialog->type(IDC_FORM_NAME, name));
        ASSERT_TRUE(dialog->type(IDC_FORM_WIDTH, width));
        ASSERT_TRUE(dialog->type(IDC_FORM_LENGTH, length));
        ASSERT_TRUE(dialog->click(IDC_FORM_SAVE));
    }

    std::u16string text(int id) const { return dialog->control(id)->text; }
    const sim::SimControl& list() const { return *dialog->control(IDC_FORM_LIST); }

    std::unique_ptr<sim::SimDialogControls> dialog;
    std::unique_ptr<UserPaperSizeDialog> model;
};

TEST_F(UserPaperSizeDialogTest, WithoutUserFormsItOffersANewOne) {
    open();
    EXPECT_TRUE(list().items.empty());
    EXPECT_EQ(text(IDC_FORM_NAME), u"User Defined Paper Size");
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"72.0");
    EXPECT_EQ(text(IDC_FORM_LENGTH), u"297.0");
    EXPECT_EQ(dialog->control(IDC_FORM_NAME)->limit, 22u);
    EXPECT_EQ(dialog->control(IDC_FORM_WIDTH)->limit, 4u);
    EXPECT_EQ(dialog->control(IDC_FORM_LENGTH)->limit, 6u);

    ASSERT_TRUE(dialog->click(IDC_FORM_SAVE));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, u"This paper name can not be registered.");
    EXPECT_EQ(boxes.shown()[0].caption, u"Error");
    EXPECT_EQ(boxes.shown()[0].icon, ports::MessageIcon::Error);
    EXPECT_EQ(boxes.shown()[0].buttons, ports::MessageButtons::Ok);
    EXPECT_EQ(form("User Defined Paper Size[580duo]"), nullptr);
}

TEST_F(UserPaperSizeDialogTest, ListsTheModelsUserFormsAndShowsTheLast) {
    addForm("Slip[580duo]", 0, 60000, 100000);
    addForm("Other maker[999]", 0, 60000, 100000);
    addForm("Label 25.45 x 3276[580duo]", 0, 25450, 3276000);
    open();
    EXPECT_EQ(list().items, (Items{u"Slip", u"Label 25.45 x 3276"}))
        << "user forms of the model only; the printer form and other forms are not listed";
    EXPECT_EQ(list().selection, 1);
    EXPECT_EQ(text(IDC_FORM_NAME), u"Label 25.45 x 3276");
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"25.5");
    EXPECT_EQ(text(IDC_FORM_LENGTH), u"3276.0");

    dialog->clearChanged();
    ASSERT_TRUE(dialog->choose(IDC_FORM_LIST, 0));
    EXPECT_TRUE(dialog->changed());
    EXPECT_EQ(text(IDC_FORM_NAME), u"Slip");
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"60.0");
    EXPECT_EQ(text(IDC_FORM_LENGTH), u"100.0");
}

struct TypedNameRow {
    const char* name;
    std::u16string typed;
    bool refused;
};

class FormNameTest : public UserPaperSizeDialogTest, public ::testing::WithParamInterface<TypedNameRow> {};

TEST_P(FormNameTest, RefusesEmptyLongAndReservedNames) {
    const TypedNameRow& row = GetParam();
    open();
    dialog->setText(IDC_FORM_NAME, row.typed);
    ASSERT_TRUE(dialog->click(IDC_FORM_SAVE));
    EXPECT_EQ(boxes.shown().size(), row.refused ? 1u : 0u);
    EXPECT_EQ(form(sim::Utf16ToAnsi(row.typed) + "[580duo]") != nullptr, !row.refused);
}

INSTANTIATE_TEST_SUITE_P(Rows, FormNameTest,
                         ::testing::Values(TypedNameRow{"Empty", u"", true},
                                           TypedNameRow{"Reserved", u"User Defined Paper Size", true},
                                           TypedNameRow{"TwentyThree", std::u16string(23, u'n'), true},
                                           TypedNameRow{"TwentyTwo", std::u16string(22, u'n'), false},
                                           TypedNameRow{"OneCharacter", u"x", false},
                                           TypedNameRow{"Spaces", u"  ", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(UserPaperSizeDialogTest, TwentyThreeCharactersCannotBeTyped) {
    open();
    ASSERT_TRUE(dialog->type(IDC_FORM_NAME, std::u16string(23, u'n')));
    EXPECT_EQ(text(IDC_FORM_NAME), std::u16string(22, u'n'));
}

struct ClampRow {
    const char* name;
    int edit;
    const char16_t* typed;
    const char16_t* shown;
};

class SizeLeaveTest : public UserPaperSizeDialogTest, public ::testing::WithParamInterface<ClampRow> {};

TEST_P(SizeLeaveTest, LeavingTheEditClampsAndShowsOneDecimal) {
    const ClampRow& row = GetParam();
    open();
    ASSERT_TRUE(dialog->type(row.edit, row.typed));
    dialog->clearChanged();
    ASSERT_TRUE(dialog->leave(row.edit));
    EXPECT_EQ(text(row.edit), row.shown);
    EXPECT_TRUE(dialog->changed());
}

INSTANTIATE_TEST_SUITE_P(Rows, SizeLeaveTest,
                         ::testing::Values(ClampRow{"WidthTooWide", IDC_FORM_WIDTH, u"80", u"72.0"},
                                           ClampRow{"WidthTooNarrow", IDC_FORM_WIDTH, u"10", u"25.4"},
                                           ClampRow{"WidthNotANumber", IDC_FORM_WIDTH, u"abc", u"25.4"},
                                           ClampRow{"WidthInfinity", IDC_FORM_WIDTH, u"inf", u"25.4"},
                                           ClampRow{"WidthHuge", IDC_FORM_WIDTH, u"9e99", u"72.0"},
                                           ClampRow{"WidthKept", IDC_FORM_WIDTH, u"32.3", u"32.3"},
                                           ClampRow{"WidthRounded", IDC_FORM_WIDTH, u"50.2", u"50.2"},
                                           ClampRow{"LengthTooShort", IDC_FORM_LENGTH, u"10", u"25.4"},
                                           ClampRow{"LengthTooLong", IDC_FORM_LENGTH, u"5000", u"3276.0"},
                                           ClampRow{"LengthKept", IDC_FORM_LENGTH, u"297.55", u"297.6"}),
                         [](const auto& row) { return std::string(row.param.name); });

struct StepRow {
    const char* name;
    int arrows, edit;
    const char16_t* before;
    bool up;
    const char16_t* after;
};

class SizeArrowTest : public UserPaperSizeDialogTest, public ::testing::WithParamInterface<StepRow> {};

TEST_P(SizeArrowTest, StepsByATenthWithinTheBounds) {
    const StepRow& row = GetParam();
    open();
    dialog->setText(row.edit, row.before);
    ASSERT_TRUE(dialog->arrow(row.arrows, row.up));
    EXPECT_EQ(text(row.edit), row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SizeArrowTest,
    ::testing::Values(StepRow{"WidthUp", IDC_FORM_WIDTH_ARROWS, IDC_FORM_WIDTH, u"32.3", true, u"32.4"},
                      StepRow{"WidthDown", IDC_FORM_WIDTH_ARROWS, IDC_FORM_WIDTH, u"32.3", false, u"32.2"},
                      StepRow{"WidthStaysAtTop", IDC_FORM_WIDTH_ARROWS, IDC_FORM_WIDTH, u"72.0", true, u"72.0"},
                      StepRow{"WidthStaysAtBottom", IDC_FORM_WIDTH_ARROWS, IDC_FORM_WIDTH, u"25.4", false, u"25.4"},
                      StepRow{"WidthBelowIsRaised", IDC_FORM_WIDTH_ARROWS, IDC_FORM_WIDTH, u"3", true, u"25.4"},
                      StepRow{"LengthUp", IDC_FORM_LENGTH_ARROWS, IDC_FORM_LENGTH, u"297.0", true, u"297.1"},
                      StepRow{"LengthStaysAtTop", IDC_FORM_LENGTH_ARROWS, IDC_FORM_LENGTH, u"3276.0", true,
                              u"3276.0"},
                      StepRow{"LengthDown", IDC_FORM_LENGTH_ARROWS, IDC_FORM_LENGTH, u"25.5", false, u"25.4"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(UserPaperSizeDialogTest, ATenthIsStoredAsThePlatformComputesIt) {
    open();
    save(u"W32", u"32.3", u"100");
    const sim::FormRecord* saved = form("W32[580duo]");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->flags, 0u);
    EXPECT_EQ(saved->width, 32299) << "32.3 times 1000 falls just below 32300";
    EXPECT_EQ(saved->length, 100000);
    EXPECT_EQ(saved->imageable[2], 32299);
    EXPECT_EQ(saved->imageable[3], 100000);
    EXPECT_EQ(list().items, Items{u"W32"});
    EXPECT_EQ(list().selection, 0);
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"32.3");
    EXPECT_EQ(text(IDC_FORM_LENGTH), u"100.0");
}

TEST_F(UserPaperSizeDialogTest, ANameWithABracketIsStoredWholeAndShownToIt) {
    open();
    save(u"Ab[c", u"50", u"50");
    EXPECT_NE(form("Ab[c[580duo]"), nullptr);
    EXPECT_EQ(list().items, Items{u"Ab"});
    EXPECT_EQ(text(IDC_FORM_NAME), u"Ab[c") << "the listed name finds no form, so the edits stay as typed";
}

class ExistingFormTest : public UserPaperSizeDialogTest {
protected:
    void SetUp() override {
        UserPaperSizeDialogTest::SetUp();
        addForm("Slip[580duo]", 0, 60000, 100000);
        addForm("Tag[580duo]", 0, 40000, 30000);
        open();
        ASSERT_TRUE(dialog->choose(IDC_FORM_LIST, 0));
    }
};

TEST_F(ExistingFormTest, AnsweringNoChangesNothing) {
    boxes.add({u"update", ports::MessageAnswer::No});
    save(u"Slip", u"50", u"120");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, u"Do you want to update the paper size?");
    EXPECT_EQ(boxes.shown()[0].caption, u"Question");
    EXPECT_EQ(boxes.shown()[0].icon, ports::MessageIcon::Information);
    EXPECT_EQ(boxes.shown()[0].buttons, ports::MessageButtons::YesNo);
    EXPECT_EQ(form("Slip[580duo]")->width, 60000);
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"50.0") << "the list is not refreshed";
}

TEST_F(ExistingFormTest, AnsweringYesUpdatesTheSizeAndKeepsTheSelection) {
    boxes.add({u"update", ports::MessageAnswer::Yes});
    save(u"Slip", u"50", u"120");
    EXPECT_EQ(form("Slip[580duo]")->width, 50000);
    EXPECT_EQ(form("Slip[580duo]")->length, 120000);
    EXPECT_EQ(list().items, (Items{u"Slip", u"Tag"}));
    EXPECT_EQ(list().selection, 0);
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"50.0");
    EXPECT_EQ(sim.faults().callCount("PluginSpooler.deleteForm"), 0u);
}

TEST_F(ExistingFormTest, ARefusedChangeFallsBackToDeleteAndAdd) {
    boxes.add({u"update", ports::MessageAnswer::Yes});
    sim.faults().failCall("PluginSpooler.setForm", err::AccessDenied);
    save(u"Slip", u"50", u"120");
    ASSERT_NE(form("Slip[580duo]"), nullptr);
    EXPECT_EQ(form("Slip[580duo]")->width, 50000);
    EXPECT_EQ(formNames().back(), "Slip[580duo]") << "added anew at the end";
    EXPECT_EQ(list().items, (Items{u"Slip", u"Tag"})) << "the same position is selected again, not the list rebuilt";
    EXPECT_EQ(list().selection, 0);
    EXPECT_EQ(text(IDC_FORM_NAME), u"Slip");
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"50.0");
}

// The add after the deletion fails: the form as it was comes back, so a
// failed update never costs the user the form.
TEST_F(ExistingFormTest, AFailedReAddRestoresThePreviousForm) {
    boxes.add({u"update", ports::MessageAnswer::Yes});
    sim.faults().failCall("PluginSpooler.setForm", err::AccessDenied);
    sim.faults().failCall("PluginSpooler.addForm", err::NotEnoughMemory, 2);
    save(u"Slip", u"50", u"120");
    const sim::FormRecord* kept = form("Slip[580duo]");
    ASSERT_NE(kept, nullptr) << "the form must not be lost";
    EXPECT_EQ(kept->width, 60000);
    EXPECT_EQ(kept->length, 100000);
    EXPECT_EQ(kept->flags, 0u);
    EXPECT_EQ(sim.faults().callCount("PluginSpooler.addForm"), 3u);
}

TEST_F(ExistingFormTest, ANameInAnotherCaseIsNeitherAddedNorUpdated) {
    save(u"SLIP", u"50", u"120");
    EXPECT_TRUE(boxes.shown().empty()) << "the spooler's names ignore case, the dialog's comparison does not";
    EXPECT_EQ(form("SLIP[580duo]"), nullptr);
    EXPECT_EQ(form("Slip[580duo]")->width, 60000);
    EXPECT_EQ(list().selection, 1) << "the list was rebuilt";
}

TEST_F(ExistingFormTest, DeleteRemovesTheSelectedUserForm) {
    ASSERT_TRUE(dialog->click(IDC_FORM_DELETE));
    EXPECT_EQ(form("Slip[580duo]"), nullptr);
    EXPECT_TRUE(boxes.shown().empty()) << "no confirmation";
    EXPECT_EQ(list().items, Items{u"Tag"});
    EXPECT_EQ(text(IDC_FORM_NAME), u"Tag");
    ASSERT_TRUE(dialog->click(IDC_FORM_DELETE));
    EXPECT_TRUE(list().items.empty());
    EXPECT_EQ(text(IDC_FORM_NAME), u"User Defined Paper Size");
    ASSERT_TRUE(dialog->click(IDC_FORM_DELETE)) << "nothing selected: nothing happens";
    EXPECT_NE(form("80 x 297 mm[580duo]"), nullptr);
}

TEST_F(ExistingFormTest, DeleteLeavesAFormThatIsNoLongerAUserForm) {
    for (sim::FormRecord& f : sim.world().spooler.forms)
        if (f.name == "Slip[580duo]") f.flags = 2;
    ASSERT_TRUE(dialog->click(IDC_FORM_DELETE));
    EXPECT_NE(form("Slip[580duo]"), nullptr);
    EXPECT_EQ(list().items, (Items{u"Slip", u"Tag"})) << "the list is not refreshed";
}

TEST_F(UserPaperSizeDialogTest, EveryCloseEndsWithOne) {
    for (int id : {IDC_FORM_CLOSE, ports::command::Ok, ports::command::Cancel}) {
        open();
        EXPECT_TRUE(model->onCommand(id, ports::notify::ButtonClicked));
        EXPECT_EQ(dialog->endResult(), 1) << id;
    }
    open();
    EXPECT_TRUE(model->onClose());
    EXPECT_FALSE(dialog->endResult().has_value()) << "WM_CLOSE keeps the dialog";
    model->onWindowMenuClose();
    EXPECT_EQ(dialog->endResult(), 1);
}

TEST_F(UserPaperSizeDialogTest, AFormThatCannotBeReadShowsNothingNew) {
    addForm("Slip[580duo]", 0, 60000, 100000);
    sim.faults().failCall("PluginSpooler.getForm", err::InvalidFormName);
    open();
    EXPECT_EQ(list().items, Items{u"Slip"});
    EXPECT_EQ(text(IDC_FORM_NAME), u"");
    EXPECT_EQ(text(IDC_FORM_WIDTH), u"");
}

}  // namespace
}  // namespace kvt::plugin
