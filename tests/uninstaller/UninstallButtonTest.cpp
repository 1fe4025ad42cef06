// The check list under the user's hand, with the flow itself driven as the
// window drives it: the Uninstall button follows the check boxes, and the
// choice is collected from the bottom of the list up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "Installer/KVT580duo_Uninstaller/NVXPOS_UninstallerDlg.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/SimUninstallerWindow.h"
#include "tests/uninstaller/UninstallerTestSupport.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::test {
namespace {

using ::testing::ElementsAre;
using ports::UninstallerButton;

class UninstallButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim_ = std::make_unique<kvtsim::ProductSimulation>(
            ProductWithPrinters("xp-x86", {{"Till 2"}, {"Till 3"}, {"Till 1"}}), sim::Bitness::x86);
        platform_ = std::make_unique<ports::Platform>(sim_->platform());
        window_ = std::make_unique<sim::SimSetupWindow>(*sim_, "KVT580duo_Uninstaller");
        controls_ = std::make_unique<sim::SimUninstallerWindow>(*sim_);
        flow_ = std::make_unique<uninstaller::NVXPOS_UninstallerDlg>(*platform_, *window_, *controls_);
        flow_->OnInitDialog();
        flow_->PrepareUninstall();
    }

    // A click on a box: the list reports the check change to the window.
    void click(int index, bool checked) {
        ASSERT_TRUE(controls_->userSetChecked(index, checked));
        flow_->UpdateUninstallButton();
    }

    std::unique_ptr<sim::Simulation> sim_;
    std::unique_ptr<ports::Platform> platform_;
    std::unique_ptr<sim::SimSetupWindow> window_;
    std::unique_ptr<sim::SimUninstallerWindow> controls_;
    std::unique_ptr<uninstaller::NVXPOS_UninstallerDlg> flow_;
};

TEST_F(UninstallButtonTest, UninstallIsEnabledWhileAnyBoxIsSet) {
    struct Click {
        int index;
        bool checked;
        bool enabledAfter;
    } clicks[] = {{0, false, true}, {2, false, true}, {1, false, false}, {2, true, true},
                  {2, false, false}, {0, true, true}};
    for (const Click& c : clicks) {
        click(c.index, c.checked);
        EXPECT_EQ(controls_->isEnabled(UninstallerButton::Uninstall), c.enabledAfter)
            << "after box " << c.index << (c.checked ? " set" : " cleared");
    }
}

TEST_F(UninstallButtonTest, TheChoiceIsCollectedFromTheBottomUp) {
    click(1, false);
    EXPECT_EQ(flow_->CollectChosenPrinters(), 2);
    EXPECT_THAT(flow_->chosenPrinters(), ElementsAre("Till 3", "Till 1"));
}

// StartUninstall's busy flag is what the window's message filter reads: from
// then on a click or Space aimed at the list never reaches it, so no box can
// bring the Uninstall button back while the removal runs.
TEST_F(UninstallButtonTest, RemovalLocksTheCheckListInTheMessageFilter) {
    namespace m = setup::shell::msg;
    struct Input {
        const char* name;
        unsigned message;
        std::uintptr_t wParam;
        bool toCheckList;
        bool swallowedWhileBusy;
    } inputs[] = {
        {"click on the list", m::LButtonDown, 0, true, true},
        {"double click on the list", m::LButtonDblClk, 0, true, true},
        {"Space key on the list", m::KeyDown, m::SpaceKey, true, true},
        {"Space character on the list", m::Char, m::SpaceKey, true, true},
        {"letter key on the list", m::KeyDown, 'A', true, false},
        {"click elsewhere", m::LButtonDown, 0, false, false},
        {"Space elsewhere", m::KeyDown, m::SpaceKey, false, false},
        {"Escape", m::KeyDown, m::EscapeKey, false, true},
    };
    for (const Input& in : inputs)
        EXPECT_FALSE(flow_->PreTranslateMessage(in.message, in.wParam, in.toCheckList).swallow)
            << "choosing: " << in.name;
    flow_->StartUninstall();
    for (const Input& in : inputs)
        EXPECT_EQ(flow_->PreTranslateMessage(in.message, in.wParam, in.toCheckList).swallow, in.swallowedWhileBusy)
            << "removing: " << in.name;
}

// The worker clears the busy flag before its 2 s closing pause, so the
// cursor and Escape are free again; the list stays locked until the program
// has ended, or a box could enable Uninstall and start a second removal.
TEST_F(UninstallButtonTest, CheckListStaysLockedThroughTheClosingPause) {
    namespace m = setup::shell::msg;
    click(0, false);  // two of three: the run closes with the pause
    flow_->StartUninstall();
    EXPECT_THROW(flow_->UninstallThreadProc(), sim::ProcessExited);
    ASSERT_EQ(flow_->busy(), 0);
    EXPECT_TRUE(flow_->PreTranslateMessage(m::LButtonDown, 0, true).swallow);
    EXPECT_TRUE(flow_->PreTranslateMessage(m::KeyDown, m::SpaceKey, true).swallow);
    EXPECT_FALSE(flow_->PreTranslateMessage(m::KeyDown, m::EscapeKey, false).swallow);
    EXPECT_FALSE(flow_->MayStartRemoval());
}

}  // namespace
}  // namespace kvt::test
