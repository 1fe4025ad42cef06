// kvtsim run --args: the program's command line reaches it, and in a quiet
// run a window the program tries to show is an error of the run, never
// answered.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SimPortDialog.h"
#include "platform/sim/SimSetupWindow.h"
#include "tests/support/KvtsimCli.h"
#include "tools/kvtsim/RunResult.h"

namespace kvt::kvtsim {
namespace {

TEST(KvtsimQuietRun, ArgsReachTheProgramAndItsExitCodeTheResult) {
    const std::string image = sim::SaveImage(*sim::FreshImage("win10-x64")).dump();
    const test::Outcome quiet = test::RunCli({"run", "installer", "--system", "-", "--args", "/quiet /port=LPT2"}, image);
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    const nlohmann::json result = nlohmann::json::parse(quiet.out);
    EXPECT_EQ(result["exitCode"], 3010);
    EXPECT_EQ(result["uiErrors"], nlohmann::json::array());
    EXPECT_EQ(result["system"]["spooler"]["printers"][0]["port"], "LPT2:");

    const test::Outcome bad = test::RunCli({"run", "uninstaller", "--system", "-", "--args", "/port=COM1"}, image);
    ASSERT_EQ(bad.status, 0) << bad.err;
    EXPECT_EQ(nlohmann::json::parse(bad.out)["exitCode"], 87);
}

TEST(KvtsimQuietRun, WindowsOfAnUnattendedRunAreRecordedAndNeverAnswered) {
    sim::Simulation sim(*sim::FreshImage("win10-x64"), sim::Bitness::x86);
    sim::SimSetupWindow window(sim, "KVT580duo_Installer", {{std::nullopt, ports::MessageAnswer::Yes}});
    sim::SimPortDialog dialog(sim, std::string("COM2"));
    window.setUnattended(true);
    dialog.setUnattended(true);
    EXPECT_THROW(window.messageBox("Restart?", ports::MessageIcon::Question, ports::MessageButtons::YesNo),
                 sim::WindowUnanswered);
    EXPECT_THROW(dialog.showModal(1), sim::WindowUnanswered);
    EXPECT_EQ(dialog.hiddenSelection(3), 3);  // a hidden dialog is never seen

    const nlohmann::json result = RunResultJson(sim, "installer", std::nullopt, "");
    EXPECT_EQ(result["uiErrors"], (nlohmann::json::array({{{"event", "messageBox"}, {"text", "Restart?"}},
                                                           {{"event", "dialog"}, {"title", "Port Type"}}})));
    EXPECT_TRUE(result["exitCode"].is_null());
}

}  // namespace
}  // namespace kvt::kvtsim
