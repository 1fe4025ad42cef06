// The two install sequences as the user and the log see them: step texts,
// progress, waits, the printui command line and its start, the closing
// messages, and the sequences' answers to a driver that is already there,
// to a printui that hangs and to a process that cannot start.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/SimPortDialog.h"
#include "tests/support/InstallerRuns.h"
#include "tools/kvtsim/DeviceRemovalHost.h"

namespace kvt::installer {
namespace {

using test::Events;
using test::EventField;
using test::Install;
using test::Logged;
using test::SystemWithPackage;

constexpr const char* kCmd = "C:\\Windows\\system32\\cmd.exe";
// The 32-bit installer on 64-bit Windows starts the native cmd.exe.
constexpr const char* kNativeCmd = "C:\\Windows\\Sysnative\\cmd.exe";
constexpr const char* kNoCurrentDirectorySearch = "NoDefaultCurrentDirectoryInExePath=1";
constexpr const char* kRestartQuestion =
    "Restarting your computer can take effect.\nPlease restart your computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";
constexpr const char* kSwitchOffAndOn = "Please turn-off the printer and then turn-on again.";
constexpr const char* kUninstallEntry = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
constexpr const char* kNotInstalled =
    "The driver could not be installed.\nSee C:\\Temp\\KVT-580duo_Installer.txt for details.";

std::string PrintUiLine(const std::string& switches) { return "cmd /c RUNDLL32 printui.dll,PrintUIEntry " + switches; }

TEST(AddToWin2KFlow, FirstInstallationShowsEveryStep) {
    const kvtsim::ProgramRun run = Install(SystemWithPackage("xp-x86"), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(EventField<std::string>(run, "stepText", "text"),
              (std::vector<std::string>{"Checking existing drivers...\r\n", "Preparing for installation...\r\n",
                                        "Copying files...\r\n", "Installing L/M...\r\n",
                                        "Installing printer processor...\r\n", "Installing printer driver...\r\n",
                                        "Adding printer...\r\n",
                                        "Please wait for adding printer.\r\nIt takes a couple of minutes.",
                                        "Deleting files used to install...\r\n",
                                        "The driver has been successfully installed.", "Completed."}));
    EXPECT_EQ(EventField<int>(run, "progress", "position"),
              (std::vector<int>{9, 18, 27, 36, 45, 54, 63, 72, 81, 100, 100}));
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], kRestartQuestion);
    EXPECT_EQ(boxes[0]["caption"], "KVT580duo_Installer");
    EXPECT_EQ(boxes[0]["icon"], "question");
    EXPECT_EQ(boxes[0]["buttons"], "yesNo");
    EXPECT_EQ(boxes[0]["answer"], "no");
    EXPECT_TRUE(Events(run, "restart").empty());
    // The spooler start while the window opens, then nothing else is started.
    EXPECT_EQ(EventField<std::string>(run, "process", "commandLine"), std::vector<std::string>{"net start spooler"});
    const auto sleeps = EventField<int>(run, "sleep", "ms");
    ASSERT_FALSE(sleeps.empty());
    EXPECT_EQ(sleeps.front(), 2000);
    EXPECT_EQ(sleeps.back(), 2000);

    EXPECT_EQ(test::StepsBegun(run),
              (std::vector<std::string>{"CheckOS", "SetSystemInfo", "SetControlPointers", "AddToWin2K",
                                        "PrinterDrvExist", "DeleteVidPid", "DeletePrnDrvPnPDirectory",
                                        "Delete_LPT_USB_Info", "CopyFilesNeededToAddPrnDrv", "AddLanguageMonitor",
                                        "AddPrinterProcessor", "AddPrinterDriverToSystem", "AddPrinterToSystem",
                                        "CopyINFFile", "DeleteFilesUsed", "RegisterUninstallInfo",
                                        "CopyFilesOfUtilities", "CreateDirectoryWithSA"}));
    EXPECT_TRUE(Logged(run, "PRINTER-DRIVER NAME TO ADD : NORVEX KVT-580duo "));
    EXPECT_EQ(test::LastLogMessages(run, 2), (std::vector<std::string>{"\r\n", "AddToWin2K END"}));
}

TEST(AddToWin2KFlow, YesRestartsAfterLoggingTheEnd) {
    const kvtsim::ProgramRun run =
        Install(SystemWithPackage("xp-x86"), test::Answers("LPT1", ports::MessageAnswer::Yes));
    ASSERT_EQ(run.exitCode, 0u);
    ASSERT_EQ(Events(run, "restart").size(), 1u);
    EXPECT_EQ(run.result["system"]["restart"], (nlohmann::json{{"flags", 18}, {"reason", 0}}));
    const std::vector<std::string> messages = test::LogMessages(run);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "AddToWin2K END"), 2);
    // The sequence still finishes after asking for the restart.
    EXPECT_EQ(EventField<std::string>(run, "stepText", "text").back(), "Completed.");
}

TEST(AddToWin2KFlow, UsbOnlyAsksToSwitchThePrinterOffAndOn) {
    const kvtsim::ProgramRun run = Install(SystemWithPackage("xp-x86"), test::Answers("USB"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(EventField<std::string>(run, "messageBox", "text"), std::vector<std::string>{kSwitchOffAndOn});
    EXPECT_EQ(Events(run, "messageBox")[0]["icon"], "information");
    EXPECT_TRUE(run.result["system"]["spooler"]["printers"].empty());
    EXPECT_TRUE(test::FindNamed(run.result["system"]["spooler"]["drivers"], "NORVEX KVT-580duo"));
    const auto texts = EventField<std::string>(run, "stepText", "text");
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Adding printer...\r\n"), 0);
}

TEST(AddToWin2KWithWHQLFlow, Windows10InstallsThroughPrintUi) {
    const kvtsim::ProgramRun run = Install(SystemWithPackage("win10-x64"), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    const std::string commandLine =
        PrintUiLine("/if /b \"NORVEX KVT-580duo\" /f .\\kvt580d.inf /r \"COM2:\" /m \"NORVEX KVT-580duo\"");
    const auto processes = Events(run, "process");
    ASSERT_EQ(processes.size(), 4u);
    EXPECT_EQ(processes[0]["commandLine"], "net start spooler");
    // The leftovers' USB nodes go through the 64-bit program from the package.
    EXPECT_EQ(processes[1]["application"], "C:\\Setup\\Driver64\\KVT580duo_DeviceRemoval.exe");
    EXPECT_EQ(processes[1]["hidden"], true);
    EXPECT_EQ(processes[2]["application"], kNativeCmd);
    EXPECT_EQ(processes[2]["commandLine"], commandLine);
    EXPECT_EQ(processes[2]["hidden"], true);
    EXPECT_EQ(processes[2]["startupFlags"], 0x41) << "STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK";
    EXPECT_EQ(processes[2]["environment"], nlohmann::json::array({kNoCurrentDirectorySearch}));
    EXPECT_EQ(processes[3]["commandLine"], "net start spooler");
    EXPECT_EQ(run.result["transcript"].back(), (nlohmann::json{{"event", "exit"}, {"code", 0}}));

    EXPECT_EQ(EventField<std::string>(run, "stepText", "text"),
              (std::vector<std::string>{"Checking existing drivers...\r\n", "Preparing for installation...\r\n",
                                        "Installing printer...\r\n", "Creates a new process \r\n",
                                        "The new process is running...\r\n",
                                        "Waiting until the process has finished processing ...\r\n",
                                        "The driver has been successfully installed.", "Completed."}));
    EXPECT_EQ(run.result["transcript"][static_cast<std::size_t>(0)]["event"], "window");
    const auto waits = Events(run, "wait");
    ASSERT_EQ(waits.size(), 2u);
    EXPECT_EQ(waits[0]["ms"], kvtsim::kDeviceRemovalRunMs);
    // printui runs 3000 ms from its start; the installer starts waiting 500 ms later.
    EXPECT_EQ(waits[1]["ms"], 2500);
    EXPECT_EQ(waits[1]["result"], "signaled");
    EXPECT_EQ(EventField<std::string>(run, "messageBox", "text"), std::vector<std::string>{kRestartQuestion});

    const std::string log = run.result["log"];
    EXPECT_NE(log.find(": \r\nCOMMAND LINE : " + commandLine + "\r\n"), std::string::npos) << log;
    EXPECT_FALSE(Logged(run, "WAIT_TIMEOUT"));
    // printui put the INF into the store, so the installer's own copy is not made.
    const auto steps = test::StepsBegun(run);
    EXPECT_NE(std::find(steps.begin(), steps.end(), "INFFileExist"), steps.end());
    EXPECT_EQ(std::find(steps.begin(), steps.end(), "CopyINFFile"), steps.end());
    // The spooler start, five steps of 500 ms, the device removal, printui's
    // 3000 ms and the closing 2000 ms.
    EXPECT_EQ(run.result["elapsedMs"], 2000 + 500 * 4 + kvtsim::kDeviceRemovalRunMs + 3000 + 2000);
}

TEST(AddToWin2KWithWHQLFlow, UsbInstallsTheDriverOnly) {
    const kvtsim::ProgramRun run = Install(SystemWithPackage("win7-x64"), test::Answers("USB"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(Events(run, "process")[2]["commandLine"],
              PrintUiLine("/ia /m \"NORVEX KVT-580duo\" /f .\\kvt580d.inf"));
    EXPECT_EQ(EventField<std::string>(run, "messageBox", "text"), std::vector<std::string>{kSwitchOffAndOn});
    EXPECT_TRUE(run.result["system"]["spooler"]["printers"].empty());
    EXPECT_TRUE(test::FindNamed(run.result["system"]["spooler"]["drivers"], "NORVEX KVT-580duo"));
}

// With the driver registered (the installer asks for its own environment,
// so only a 32-bit system counts it), a second run only adds a printer.
struct SecondRunRow {
    const char* name;
    const char* port;
    std::vector<std::string> printUiCommands;  // after the first run's
};

void PrintTo(const SecondRunRow& row, std::ostream* out) { *out << row.name; }

class WhqlSecondRunTest : public testing::TestWithParam<SecondRunRow> {};

TEST_P(WhqlSecondRunTest, AddsOnlyWhatThePortNeeds) {
    const SecondRunRow& row = GetParam();
    const kvtsim::ProgramRun first = Install(SystemWithPackage("win7-x86"), test::Answers("COM1"));
    ASSERT_EQ(first.exitCode, 0u);
    const kvtsim::ProgramRun second = Install(test::Reloaded(first), test::Answers(row.port));
    ASSERT_EQ(second.exitCode, 0u);

    std::vector<std::string> printUi;
    for (const auto& process : Events(second, "process"))
        if (process["application"] == kCmd) printUi.push_back(process["commandLine"]);
    EXPECT_EQ(printUi, row.printUiCommands);
    EXPECT_TRUE(Events(second, "messageBox").empty());
    EXPECT_EQ(EventField<std::string>(second, "stepText", "text").back(), "Completed.");
    const auto steps = test::StepsBegun(second);
    for (const char* step : {"RegisterUninstallInfo", "CopyFilesOfUtilities", "DeleteVidPid"})
        EXPECT_EQ(std::find(steps.begin(), steps.end(), step), steps.end()) << step;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WhqlSecondRunTest,
    testing::Values(SecondRunRow{"Usb", "USB", {}},
                    SecondRunRow{"Serial", "COM2",
                                 {PrintUiLine("/if /b \"NORVEX KVT-580duo\" /f .\\kvt580d.inf /r \"COM2:\" /m "
                                              "\"NORVEX KVT-580duo\" /u")}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AddToWin2KWithWHQLFlow, HangingPrintUiIsLeftAfter120SecondsAndTheInfCopied) {
    sim::World world = SystemWithPackage("win10-x64");
    world.extra["printuiHangs"] = true;
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    const auto waits = Events(run, "wait");
    ASSERT_EQ(waits.size(), 2u);  // the device removal's, then printui's
    EXPECT_EQ(waits[1]["ms"], 120000);
    EXPECT_EQ(waits[1]["result"], "timeout");
    EXPECT_TRUE(Logged(run, "WAIT_TIMEOUT"));
    const auto steps = test::StepsBegun(run);
    EXPECT_NE(std::find(steps.begin(), steps.end(), "CopyINFFile"), steps.end());
    // The entry names the store's copy the installer made itself.
    const nlohmann::json* entry =
        test::FindKey(run, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo");
    ASSERT_TRUE(entry);
    const std::string inf = (*entry)["values"]["InfFile"]["data"];
    EXPECT_EQ(inf.rfind("C:\\Windows\\inf\\oem", 0), 0u) << inf;
    EXPECT_TRUE(run.result["system"]["spooler"]["printers"].empty());
    EXPECT_EQ(EventField<std::string>(run, "messageBox", "text"), std::vector<std::string>{kNotInstalled});
}

TEST(AddToWin2KWithWHQLFlow, FailedStartIsShownAndTheInstallationStillRegisters) {
    const kvtsim::ProgramRun run =
        Install(SystemWithPackage("win10-x64"), test::Answers("COM2"),
                [](sim::Simulation& sim) { sim.faults().failCall("Processes.startProcess", 5, 3); });
    ASSERT_EQ(run.exitCode, 0u);
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0]["text"], "CreateProcess failed.");
    EXPECT_EQ(boxes[0]["icon"], "none");
    EXPECT_EQ(boxes[0]["buttons"], "ok");
    EXPECT_EQ(boxes[1]["text"], kNotInstalled);
    EXPECT_TRUE(Logged(run, "CreateProcess failed. (5)"));
    EXPECT_EQ(Events(run, "wait").size(), 1u);  // the device removal's alone
    EXPECT_TRUE(
        test::FindKey(run, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo"));
    EXPECT_TRUE(test::FindFile(run, "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe"));
}

// An installation that leaves no driver, or no printer of it where the port
// needs one, ends with the failure text and a pointer to the log instead of
// the success text, the restart question or the USB request; the uninstall
// entry is still written, to remove what was left.
struct FailedInstallRow {
    const char* name;
    sim::World world;
    const char* port;
    const char* loggedCause;
    const char* failingCall = nullptr;  // with code 5
};

TEST(InstallSequenceOutcome, AFailedInstallationIsNotReportedAsASuccess) {
    sim::World hanging = SystemWithPackage("win10-x64");
    hanging.extra["printuiHangs"] = true;
    // The 64-bit driver of an earlier USB run, which the installer's own
    // check does not count, but no printer.
    sim::World driverOnly = test::Reloaded(Install(SystemWithPackage("win10-x64"), test::Answers("USB")));
    driverOnly.extra["printuiHangs"] = true;
    const FailedInstallRow rows[] = {
        {"PrintUiHangsWithUsb", hanging, "USB", "NORVEX KVT-580duo PRINTER DRIVER IS NOT INSTALLED FOR Windows x64."},
        {"NoPrinterOnCom1", driverOnly, "COM1", "NO PRINTER OF NORVEX KVT-580duo EXISTS."},
        {"DriverRefusedOnXpWithUsb", SystemWithPackage("xp-x86"), "USB",
         "NORVEX KVT-580duo PRINTER DRIVER IS NOT INSTALLED FOR Windows NT x86.", "Spooler.addPrinterDriver"},
    };
    for (const FailedInstallRow& row : rows) {
        SCOPED_TRACE(row.name);
        const kvtsim::ProgramRun run = Install(row.world, test::Answers(row.port), [&](sim::Simulation& sim) {
            if (row.failingCall) sim.faults().failCall(row.failingCall, 5);
        });
        ASSERT_EQ(run.exitCode, 0u);
        const auto boxes = Events(run, "messageBox");
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back()["text"], kNotInstalled);
        EXPECT_EQ(boxes.back()["icon"], "error");
        EXPECT_EQ(boxes.back()["buttons"], "ok");
        for (const auto& box : boxes) EXPECT_TRUE(box["text"] != kRestartQuestion && box["text"] != kSwitchOffAndOn);
        const auto texts = EventField<std::string>(run, "stepText", "text");
        EXPECT_EQ(texts[texts.size() - 2], "The driver could not be installed.");
        EXPECT_TRUE(Logged(run, row.loggedCause));
        EXPECT_TRUE(test::FindKey(run, kUninstallEntry));
    }
}

// The printui command goes to the system's cmd.exe with the current
// directory left out of its program search, so programs of those names in
// the package folder cannot run instead.
struct ShadowRow {
    const char* name;
    const char* plantedFile;
};

void PrintTo(const ShadowRow& row, std::ostream* out) { *out << row.name; }

class PrintUiStartTest : public testing::TestWithParam<ShadowRow> {};

TEST_P(PrintUiStartTest, ProgramsInThePackageFolderNeverRun) {
    sim::World world = SystemWithPackage("win10-x64");
    world.files.putFile(std::string("C:\\Setup\\") + GetParam().plantedFile, "not a system program");
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    const auto processes = Events(run, "process");
    ASSERT_GE(processes.size(), 3u);
    EXPECT_EQ(processes[2]["application"], kNativeCmd);
    EXPECT_EQ(test::PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});
    EXPECT_FALSE(Logged(run, "CreateProcess failed. (2)"));
}

INSTANTIATE_TEST_SUITE_P(Rows, PrintUiStartTest,
                         testing::Values(ShadowRow{"Nothing", "readme.txt"}, ShadowRow{"Cmd", "cmd.exe"},
                                         ShadowRow{"CmdBatch", "cmd.bat"}, ShadowRow{"Rundll32", "RUNDLL32.EXE"},
                                         ShadowRow{"Rundll32Com", "rundll32.com"},
                                         ShadowRow{"Rundll32Batch", "RUNDLL32.cmd"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::installer
