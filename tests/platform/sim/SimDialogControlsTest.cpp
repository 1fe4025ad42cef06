// The simulated dialog: its controls' state, what it tells the dialog
// procedure, and the user's actions on it.
#include "platform/sim/SimDialogControls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>


namespace kvt::sim {
namespace {

using Message = std::pair<int, int>;  // id, notification or scroll code

// A dialog procedure that writes down what reaches it.
class Recorder final : public ports::DialogModel {
public:
    bool onInit() override { return true; }
    bool onCommand(int id, int notification) override {
        commands.emplace_back(id, notification);
        return true;
    }
    bool onScroll(int id, int code) override {
        scrolls.emplace_back(id, code);
        return true;
    }
    std::vector<Message> commands, scrolls;
};

constexpr int kEdit = 10, kDigits = 11, kCheck = 12, kRadio1 = 13, kRadio2 = 14, kOther = 15, kCombo = 16,
              kList = 17, kBar = 18, kButton = 19, kOff = 20;

SimControlTemplate Control(int id, SimControlKind kind, std::u16string text = {}) {
    SimControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    return control;
}

std::vector<SimControlTemplate> Layout() {
    SimControlTemplate digits = Control(kDigits, SimControlKind::Edit);
    digits.numberOnly = true;
    SimControlTemplate radio1 = Control(kRadio1, SimControlKind::RadioButton, u"One");
    SimControlTemplate radio2 = Control(kRadio2, SimControlKind::RadioButton, u"Two");
    SimControlTemplate other = Control(kOther, SimControlKind::RadioButton, u"Other group");
    radio1.group = radio2.group = 1;
    other.group = 2;
    SimControlTemplate off = Control(kOff, SimControlKind::PushButton, u"Off");
    off.enabled = false;
    return {Control(kEdit, SimControlKind::Edit),
            digits,
            Control(kCheck, SimControlKind::CheckBox, u"Box"),
            radio1,
            radio2,
            other,
            Control(kCombo, SimControlKind::ComboBox),
            Control(kList, SimControlKind::ListBox),
            Control(kBar, SimControlKind::ScrollBar),
            Control(kButton, SimControlKind::PushButton, u"Go"),
            off};
}

class SimDialogControlsTest : public ::testing::Test {
protected:
    SimDialogControlsTest() { dialog.attach(recorder); }

    SimMessageBoxes boxes;
    SimDialogControls dialog{"Test", Layout(), boxes};
    Recorder recorder;
};

TEST_F(SimDialogControlsTest, SettingAnEditsTextSendsEnChange) {
    dialog.setText(kEdit, u"abc");
    dialog.setText(kButton, u"Stop");
    EXPECT_EQ(dialog.text(kEdit), u"abc");
    EXPECT_EQ(dialog.text(kButton), u"Stop");
    EXPECT_EQ(recorder.commands, (std::vector<Message>{{kEdit, ports::notify::EditChange}}));
}

TEST_F(SimDialogControlsTest, TypingHonoursTheLimitAndDigitsOnly) {
    dialog.limitText(kEdit, 3);
    dialog.setText(kEdit, u"longer than the limit");
    EXPECT_EQ(dialog.text(kEdit), u"longer than the limit") << "a limit binds the user only";
    ASSERT_TRUE(dialog.type(kEdit, u"abcdef"));
    EXPECT_EQ(dialog.text(kEdit), u"abc");
    ASSERT_TRUE(dialog.type(kDigits, u"a1-2.3"));
    EXPECT_EQ(dialog.text(kDigits), u"123");
    dialog.limitText(kEdit, 0);
    ASSERT_TRUE(dialog.type(kEdit, u"abcdef"));
    EXPECT_EQ(dialog.text(kEdit), u"abcdef") << "0 lifts the limit";
}

TEST_F(SimDialogControlsTest, TheFocusLeavingAnEditIsReportedFirst) {
    ASSERT_TRUE(dialog.type(kEdit, u"x"));
    recorder.commands.clear();
    ASSERT_TRUE(dialog.click(kButton));
    EXPECT_EQ(recorder.commands, (std::vector<Message>{{kEdit, ports::notify::EditKillFocus},
                                                       {kButton, ports::notify::ButtonClicked}}));
    recorder.commands.clear();
    ASSERT_TRUE(dialog.leave(kDigits));
    EXPECT_EQ(recorder.commands, (std::vector<Message>{{kDigits, ports::notify::EditSetFocus},
                                                       {kDigits, ports::notify::EditKillFocus}}));
    EXPECT_FALSE(dialog.focus().has_value());
}

TEST_F(SimDialogControlsTest, AutoButtonsToggleAndRadioGroupsExclude) {
    ASSERT_TRUE(dialog.click(kCheck));
    EXPECT_TRUE(dialog.checked(kCheck));
    ASSERT_TRUE(dialog.click(kCheck));
    EXPECT_FALSE(dialog.checked(kCheck));
    dialog.setChecked(kOther, true);
    ASSERT_TRUE(dialog.click(kRadio1));
    ASSERT_TRUE(dialog.click(kRadio2));
    EXPECT_FALSE(dialog.checked(kRadio1));
    EXPECT_TRUE(dialog.checked(kRadio2));
    EXPECT_TRUE(dialog.checked(kOther)) << "another group stays";
    dialog.setChecked(kRadio1, true);
    EXPECT_TRUE(dialog.checked(kRadio2)) << "a program's check does not clear the group";
}

TEST_F(SimDialogControlsTest, ListsSelectWithinTheirEntries) {
    for (int id : {kCombo, kList}) {
        dialog.addListItem(id, u"a");
        dialog.addListItem(id, u"b");
        EXPECT_EQ(dialog.listCount(id), 2);
        dialog.selectListItem(id, 1);
        EXPECT_EQ(dialog.listSelection(id), 1);
        EXPECT_EQ(dialog.listItemText(id, 1), u"b");
        EXPECT_EQ(dialog.listItemText(id, 2), std::nullopt);
        dialog.selectListItem(id, 2);
        EXPECT_EQ(dialog.listSelection(id), -1) << "an index past the list clears the selection";
        dialog.selectListItem(id, 0);
        dialog.resetList(id);
        EXPECT_EQ(dialog.listCount(id), 0);
        EXPECT_EQ(dialog.listSelection(id), -1);
    }
    EXPECT_TRUE(recorder.commands.empty()) << "a program's selection sends nothing";
}

TEST_F(SimDialogControlsTest, ChoosingAnEntryNotifiesAsWindowsDoes) {
    dialog.addListItem(kCombo, u"a");
    dialog.addListItem(kCombo, u"b");
    dialog.selectListItem(kCombo, 0);
    ASSERT_TRUE(dialog.choose(kCombo, 1));
    EXPECT_EQ(recorder.commands, (std::vector<Message>{{kCombo, ports::notify::ComboSetFocus},
                                                       {kCombo, ports::notify::ComboDropDown},
                                                       {kCombo, ports::notify::SelectionChange},
                                                       {kCombo, ports::notify::ComboCloseUp},
                                                       {kCombo, ports::notify::ComboSelectionEnd}}));
    recorder.commands.clear();
    ASSERT_TRUE(dialog.choose(kCombo, 1));
    EXPECT_EQ(std::count(recorder.commands.begin(), recorder.commands.end(),
                         Message{kCombo, ports::notify::SelectionChange}),
              0)
        << "the same entry again is no selection change";
    EXPECT_FALSE(dialog.choose(kCombo, 2));
    dialog.addListItem(kList, u"x");
    recorder.commands.clear();
    ASSERT_TRUE(dialog.choose(kList, 0));
    EXPECT_EQ(recorder.commands.back(), (Message{kList, ports::notify::SelectionChange}));
}

TEST_F(SimDialogControlsTest, AnArrowClickEndsWithEndScroll) {
    ASSERT_TRUE(dialog.arrow(kBar, true));
    ASSERT_TRUE(dialog.arrow(kBar, false));
    EXPECT_EQ(recorder.scrolls, (std::vector<Message>{{kBar, ports::scroll::LineUp},
                                                      {kBar, ports::scroll::EndScroll},
                                                      {kBar, ports::scroll::LineDown},
                                                      {kBar, ports::scroll::EndScroll}}));
}

TEST_F(SimDialogControlsTest, ScrollPositionsStayWithinTheRange) {
    dialog.setScrollRange(kBar, 51, 249, false);
    dialog.setScrollPosition(kBar, 250, false);
    EXPECT_EQ(dialog.control(kBar)->scrollPosition, 249);
    dialog.setScrollPosition(kBar, 50, true);
    EXPECT_EQ(dialog.control(kBar)->scrollPosition, 51);
    dialog.setScrollPosition(kBar, 100, true);
    dialog.setScrollRange(kBar, 1, 10, false);
    EXPECT_EQ(dialog.control(kBar)->scrollPosition, 10);
}

TEST_F(SimDialogControlsTest, DisabledHiddenAndWrongControlsTakeNoAction) {
    EXPECT_FALSE(dialog.click(kOff));
    dialog.enable(kEdit, false);
    EXPECT_FALSE(dialog.type(kEdit, u"x"));
    EXPECT_FALSE(dialog.click(kEdit));
    EXPECT_FALSE(dialog.arrow(kButton, true));
    EXPECT_FALSE(dialog.type(999, u"x"));
    EXPECT_TRUE(recorder.commands.empty());
    EXPECT_EQ(dialog.strayCalls(), 0u) << "the user's attempts are not the program's calls";
    dialog.setText(999, u"x");
    EXPECT_EQ(dialog.text(999), u"");
    EXPECT_EQ(dialog.strayCalls(), 2u);
}

TEST_F(SimDialogControlsTest, ChangedIsRecordedOnceUntilCleared) {
    Transcript transcript;
    dialog.setTranscript(&transcript);
    dialog.markChanged();
    dialog.markChanged();
    EXPECT_TRUE(dialog.changed());
    EXPECT_EQ(dialog.changedCount(), 2);
    dialog.clearChanged();
    EXPECT_FALSE(dialog.changed());
    dialog.markChanged();
    ASSERT_EQ(transcript.events().size(), 2u);
    EXPECT_EQ(transcript.events()[0], (nlohmann::json{{"event", "changed"}, {"window", "Test"}}));
}

TEST_F(SimDialogControlsTest, MessageBoxesTakeTheirScriptedAnswers) {
    boxes.add({u"update", ports::MessageAnswer::Yes});
    boxes.add({std::nullopt, ports::MessageAnswer::Cancel});
    Transcript transcript;
    dialog.setTranscript(&transcript);
    EXPECT_EQ(dialog.messageBox(u"Refused.", u"Error", ports::MessageIcon::Error, ports::MessageButtons::Ok),
              ports::MessageAnswer::Ok)
        << "a box with only OK is answered OK";
    EXPECT_EQ(dialog.messageBox(u"Do you want to update?", u"Question", ports::MessageIcon::Information,
                                ports::MessageButtons::YesNo),
              ports::MessageAnswer::Yes);
    EXPECT_EQ(dialog.messageBox(u"Again?", u"Question", ports::MessageIcon::Information, ports::MessageButtons::YesNo),
              ports::MessageAnswer::No)
        << "without an answer, No";
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[1].caption, u"Question");
    EXPECT_EQ(transcript.events()[1]["answer"], "yes");
    EXPECT_EQ(transcript.events()[1]["icon"], "information");
    EXPECT_EQ(transcript.events()[1]["buttons"], "yesNo");
}

TEST_F(SimDialogControlsTest, ModalDialogsRunThroughTheRunnerAndEnd) {
    std::vector<std::uint16_t> opened;
    dialog.runModalDialog(118);
    dialog.setModalRunner([&opened](std::uint16_t id) { opened.push_back(id); });
    dialog.runModalDialog(118);
    EXPECT_EQ(opened, std::vector<std::uint16_t>{118});
    EXPECT_FALSE(dialog.endResult().has_value());
    dialog.endDialog(1);
    EXPECT_EQ(dialog.endResult(), 1);
}

}  // namespace
}  // namespace kvt::sim
