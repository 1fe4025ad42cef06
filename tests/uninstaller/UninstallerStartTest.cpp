// How an uninstaller run goes on after the printer search: a second copy, a
// failed search, no printer object with or without the driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

sim::World ProductWithoutPrinters(std::string_view os) { return ProductWithPrinters(os, {}); }

sim::World UninstallEntryOnly(std::string_view os) {
    sim::World world = SystemWithPackage(os);
    world.registry.ensure(kUninstallKey);
    return world;
}

TEST(UninstallerStart, SecondCopyBringsTheFirstForwardAndTouchesNothing) {
    sim::World before = ProductWithPrinters("xp-x86", {{"Receipt A"}});
    before.otherInstanceRunning = true;
    before.files.putFile(std::string(kUninstallerLogPath), "the running copy's log\r\n");
    const kvtsim::ProgramRun run = Uninstall(before);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_THAT(EventKinds(run), ElementsAre("bringForward", "exit"));
    EXPECT_EQ(Events(run, "bringForward")[0]["titles"],
              nlohmann::json::array({"NORVEX KVT-580duo Uninstaller", "KVT580duo_Uninstaller"}));
    EXPECT_THAT(ImageDifferences(before, run.after), IsEmpty());
}

TEST(UninstallerStart, FailedPrinterSearchShowsItsErrorAndRemovesNothing) {
    const sim::World before = ProductWithPrinters("win10-x64", {{"Receipt A"}});
    const kvtsim::ProgramRun run = Uninstall(before, {}, [](sim::Simulation& sim) {
        sim.faults().failCall("Spooler.enumPrinters", 1722);
    });
    EXPECT_EQ(run.exitCode, 0u);
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "EnumPrinters Error Code: 1722\n\nThe RPC server is unavailable.\r\n");
    EXPECT_EQ(boxes[0]["icon"], "warning");
    EXPECT_EQ(boxes[0]["buttons"], "ok");
    EXPECT_THAT(ImageDifferences(WithoutLogs(before), WithoutLogs(run.after)), IsEmpty());
    const std::vector<std::string> log = LogMessages(run);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "AddPrinterObjectsToList BEGIN");
    EXPECT_EQ(log.back(), "AddPrinterObjectsToList END");
}

// On 64-bit Windows the driver is found where it lives, in "Windows x64":
// looking in the uninstaller's own "Windows NT x86" would drop the entry and
// orphan driver, monitor, processor, forms and files.
class DriverWithoutPrintersTest : public testing::TestWithParam<const char*> {};

TEST_P(DriverWithoutPrintersTest, IsRemovedWithoutAsking) {
    const kvtsim::ProgramRun run = Uninstall(ProductWithoutPrinters(GetParam()), Choice({"ignored"}, "cancel"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Logged(run, "NORVEX KVT-580duo PRINTER DRIVER EXISTS."));
    EXPECT_TRUE(Events(run, "checkList").empty());
    EXPECT_TRUE(Events(run, "press").empty());
    // Cancel goes first, so the user cannot end the run halfway.
    const auto buttons = Events(run, "button");
    ASSERT_FALSE(buttons.empty());
    EXPECT_EQ(buttons[0], (nlohmann::json{{"event", "button"}, {"button", "Cancel"}, {"enabled", false}}));
    // No printer objects: the removal goes straight to the driver.
    const std::vector<std::string> texts = EventField<std::string>(run, "stepText", "text");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Removing printer-drivers...");
    EXPECT_FALSE(Logged(run, "RemovePrinterObjects BEGIN"));
    EXPECT_FALSE(HasProductDriver(run));
    EXPECT_EQ(FindKey(run, kUninstallKey), nullptr);
    EXPECT_EQ(Events(run, "messageBox").size(), 1u);
    EXPECT_EQ(Events(run, "messageBox")[0]["icon"], "question");
}

INSTANTIATE_TEST_SUITE_P(Systems, DriverWithoutPrintersTest, testing::Values("xp-x86", "win10-x64"));

// With no printer object and no driver, the stale entry goes.
struct MissingDriverRow {
    const char* name;
    sim::World world;
};

TEST(UninstallerStart, NoDriverShowsTheMessageAndDropsTheEntry) {
    const MissingDriverRow rows[] = {
        {"NeitherOnXp", UninstallEntryOnly("xp-x86")},
        {"NeitherOnWin10", UninstallEntryOnly("win10-x64")},
    };
    for (const MissingDriverRow& row : rows) {
        SCOPED_TRACE(row.name);
        const kvtsim::ProgramRun run = Uninstall(row.world);
        EXPECT_EQ(run.exitCode, 0u);
        const auto boxes = Events(run, "messageBox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]["text"], "The KVT-580duo driver does not exist on this system.");
        EXPECT_EQ(boxes[0]["icon"], "information");
        EXPECT_TRUE(Logged(run, "The number of printer-objects : 0"));
        EXPECT_TRUE(Logged(run, "NORVEX KVT-580duo PRINTER DRIVER DOES NOT EXIST."));
        EXPECT_EQ(FindKey(run, kUninstallKey), nullptr);
        EXPECT_THAT(EventKinds(run), ElementsAre("window", "messageBox", "exit"));
        // Nothing else of the system changes.
        sim::World expected = row.world;
        expected.registry.eraseTree(kUninstallKey);
        EXPECT_THAT(ImageDifferences(WithoutLogs(expected), WithoutLogs(run.after)), IsEmpty());
    }
}

}  // namespace
}  // namespace kvt::test
