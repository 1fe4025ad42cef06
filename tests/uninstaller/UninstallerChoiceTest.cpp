// The uninstaller's list of printer objects and what the user's choice
// deletes: the exact driver match, a partial choice that keeps the driver,
// the complete choice with the restart question, Cancel, and the end of the
// choice when every box is cleared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/uninstaller/UninstallerTestSupport.h"

namespace kvt::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kCompleted = "The uninstallation has been completed.";

// Receipt A and Receipt B print through the product's driver; Shop Label
// (from SystemBeforeProduct) through another maker's, and Till 3 through a
// driver whose name differs from the product's only in letter case.
sim::World ThreeReceiptPrinters(std::string_view os = "xp-x86") {
    return ProductWithPrinters(os, {{"Receipt B", std::string(kProductDriver), "COM2:"},
                                    {"Receipt A", std::string(kProductDriver), "COM1:"},
                                    {"Till 3", "NORVEX KVT-580DUO", "COM3:"}});
}

nlohmann::json Item(std::string_view text, bool checked) { return {{"text", text}, {"checked", checked}}; }

std::vector<std::string> ObjectNamesLogged(const kvtsim::ProgramRun& run) {
    std::vector<std::string> names;
    for (const std::string& message : LogMessages(run))
        if (message.rfind("OBJECT NAME : ", 0) == 0) names.push_back(message.substr(14));
    return names;
}

TEST(UninstallerChoice, ListsThePrintersOfTheDriverExactlyAllChecked) {
    const kvtsim::ProgramRun run = Uninstall(ThreeReceiptPrinters(), Choice({}, "cancel"));
    const auto lists = Events(run, "checkList");
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0]["items"], nlohmann::json::array({Item("Receipt A", true), Item("Receipt B", true)}));
    EXPECT_TRUE(Logged(run, "The number of printer-objects : 2"));
    EXPECT_THAT(StepsBegun(run), ElementsAre("CheckOS", "AddPrinterObjectsToList"));
}

TEST(UninstallerChoice, CancelChangesNothingAndEndsTheLogAfterTheList) {
    const sim::World before = ThreeReceiptPrinters();
    const kvtsim::ProgramRun run = Uninstall(before, Choice({}, "cancel"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_THAT(ImageDifferences(WithoutLogs(before), WithoutLogs(run.after)), IsEmpty());
    const std::vector<std::string> log = LogMessages(run);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "AddPrinterObjectsToList END");
    EXPECT_THAT(EventKinds(run), ElementsAre("window", "button", "checkList", "press", "endDialog", "exit"));
    EXPECT_EQ(Events(run, "press")[0]["button"], "Cancel");
    EXPECT_EQ(Events(run, "endDialog")[0]["result"], "cancel");
}

TEST(UninstallerChoice, ClearingEveryBoxLeavesUninstallDisabledAndTheRunnerCancels) {
    const sim::World before = ThreeReceiptPrinters();
    const kvtsim::ProgramRun run = Uninstall(before, Choice({"Receipt A", "Receipt B"}));
    EXPECT_THAT(EventField<bool>(run, "button", "enabled"), ElementsAre(true, false));
    EXPECT_THAT(EventField<std::string>(run, "press", "button"), ElementsAre("Cancel"));
    EXPECT_THAT(ImageDifferences(WithoutLogs(before), WithoutLogs(run.after)), IsEmpty());
}

// One printer kept: the chosen one goes, the spooler restarts, and the
// driver with all its traces stays.
struct PartialRow {
    const char* name;
    const char* os;
    std::vector<std::string> uncheck;
    std::vector<std::string> printersLeft;
    std::vector<std::string> objectsLogged;
    // Opening the chosen printer fails, as when another program deleted it
    // meanwhile.
    bool chosenPrinterGone = false;
    friend void PrintTo(const PartialRow& row, std::ostream* out) { *out << row.name; }
};

class UninstallerPartialChoice : public ::testing::TestWithParam<PartialRow> {};

TEST_P(UninstallerPartialChoice, DeletesOnlyTheChosenAndKeepsTheDriver) {
    const PartialRow& row = GetParam();
    const sim::World before = ThreeReceiptPrinters(row.os);
    const kvtsim::ProgramRun run = Uninstall(before, Choice(row.uncheck), [&](sim::Simulation& sim) {
        if (row.chosenPrinterGone) sim.faults().failCall("Spooler.openPrinter", 1801);
    });

    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> left = PrinterNames(run);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, row.printersLeft);
    EXPECT_TRUE(HasProductDriver(run));
    EXPECT_TRUE(FindKey(run, kUninstallKey) != nullptr);
    EXPECT_THAT(StepsBegun(run), ElementsAre("CheckOS", "AddPrinterObjectsToList", "RemovePrinterObjects"));
    EXPECT_EQ(ObjectNamesLogged(run), row.objectsLogged);
    EXPECT_THAT(LastLogMessages(run, 1), ElementsAre("RemovePrinterObjects END"));
    EXPECT_THAT(EventField<std::string>(run, "process", "commandLine"),
                ElementsAre("net stop spooler", "net start spooler"));
    EXPECT_THAT(EventField<std::string>(run, "stepText", "text"),
                ElementsAre("Deleting printer-driver objects...", std::string(kCompleted)));
    EXPECT_THAT(EventField<std::uint32_t>(run, "sleep", "ms"), ElementsAre(1000, 2000, 2000, 2000));
    EXPECT_THAT(EventField<int>(run, "progress", "position"), ElementsAre(10, 100));
    EXPECT_TRUE(Events(run, "messageBox").empty());
    EXPECT_TRUE(run.result["system"]["restart"].is_null());
    const std::vector<std::string> kinds = EventKinds(run);
    EXPECT_EQ(std::vector<std::string>(kinds.end() - 2, kinds.end()), (std::vector<std::string>{"sleep", "exit"}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UninstallerPartialChoice,
    ::testing::Values(
        PartialRow{"ReceiptAClearedXp",
                   "xp-x86",
                   {"Receipt A"},
                   {"KVT-580duo Counter", "Receipt A", "Shop Label", "Till 3"},
                   {"Receipt B"}},
        PartialRow{"ReceiptBClearedWin10", "win10-x64", {"Receipt B"},
                   {"KVT-580duo Counter", "Receipt B", "Shop Label", "Till 3"},
                   {"Receipt A"}},
        PartialRow{"ChosenPrinterGone", "xp-x86", {"Receipt A"},
                   {"KVT-580duo Counter", "Receipt A", "Receipt B", "Shop Label", "Till 3"},
                   {"Receipt B"},
                   true}),
    RowName());

// Every printer chosen: they go from the bottom of the list up, then the
// driver with everything of it, then the restart question.
struct CompleteRow {
    const char* name;
    ports::MessageAnswer answer;
    bool restarts;
    std::vector<std::string> closingKinds;  // the transcript after the question
    std::vector<std::uint32_t> closingSleeps;
    friend void PrintTo(const CompleteRow& row, std::ostream* out) { *out << row.name; }
};

class UninstallerCompleteChoice : public ::testing::TestWithParam<CompleteRow> {};

TEST_P(UninstallerCompleteChoice, RemovesEverythingAndAsksToRestart) {
    const CompleteRow& row = GetParam();
    // Without "Till 3": its driver name in other letter case is the same
    // driver to the spooler, which then keeps the driver for it.
    const sim::World before = ProductWithPrinters("xp-x86", {{"Receipt B", std::string(kProductDriver), "COM2:"},
                                                             {"Receipt A", std::string(kProductDriver), "COM1:"}});
    const kvtsim::ProgramRun run = Uninstall(before, Choice({}, "uninstall", row.answer));

    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_THAT(ObjectNamesLogged(run), ElementsAre("Receipt B", "Receipt A"));
    std::vector<std::string> left = PrinterNames(run);
    std::sort(left.begin(), left.end());
    EXPECT_THAT(left, ElementsAre("KVT-580duo Counter", "Shop Label"));
    EXPECT_FALSE(HasProductDriver(run));
    EXPECT_EQ(FindKey(run, kUninstallKey), nullptr);
    EXPECT_EQ(FindFile(run, "C:\\Windows\\System32\\spool\\prtprocs\\W32X86\\PRO580D.dll"), nullptr);

    EXPECT_THAT(StepsBegun(run),
                ElementsAre("CheckOS", "AddPrinterObjectsToList", "RemovePrinterObjects", "DeleteForms", "DeletePrinterDrv",
                            "DeleteLanguageMonitor", "DeleteProcessor", "DeleteDriverComponent", "DeleteINFFile",
                            "DeleteUninstallationInfo", "DeleteVidPid", "Delete_LPT_USB_Info",
                            "DeletePrnDrvPnPDirectory", "DeleteUninstallInfoFromReg", "DeleteInstalledDirectory"));
    EXPECT_THAT(EventField<std::string>(run, "stepText", "text"),
                ElementsAre("Deleting printer-driver objects...", "Removing printer-drivers...", "Deleting forms...",
                            "Deleting printer-drivers...", "Deleting L/M...", "Deleting the processor...",
                            "Deleting driver-components...", "Deleting the INF file...", "Deleting Vid & Pid info...",
                            "Deleting information of LPT and USB...", "Deleting PNP directories...",
                            std::string(kCompleted)));

    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["caption"], "KVT580duo_Uninstaller");
    EXPECT_EQ(boxes[0]["text"],
              "Restart the computer can take effect.\nPlease restart the computer.\n\n"
              "[Yes] I want to restart my computer now.\n[No] I will restart my computer later.");
    EXPECT_EQ(boxes[0]["icon"], "question");
    EXPECT_EQ(boxes[0]["buttons"], "yesNo");

    // Before the question: the bar at 100 and the one-second pause.
    const nlohmann::json& transcript = run.result["transcript"];
    std::size_t question = 0;
    while (transcript[question]["event"] != "messageBox") ++question;
    EXPECT_EQ(transcript[question - 1], (nlohmann::json{{"event", "sleep"}, {"ms", 1000}}));
    std::vector<std::string> after;
    std::vector<std::uint32_t> sleeps;
    for (std::size_t i = question + 1; i < transcript.size(); ++i) {
        after.push_back(transcript[i]["event"]);
        if (transcript[i]["event"] == "sleep") sleeps.push_back(transcript[i]["ms"]);
    }
    EXPECT_EQ(after, row.closingKinds);
    EXPECT_EQ(sleeps, row.closingSleeps);
    EXPECT_EQ(run.result["system"]["restart"].is_null(), !row.restarts);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UninstallerCompleteChoice,
    ::testing::Values(CompleteRow{"Yes", ports::MessageAnswer::Yes, true, {"sleep", "restart", "exit"}, {1000}},
                      CompleteRow{"No", ports::MessageAnswer::No, false, {"endDialog", "progress", "sleep", "exit"}, {2000}}),
    RowName());

}  // namespace
}  // namespace kvt::test
