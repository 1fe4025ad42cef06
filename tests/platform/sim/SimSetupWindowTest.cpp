// The simulated main window: what the transcript shows and how scripted
// answers close message boxes.
#include <gtest/gtest.h>

#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

World EmptyWorld() {
    World world;
    world.os.is64Bit = false;
    return world;
}

std::vector<int> Positions(const Simulation& sim) {
    std::vector<int> out;
    for (const auto& event : sim.transcript().events())
        if (event["event"] == "progress") out.push_back(event["position"]);
    return out;
}

TEST(SimSetupWindow, StepsWrapAroundLikeTheProgressControl) {
    Simulation sim(EmptyWorld());
    SimSetupWindow window(sim, "KVT580duo_Installer");
    window.setProgressRange(0, 100);
    window.setProgressStep(9);
    for (int i = 0; i < 12; ++i) window.stepProgress();
    window.setProgressPosition(100);
    EXPECT_EQ(Positions(sim), (std::vector<int>{9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99, 8, 100}));
}

TEST(SimSetupWindow, TheStepTextShowsOnlyAfterARefresh) {
    Simulation sim(EmptyWorld());
    SimSetupWindow window(sim, "KVT580duo_Uninstaller");
    window.setStepText("Deleting forms...");
    EXPECT_TRUE(sim.transcript().events().empty());
    EXPECT_EQ(window.shownText(), "");
    window.refresh();
    window.refresh();
    ASSERT_EQ(sim.transcript().events().size(), 1u);
    EXPECT_EQ(sim.transcript().events()[0], (nlohmann::json{{"event", "stepText"}, {"text", "Deleting forms..."}}));
    EXPECT_EQ(window.shownText(), "Deleting forms...");
}

TEST(SimSetupWindow, ScriptedAnswersAreTakenInOrderAndOnce) {
    Simulation sim(EmptyWorld());
    SimSetupWindow window(sim, "KVT580duo_Installer",
                          {{std::string("restart"), MessageAnswer::Yes}, {std::nullopt, MessageAnswer::Yes}});
    // The first box does not mention a restart: it takes the catch-all entry,
    // which an OK box can only answer with OK.
    EXPECT_EQ(window.messageBox("The driver installation canceled.", MessageIcon::Information, MessageButtons::Ok),
              MessageAnswer::Ok);
    EXPECT_EQ(window.messageBox("Please restart the computer.", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
    // Every entry is used: a Yes/No box without an entry is answered No.
    EXPECT_EQ(window.messageBox("Please restart the computer.", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    const auto& box = sim.transcript().events()[1];
    EXPECT_EQ(box["caption"], "KVT580duo_Installer");
    EXPECT_EQ(box["icon"], "question");
    EXPECT_EQ(box["buttons"], "yesNo");
    EXPECT_EQ(box["answer"], "yes");
}

}  // namespace
}  // namespace kvt::sim
