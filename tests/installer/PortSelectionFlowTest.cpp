// Which port the installer installs on: the "PORT" value's preselection, the
// port tables, the dialog's answers, "PORTDLG" steering the dialog away, a
// cancelled dialog, and a second copy that gives way to the running one.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/Port_Dlg.h"
#include "platform/sim/SimPortDialog.h"
#include "tests/support/InstallerRuns.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::installer {
namespace {

using test::Events;
using test::EventField;
using test::Install;
using test::SystemWithPackage;

struct ValueRow {
    const char* name;
    std::optional<std::string_view> value;
    int index;
};

void PrintTo(const ValueRow& row, std::ostream* out) { *out << row.name; }

class PortValueTest : public testing::TestWithParam<ValueRow> {};

TEST_P(PortValueTest, FirstButtonTextInTheValueIsPreselected) {
    EXPECT_EQ(PortIndexOfValue(GetParam().value), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Rows, PortValueTest,
                         testing::Values(ValueRow{"Absent", std::nullopt, 0}, ValueRow{"Lpt1", "LPT1", 4},
                                         ValueRow{"Lpt2", "LPT2", 5}, ValueRow{"Com4", "COM4", 3},
                                         ValueRow{"Usb", "USB", 6},
                                         // "COM12" contains "COM1".
                                         ValueRow{"Com12", "COM12", 0},
                                         ValueRow{"LowerCaseUsb", "usb", 0},
                                         // The serial ports are tested first.
                                         ValueRow{"LptThenCom", "LPT1 COM2", 1},
                                         ValueRow{"Surrounded", "port=COM3;", 2}, ValueRow{"Unknown", "COM9", 0}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PortTables, CodesTextsAndNames) {
    struct Row {
        int code;
        std::optional<std::string_view> text, name;
    } rows[] = {{999, std::nullopt, std::nullopt}, {1000, "COM1", "COM1:"}, {1001, "COM2", "COM2:"},
                {1002, "COM3", "COM3:"},          {1003, "COM4", "COM4:"}, {1004, "LPT1", "LPT1:"},
                {1005, "LPT2", "LPT2:"},          {1006, std::nullopt, std::nullopt},
                {1007, std::nullopt, std::nullopt}};
    for (const Row& row : rows) {
        EXPECT_EQ(PortTextOfCode(row.code), row.text) << row.code;
        EXPECT_EQ(PortNameOfCode(row.code), row.name) << row.code;
    }
    for (int index = 0; index < kPortCount; ++index) EXPECT_EQ(PortCodeOfIndex(index), 1000 + index);
}

TEST(SimPortDialogTest, AnswersAndTranscript) {
    struct Row {
        std::optional<std::string> answer;
        int preselection;
        bool ok;
        int selection;
    } rows[] = {{std::nullopt, 4, true, 4}, {"COM2", 6, true, 1}, {"USB", 0, true, 6}, {"cancel", 3, false, 3}};
    for (const Row& row : rows) {
        kvtsim::ProductSimulation sim(*sim::FreshImage("xp-x86"));
        sim::SimPortDialog dialog(sim, row.answer);
        EXPECT_EQ(dialog.hiddenSelection(row.preselection), row.preselection);
        EXPECT_TRUE(sim.transcript().events().empty()) << "the hidden dialog is never seen";
        const ports::PortDialogResult result = dialog.showModal(row.preselection);
        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(result.selection, row.selection);
        ASSERT_EQ(sim.transcript().events().size(), 1u);
        EXPECT_EQ(sim.transcript().events()[0],
                  (nlohmann::json{{"event", "dialog"},
                                  {"title", "Port Type"},
                                  {"selection", row.selection},
                                  {"result", row.ok ? "ok" : "cancel"}}));
    }
}

// A configuration file the image brings along, beside the installer and in
// the product folder, steers the dialog and the port.
struct SteeringRow {
    const char* name;
    std::optional<std::string> besideInstaller;  // nothing: no file at all
    std::optional<std::string> inProductFolder;
    std::optional<std::string> answer;
    // Expected:
    std::optional<int> dialogSelection;  // marked when the dialog ended; nothing: no dialog
    std::vector<std::string> printerPorts;
};

void PrintTo(const SteeringRow& row, std::ostream* out) { *out << row.name; }

class ConfigurationSteeringTest : public testing::TestWithParam<SteeringRow> {};

TEST_P(ConfigurationSteeringTest, DialogAndPort) {
    const SteeringRow& row = GetParam();
    sim::World world = SystemWithPackage("xp-x86");
    world.files.eraseFile("C:\\Setup\\KVT580duo_Config.NVX");
    if (row.besideInstaller) world.files.putFile("C:\\Setup\\KVT580duo_Config.NVX", *row.besideInstaller);
    if (row.inProductFolder) world.files.putFile("C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX", *row.inProductFolder);

    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers(row.answer));
    ASSERT_EQ(run.exitCode, 0u);
    const auto dialogs = Events(run, "dialog");
    if (row.dialogSelection) {
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0]["selection"], *row.dialogSelection);
    } else {
        EXPECT_TRUE(dialogs.empty());
    }
    std::vector<std::string> ports;
    for (const auto& printer : run.result["system"]["spooler"]["printers"]) ports.push_back(printer["port"]);
    EXPECT_EQ(ports, row.printerPorts);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConfigurationSteeringTest,
    testing::Values(
        SteeringRow{"NoFileShowsTheDialogOnCom1", std::nullopt, std::nullopt, std::nullopt, 0, {"COM1:"}},
        SteeringRow{"TrueShowsItOnThePort", "[KVT580D]\r\nPORTDLG=TRUE\r\nPORT=LPT2\r\n", std::nullopt, std::nullopt,
                    5, {"LPT2:"}},
        SteeringRow{"TrueInsideAValue", "[KVT580D]\r\nPORTDLG=xTRUEx\r\nPORT=COM4\r\n", std::nullopt, "COM3", 2,
                    {"COM3:"}},
        SteeringRow{"EmptyValueCountsAsAbsent", "[KVT580D]\r\nPORTDLG=\r\n", std::nullopt, std::nullopt, 0,
                    {"COM1:"}},
        SteeringRow{"OtherValueInstallsWithoutAsking", "[KVT580D]\r\nPORTDLG=FALSE\r\nPORT=LPT1\r\n", std::nullopt,
                    "COM2", std::nullopt, {"LPT1:"}},
        SteeringRow{"LowerCaseTrueIsNotTrue", "[KVT580D]\r\nPORTDLG=true\r\n", std::nullopt, std::nullopt,
                    std::nullopt, {"COM1:"}},
        // Key by key: the file beside the installer has no "PORT".
        SteeringRow{"PortFromTheProductFolder", "[KVT580D]\r\nPORTDLG=NO\r\n", "[KVT580D]\r\nPORT=COM3\r\n",
                    std::nullopt, std::nullopt, {"COM3:"}},
        SteeringRow{"BesideTheInstallerWins", "[KVT580D]\r\nPORTDLG=NO\r\nPORT=COM4\r\n",
                    "[KVT580D]\r\nPORTDLG=TRUE\r\nPORT=COM3\r\n", std::nullopt, std::nullopt, {"COM4:"}},
        SteeringRow{"UsbCreatesNoPrinter", "[KVT580D]\r\nPORTDLG=TRUE\r\nPORT=USB\r\n", std::nullopt,
                    std::nullopt, 6, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PortSelectionFlow, MissingKeysAreLoggedAndTheDefaultsApply) {
    sim::World world = SystemWithPackage("xp-x86");
    world.files.eraseFile("C:\\Setup\\KVT580duo_Config.NVX");
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers(std::nullopt));
    const std::vector<std::string> messages = test::LogMessages(run);
    for (const char* key : {"PORTDLG", "PORT"}) {
        const std::vector<std::string> block = {"\r\n",
                                                "GetDriverInfoFromFile BEGIN",
                                                "SECTION NAME : KVT580D",
                                                std::string("KEY NAME : ") + key,
                                                "GetDriverInfoFromFile failed. (2)",
                                                "GetDriverInfoFromFile END",
                                                "\r\n"};
        EXPECT_NE(std::search(messages.begin(), messages.end(), block.begin(), block.end()), messages.end()) << key;
    }
}

TEST(PortSelectionFlow, ClosingTheDialogCancelsAndChangesNothing) {
    const sim::World before = SystemWithPackage("win10-x64");
    const kvtsim::ProgramRun run = Install(before, test::Answers("cancel"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(test::LastLogMessages(run, 1), std::vector<std::string>{"The driver installation canceled."});
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "The driver installation canceled.");
    EXPECT_EQ(boxes[0]["icon"], "information");
    EXPECT_EQ(boxes[0]["buttons"], "ok");
    EXPECT_TRUE(Events(run, "stepText").empty());
    // Apart from the log, the system is as it was.
    const nlohmann::json image = sim::SaveImage(before);
    EXPECT_EQ(run.result["system"]["spooler"], image["spooler"]);
    EXPECT_EQ(run.result["system"]["registry"], image["registry"]);
    EXPECT_EQ(run.result["system"]["devices"], image["devices"]);
}

TEST(PortSelectionFlow, SecondCopyBringsTheFirstForwardAndEnds) {
    sim::World world = SystemWithPackage("xp-x86");
    world.otherInstanceRunning = true;
    const kvtsim::ProgramRun run = Install(world, test::Answers("COM2"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.result["transcript"],
              nlohmann::json::parse(R"([{"event": "bringForward",
                                         "titles": ["Port Type", "Installation Progress", "KVT580duo_Installer"]},
                                        {"event": "exit", "code": 0}])"));
    EXPECT_EQ(run.result["log"], "");
    EXPECT_EQ(run.result["elapsedMs"], 0);
    EXPECT_EQ(run.result["system"], sim::SaveImage(world));
}

}  // namespace
}  // namespace kvt::installer
