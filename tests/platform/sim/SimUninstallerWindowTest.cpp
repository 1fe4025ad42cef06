// The uninstaller's check list and buttons in the simulation: sorted as a
// sorted list box keeps them, out-of-range indexes refused, and only what a
// user would notice in the transcript.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/FreshImage.h"
#include "platform/sim/SimUninstallerWindow.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

using ::testing::ElementsAre;
using ports::UninstallerButton;

class SimUninstallerWindowTest : public ::testing::Test {
protected:
    Simulation sim{*FreshImage("xp-x86")};
    SimUninstallerWindow window{sim};

    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (int i = 0; i < window.checkListCount(); ++i) out.push_back(window.checkListText(i));
        return out;
    }
    std::vector<std::string> eventKinds() {
        std::vector<std::string> kinds;
        for (const auto& event : sim.transcript().events()) kinds.push_back(event["event"]);
        return kinds;
    }
};

TEST_F(SimUninstallerWindowTest, KeepsItemsSortedAsTheyAreAdded) {
    struct Row {
        const char* name;
        std::vector<std::string> added;
        std::vector<int> indexes;  // where each one landed
        std::vector<std::string> listed;
    } rows[] = {
        {"InOrder", {"Receipt A", "Receipt B"}, {0, 1}, {"Receipt A", "Receipt B"}},
        {"Reversed", {"Receipt B", "Receipt A"}, {0, 0}, {"Receipt A", "Receipt B"}},
        {"LetterCaseAside", {"receipt b", "Receipt A", "RECEIPT C"}, {0, 0, 2}, {"Receipt A", "receipt b", "RECEIPT C"}},
        {"EqualTextsInTheOrderAdded", {"Till", "TILL", "till"}, {0, 1, 2}, {"Till", "TILL", "till"}},
        {"PrefixFirst", {"Receipt 10", "Receipt 1", "Receipt 2"}, {0, 0, 2}, {"Receipt 1", "Receipt 10", "Receipt 2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        window.resetCheckList();
        std::vector<int> indexes;
        for (const std::string& text : row.added) indexes.push_back(window.addCheckListItem(text));
        EXPECT_EQ(indexes, row.indexes);
        EXPECT_EQ(texts(), row.listed);
        for (int i = 0; i < window.checkListCount(); ++i) EXPECT_FALSE(window.isChecked(i));
    }
}

TEST_F(SimUninstallerWindowTest, IndexesOutsideTheListAreRefused) {
    window.addCheckListItem("Receipt A");
    for (int index : {-1, 1, 7}) {
        window.setChecked(index, true);
        EXPECT_FALSE(window.isChecked(index)) << index;
        EXPECT_EQ(window.checkListText(index), "") << index;
        EXPECT_FALSE(window.userSetChecked(index, true)) << index;
    }
    EXPECT_THAT(window.items(), ElementsAre(CheckListItem{"Receipt A", false}));
    EXPECT_TRUE(sim.transcript().events().empty());
}

TEST_F(SimUninstallerWindowTest, ButtonsStartAsTheTemplateHasThemAndReportOnlyChanges) {
    EXPECT_FALSE(window.isEnabled(UninstallerButton::Uninstall));
    EXPECT_TRUE(window.isEnabled(UninstallerButton::Cancel));
    EXPECT_FALSE(window.press(UninstallerButton::Uninstall));

    window.enableButton(UninstallerButton::Cancel, true);
    window.enableButton(UninstallerButton::Uninstall, true);
    window.enableButton(UninstallerButton::Uninstall, true);
    EXPECT_TRUE(window.press(UninstallerButton::Uninstall));
    window.enableButton(UninstallerButton::Cancel, false);
    EXPECT_FALSE(window.press(UninstallerButton::Cancel));

    EXPECT_THAT(eventKinds(), ElementsAre("button", "press", "button"));
    EXPECT_EQ(sim.transcript().events()[2],
              (nlohmann::json{{"event", "button"}, {"button", "Cancel"}, {"enabled", false}}));
}

}  // namespace
}  // namespace kvt::sim
