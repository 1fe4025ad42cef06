// Whole installations as support staff reproduce them: a first installation
// on XP and on Windows 10, repeated runs that add numbered printers, a locked
// driver file, a printer name already taken, and a system too old.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"
#include "tests/support/InstallerRuns.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::installer {
namespace {

using test::Events;
using test::EventField;
using test::FindFile;
using test::FindKey;
using test::FindNamed;
using test::Install;
using test::SystemWithPackage;

constexpr const char* kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
constexpr const char* kUninstallKey32 =
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";

std::string PackageText(const char* relative) {
    const sim::World package = SystemWithPackage("xp-x86");
    const sim::FileRecord* file = package.files.findFile(std::string("C:\\Setup\\") + relative);
    return file ? file->bytes : std::string();
}

std::string Sz(const nlohmann::json& key, const char* value) {
    const auto it = key["values"].find(value);
    return it == key["values"].end() ? std::string("(absent)") : (*it)["data"].get<std::string>();
}

TEST(InstallerScenario, FirstInstallationOnXpWithCom2) {
    const kvtsim::ProgramRun run = Install(SystemWithPackage("xp-x86"), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    const auto& spooler = run.result["system"]["spooler"];

    const nlohmann::json* monitor = FindNamed(spooler["monitors"], "NVX Language Monitor KVT580duo");
    ASSERT_TRUE(monitor);
    EXPECT_EQ((*monitor)["environment"], "Windows NT x86");
    EXPECT_EQ((*monitor)["dll"], "MON580D.dll");
    const nlohmann::json* processor = FindNamed(spooler["printProcessors"], "NVX PRINT PROCESSOR KVT580duo");
    ASSERT_TRUE(processor);
    EXPECT_EQ((*processor)["dll"], "PRO580D.dll");

    const nlohmann::json* driver = FindNamed(spooler["drivers"], "NORVEX KVT-580duo");
    ASSERT_TRUE(driver);
    EXPECT_EQ((*driver)["environment"], "Windows NT x86");
    EXPECT_EQ((*driver)["driverPath"], "UNIDRV.DLL");
    EXPECT_EQ((*driver)["dataFile"], "KVT580D.GPD");
    EXPECT_EQ((*driver)["configFile"], "UNIDRVUI.DLL");
    EXPECT_EQ((*driver)["helpFile"], "UNIDRV.HLP");
    EXPECT_EQ((*driver)["dependentFiles"], nlohmann::json::array({"UNIRES.DLL", "STDNAMES.GPD", "KVT580D.DLL",
                                                                  "UI580D.DLL", "UNI580D.DLL", "UI580D.INI"}));
    EXPECT_EQ((*driver)["monitor"], "NVX Language Monitor KVT580duo");

    ASSERT_EQ(test::PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});
    const auto& printer = spooler["printers"][0];
    EXPECT_EQ(printer["driver"], "NORVEX KVT-580duo");
    EXPECT_EQ(printer["port"], "COM2:");
    EXPECT_EQ(printer["attributes"], 0x1800);
    EXPECT_EQ(printer["printProcessor"], "NVX PRINT PROCESSOR KVT580duo");
    EXPECT_EQ(printer["data"]["MajorVersion"]["data"], 3);

    // The INF in the store, and the entry that names it.
    const nlohmann::json* entry = FindKey(run, kUninstallKey);
    ASSERT_TRUE(entry);
    EXPECT_EQ(Sz(*entry, "DisplayName"), "NORVEX KVT-580duo Windows Driver V3.4.3");
    EXPECT_EQ(Sz(*entry, "UninstallString"), "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe");
    const std::string inf = Sz(*entry, "InfFile");
    ASSERT_EQ(inf.rfind("C:\\Windows\\inf\\oem", 0), 0u) << inf;
    ASSERT_TRUE(FindFile(run, inf));
    EXPECT_EQ((*FindFile(run, inf))["text"], PackageText("kvt580d.inf"));

    // The utilities, and the staged copies gone again.
    EXPECT_TRUE(FindFile(run, "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe"));
    EXPECT_TRUE(FindFile(run, "C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX"));
    EXPECT_TRUE(FindFile(run, "C:\\Windows\\system32\\KVT580duo_Config.NVX"));
    EXPECT_TRUE(FindFile(run, "C:\\Windows\\KVT580D.dll"));
    EXPECT_FALSE(FindFile(run, "C:\\Windows\\System32\\spool\\drivers\\W32X86\\KVT580D.dll"));

    EXPECT_EQ(EventField<std::string>(run, "messageBox", "answer"), std::vector<std::string>{"no"});
    EXPECT_TRUE(run.result["system"]["restart"].is_null());
}

TEST(InstallerScenario, RepeatedRunsOnXpAddNumberedPrinters) {
    const kvtsim::ProgramRun first = Install(SystemWithPackage("xp-x86"), test::Answers("COM2"));
    const kvtsim::ProgramRun second = Install(test::Reloaded(first), test::Answers("COM3"));
    const kvtsim::ProgramRun third = Install(test::Reloaded(second), test::Answers("LPT1"));
    ASSERT_EQ(third.exitCode, 0u);

    std::vector<std::pair<std::string, std::string>> printers;
    for (const auto& printer : third.result["system"]["spooler"]["printers"])
        printers.emplace_back(printer["name"], printer["port"]);
    std::sort(printers.begin(), printers.end());
    EXPECT_EQ(printers, (std::vector<std::pair<std::string, std::string>>{{"NORVEX KVT-580duo", "COM2:"},
                                                                         {"NORVEX KVT-580duo(#1)", "COM3:"},
                                                                         {"NORVEX KVT-580duo(#2)", "LPT1:"}}));
    EXPECT_TRUE(test::Logged(third, "PRINTER-DRIVER NAME TO ADD : NORVEX KVT-580duo(#2) "));
    // Everything but the printers and the log is as the first run left it.
    for (const char* part : {"registry", "devices"})
        EXPECT_EQ(third.result["system"][part], first.result["system"][part]) << part;
    for (const char* part : {"drivers", "monitors", "printProcessors", "forms"})
        EXPECT_EQ(third.result["system"]["spooler"][part], first.result["system"]["spooler"][part]) << part;
    for (const auto* run : {&second, &third}) {
        EXPECT_TRUE(Events(*run, "messageBox").empty());
        EXPECT_EQ(EventField<std::string>(*run, "stepText", "text"),
                  (std::vector<std::string>{"Checking existing drivers...\r\n", "Preparing for installation...\r\n",
                                            "Adding printer...\r\n",
                                            "Please wait for adding printer.\r\nIt takes a couple of minutes.",
                                            "Completed."}));
    }
}

TEST(InstallerScenario, Windows10WithCom2) {
    const kvtsim::ProgramRun run = Install(SystemWithPackage("win10-x64"), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    const auto& spooler = run.result["system"]["spooler"];
    const nlohmann::json* driver = FindNamed(spooler["drivers"], "NORVEX KVT-580duo");
    ASSERT_TRUE(driver);
    EXPECT_EQ((*driver)["environment"], "Windows x64");
    ASSERT_EQ(test::PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});
    EXPECT_EQ(spooler["printers"][0]["port"], "COM2:");

    // The 32-bit installer writes the entry in the 64-bit view.
    EXPECT_FALSE(FindKey(run, kUninstallKey32));
    const nlohmann::json* entry = FindKey(run, kUninstallKey);
    ASSERT_TRUE(entry);
    EXPECT_EQ(Sz(*entry, "DisplayName"), "NORVEX KVT-580duo Windows Driver V3.4.3");
    // printui placed the INF, so the entry names the package's INF.
    EXPECT_EQ(Sz(*entry, "InfFile"), "kvt580d.inf");
    EXPECT_TRUE(FindFile(run, "C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe"));
    EXPECT_TRUE(run.result["system"]["restart"].is_null());
}

struct NativeCmdRow {
    const char* name;
    const char* os;
    std::optional<bool> sysnative;
    const char* application;  // the cmd.exe the installer starts
};

class NativePrintUiTest : public ::testing::TestWithParam<NativeCmdRow> {};

// The 32-bit installer names the 64-bit cmd.exe, so that the 64-bit
// printui installs the "Windows x64" driver the printer needs; the logged
// command line stays the one the log always showed.
TEST_P(NativePrintUiTest, InstallsThroughTheNativePrintUi) {
    sim::World world = SystemWithPackage(GetParam().os);
    world.os.sysnative = GetParam().sysnative;
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    std::vector<nlohmann::json> processes;
    for (const auto& process : Events(run, "process"))
        if (process["commandLine"].get<std::string>().rfind("cmd ", 0) == 0) processes.push_back(process);
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0]["application"], GetParam().application);
    const std::string commandLine = processes[0]["commandLine"];
    EXPECT_EQ(commandLine.rfind("cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"NORVEX KVT-580duo\" /f ", 0), 0u);
    EXPECT_NE(run.result["log"].get<std::string>().find("\r\nCOMMAND LINE : " + commandLine + "\r\n"),
              std::string::npos);
    const nlohmann::json* driver = FindNamed(run.result["system"]["spooler"]["drivers"], "NORVEX KVT-580duo");
    ASSERT_TRUE(driver);
    EXPECT_EQ((*driver)["environment"], run.result["system"]["os"]["is64Bit"] ? "Windows x64" : "Windows NT x86");
    EXPECT_EQ(test::PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NativePrintUiTest,
    ::testing::Values(NativeCmdRow{"Windows10", "win10-x64", std::nullopt, "C:\\Windows\\Sysnative\\cmd.exe"},
                      // Without the alias the redirection is turned off for the start.
                      NativeCmdRow{"Windows7WithoutSysnative", "win7-x64", false, "C:\\Windows\\system32\\cmd.exe"},
                      NativeCmdRow{"Windows7On32Bit", "win7-x86", std::nullopt, "C:\\Windows\\system32\\cmd.exe"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(InstallerScenario, LockedDriverFileIsReplacedThroughOld) {
    sim::World world = SystemWithPackage("xp-x86");
    sim::FileRecord& locked = world.files.putFile("C:\\Windows\\KVT580D.dll", "driver of an earlier installation");
    locked.inUse = true;
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM1"));
    ASSERT_EQ(run.exitCode, 0u);

    const nlohmann::json* replaced = FindFile(run, "C:\\Windows\\KVT580D.dll");
    const nlohmann::json* old = FindFile(run, "C:\\Windows\\KVT580D.dll.old");
    ASSERT_TRUE(replaced);
    ASSERT_TRUE(old);
    EXPECT_EQ(run.after.files.findFile("C:\\Windows\\KVT580D.dll")->bytes, PackageText("Driver32\\KVT580D.dll"));
    EXPECT_EQ((*old)["text"], "driver of an earlier installation");
    EXPECT_EQ((*old)["inUse"], true);
    EXPECT_TRUE(test::Logged(run, "ERROR_SHARING_VIOLATION HANDLER"));
    EXPECT_EQ(test::PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});
}

TEST(InstallerScenario, PrinterNameTakenByAnotherDriverEndsTheProgram) {
    // A printer of another driver under the product's name.
    sim::World world = SystemWithPackage("xp-x86");
    {
        for (const char* file : {"HARBORDRV.DLL", "HARBORUI.DLL"})
            world.files.putFile(std::string("C:\\Windows\\System32\\spool\\drivers\\W32X86\\3\\") + file,
                                pe::WriteMinimalDll({pe::kMachineI386, file, {}, file}));
        world.files.putFile("C:\\Windows\\System32\\spool\\drivers\\W32X86\\3\\HARBOR.GPD", "HARBOR.GPD");
        kvtsim::ProductSimulation sim(std::move(world));
        ports::DriverInfo3 other{3, "Harbor Label 200", "Windows NT x86", "HARBORDRV.DLL", "HARBOR.GPD",
                                 "HARBORUI.DLL", "", {}, "", "RAW"};
        ASSERT_EQ(sim.spooler().addPrinterDriver(other), 0u);
        ports::PrinterInfo2 printer;
        printer.printerName = "NORVEX KVT-580duo";
        printer.portName = "LPT2:";
        printer.driverName = "Harbor Label 200";
        printer.printProcessor = "WinPrint";
        printer.dataType = "RAW";
        ports::PrinterHandle handle;
        ASSERT_EQ(sim.spooler().addPrinter(printer, handle), 0u);
        sim.spooler().closePrinter(handle);
        world = sim.snapshot();
    }
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);

    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["icon"], "error");
    const std::string text = boxes[0]["text"];
    EXPECT_EQ(text.rfind("AddPrinter, Error Code: 1802\n\n", 0), 0u) << text;
    EXPECT_EQ(test::LastLogMessages(run, 1), std::vector<std::string>{"AddPrinterToSystem END"});
    EXPECT_EQ(run.result["transcript"].back(), (nlohmann::json{{"event", "exit"}, {"code", 0}}));
    // What was registered before stays; nothing after the printer was done.
    EXPECT_TRUE(FindNamed(run.result["system"]["spooler"]["drivers"], "NORVEX KVT-580duo"));
    EXPECT_FALSE(FindKey(run, kUninstallKey));
    EXPECT_EQ(test::PrinterNames(run), std::vector<std::string>{"NORVEX KVT-580duo"});
}

TEST(InstallerScenario, A32BitUniversalDriverInThe64BitFolderIsRefusedAndReported) {
    // A package put together wrongly: Driver64 holds the x86 universal driver.
    sim::World world = SystemWithPackage("xp-x64");
    world.files.putFile("C:\\Setup\\Driver64\\UNIDRV.DLL", world.files.findFile("C:\\Setup\\Driver32\\UNIDRV.DLL")->bytes);
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);

    // The refusal is reported, and the printer that needed the driver fails
    // after it; the run ends there, without an uninstall entry.
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0]["icon"], "error");
    EXPECT_EQ(boxes[0]["text"].get<std::string>().rfind("AddPrinterDriver, ERR CODE: 216\n\nThis version of %1", 0), 0u);
    EXPECT_EQ(boxes[1]["text"].get<std::string>().rfind("AddPrinter, Error Code: 1797\n\n", 0), 0u);
    EXPECT_EQ(test::LastLogMessages(run, 5),
              (std::vector<std::string>{"AddPrinterDriverToSystem BEGIN", "AddPrinterDriverToSystem END", "\r\n",
                                        "AddPrinterToSystem BEGIN", "AddPrinterToSystem END"}));
    EXPECT_FALSE(FindNamed(run.result["system"]["spooler"]["drivers"], "NORVEX KVT-580duo"));
    EXPECT_TRUE(test::PrinterNames(run).empty());
    EXPECT_FALSE(FindKey(run, kUninstallKey));
}

TEST(InstallerScenario, WindowsNt4IsRefused) {
    sim::World world = SystemWithPackage("xp-x86");
    world.os.major = 4;
    world.os.minor = 0;
    world.os.build = 1381;
    const nlohmann::json before = sim::SaveImage(world);
    const kvtsim::ProgramRun run = Install(std::move(world), test::Answers("COM2"));
    ASSERT_EQ(run.exitCode, 0u);
    const auto boxes = Events(run, "messageBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "THE DRIVER CAN NOT BE INSTALLED ON THIS OS.");
    EXPECT_EQ(boxes[0]["icon"], "information");
    EXPECT_TRUE(Events(run, "dialog").empty());
    EXPECT_TRUE(Events(run, "stepText").empty());
    EXPECT_EQ(run.result["system"]["spooler"], before["spooler"]);
    EXPECT_EQ(run.result["system"]["registry"], before["registry"]);
}

}  // namespace
}  // namespace kvt::installer
