// Whole removals in both forms: what is left of the product, the log's
// order, the waits, and the uninstaller's partial choice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <string_view>

#include "Installer/setup_common/ComponentRemoval.h"
#include "Installer/setup_common/DeviceCleanup.h"
#include "Installer/setup_common/FileRemoval.h"
#include "Installer/setup_common/PrinterRemoval.h"
#include "Installer/setup_common/RemovalSequence.h"
#include "Installer/setup_common/SpoolerService.h"
#include "platform/sim/ImageJson.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/setup_common/removal/RemovalTestSupport.h"
#include "tests/support/ImageDifferences.h"

namespace kvt::setup {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::RemovalTest;

// The uninstaller's own RemovePrinterObjects belongs to its program; this
// stand-in does what it does to the system.
void RemoveChosenPrinters(const RemovalContext& context, const std::vector<std::string>& chosen) {
    for (const std::string& name : chosen) DeletePrinterObject(context, name);
    NetStopSpooler(context.platform);
    Wait(context, pause::AfterSpoolerStop);
    NetStartSpooler(context.platform);
    Wait(context, pause::AfterSpoolerStart);
}

UninstallRemoval RunUninstallerRemoval(const RemovalContext& context, int found, std::vector<std::string> chosen) {
    return RemoveForUninstall(context, found, chosen,
                              [&](const std::vector<std::string>& names) { RemoveChosenPrinters(context, names); });
}

using test::ImageDifferences;

// The log files, C:\Temp and the utilities are what the removal leaves by design.
void ForgetWhatTheRemovalLeaves(sim::World& world) {
    world.files.eraseDirectory("C:\\Temp");
    world.files.eraseDirectory("C:\\Windows\\KVT-580duo");
    world.files.eraseFile("C:\\Windows\\System32\\KVT580duo_Config.NVX");
    world.files.eraseFile("C:\\Windows\\SysWOW64\\KVT580duo_Config.NVX");
}

struct ScenarioRow {
    const char* name;
    const char* os;
    SetupProgram program;
    friend void PrintTo(const ScenarioRow& row, std::ostream* out) { *out << row.name; }
};

class RemoveInstalledProductTest : public RemovalTest, public ::testing::WithParamInterface<ScenarioRow> {};

TEST_P(RemoveInstalledProductTest, LeavesNothingOfTheProductAndChangesNothingElse) {
    const ScenarioRow& row = GetParam();
    sim::World before = test::SystemBeforeProduct(row.os);
    const bool installer = row.program == SetupProgram::Installer;
    start(test::InstallProduct(before), installer ? kInstallerRemoval : kUninstallerRemoval);

    if (installer)
        DeleteDriverPrinters(context());
    else
        EXPECT_EQ(RunUninstallerRemoval(context(), 2, {"Receipt 2", "NORVEX KVT-580duo"}),
                  UninstallRemoval::DriverRemoved);

    EXPECT_EQ(window().shownText(), "The uninstallation has been completed.");
    EXPECT_EQ(window().position(), 100);
    ASSERT_GT(ImageDifferences(sim::SaveImage(before), sim::SaveImage(test::InstallProduct(before))).size(), 20u);
    sim::World after = world();
    EXPECT_TRUE(hasFile("C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe"));
    EXPECT_TRUE(hasFile("C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX"));
    ForgetWhatTheRemovalLeaves(after);
    ForgetWhatTheRemovalLeaves(before);
    EXPECT_THAT(ImageDifferences(sim::SaveImage(before), sim::SaveImage(after)), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Systems, RemoveInstalledProductTest,
                         ::testing::Values(ScenarioRow{"InstallerOnWin10x64", "win10-x64", SetupProgram::Installer},
                                           ScenarioRow{"InstallerOnXpX86", "xp-x86", SetupProgram::Installer},
                                           ScenarioRow{"UninstallerOnWin10x64", "win10-x64", SetupProgram::Uninstaller},
                                           ScenarioRow{"UninstallerOnXpX86", "xp-x86", SetupProgram::Uninstaller}),
                         testing::RowName());

TEST_F(RemovalTest, InstallerLogOfAFullRemovalOnWin10x64) {
    start(test::InstallProduct(test::SystemBeforeProduct("win10-x64")), kInstallerRemoval);
    DeleteDriverPrinters(context());
    const std::string drivers = "C:\\Windows\\System32\\spool\\drivers\\x64";
    EXPECT_THAT(logLines(), ElementsAreArray<std::string>({
                                "RemoveDrivers BEGIN",
                                "RemoveFromOS BEGIN",
                                "DeleteForms BEGIN",
                                "FORM NAMES : Roll 80 x 200 [580duo] ",
                                "FORM NAMES : Roll 58 x 100 [580duo] ",
                                "DeleteForms END",
                                "DeletePrinterDrv BEGIN",
                                "DeletePrinterDrv END",
                                "DeleteLanguageMonitor BEGIN",
                                "DeleteFile Error : C:\\Windows\\system32\\MON580D.dll , (2)",
                                "DeleteFile Error : C:\\Windows\\SysWOW64\\MON580D.dll , (2)",
                                "DeleteFile Error : C:\\Windows\\MON580D.dll , (2)",
                                "DeleteLanguageMonitor END",
                                "DeleteProcessor BEGIN",
                                "DeleteProcessor END",
                                "DeleteFilesUsed BEGIN",
                                "DeleteFile Error : C:\\Windows\\KVT580D.dll , (2)",
                                "DeleteFile Error : " + drivers + "\\3\\KVT580D.GPD , (2)",
                                "DeleteFile Error : C:\\Windows\\KVT580D.GPD , (2)",
                                "DeleteFile Error : " + drivers + "\\3\\KVT580D.BUD , (2)",
                                "DeleteFile Error : " + drivers + "\\3\\UI580D.dll , (2)",
                                "DeleteFile Error : C:\\Windows\\UI580D.dll , (2)",
                                "DeleteFile Error : C:\\Windows\\UNI580D.dll , (2)",
                                "DeleteFile Error : " + drivers + "\\3\\UNI580D.dll , (2)",
                                "DeleteFile Error : C:\\Windows\\UI580D.INI , (2)",
                                "DeleteFilesUsed END",
                                "DeleteINFFile BEGIN",
                                "DeleteFile Error : C:\\Windows\\inf\\oem2.PNF , (2)",
                                "DeleteFile Error : C:\\Windows\\inf\\oem5.PNF , (2)",
                                "DeleteINFFile END",
                                "DeleteUninstallationInfo BEGIN",
                                "DeleteUninstallationInfo END",
                                "RemoveFromOS END",
                                "DeleteVidPid BEGIN",
                                "VID&PID : USB\\Vid_2E9C&Pid_000b",
                                "DeleteVidPid END",
                                "Delete_LPT_USB_Info BEGIN",
                                "REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo",
                                "REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo",
                                // Only the device removal program takes the device keys from Vista on.
                                "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo (2) ",
                                "REGKEY_1 : HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo",
                                "REGKEY_2 : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo",
                                "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo (2) ",
                                "Delete_LPT_USB_Info END",
                                "DeletePrnDrvPnPDirectory BEGIN",
                                "DIR PATH-1 : " + drivers + "\\norvexkvt_580duoaed9 ",
                                "DIR PATH-2 : " + drivers + "\\norvex_kvt_580duobc99 ",
                                "DeletePrnDrvPnPDirectory END",
                                "RemoveDrivers END",
                            }));
    EXPECT_THAT(stepTexts(), ElementsAre("Deleting printer-objects...", "Removing printer-driver...",
                                         "Deleting Vid & Pid info...", "Deleting information of LPT and USB...",
                                         "Deleting PNP directories...", "The uninstallation has been completed."));
}

// The waits each form's steps give, in order; the printer with jobs adds
// one second in the installer's sweep and in the uninstaller's choice.
struct WaitRow {
    const char* name;
    const char* os;
    SetupProgram program;
    std::vector<std::uint32_t> waits;
    friend void PrintTo(const WaitRow& row, std::ostream* out) { *out << row.name; }
};

class RemovalWaitsTest : public RemovalTest, public ::testing::WithParamInterface<WaitRow> {};

TEST_P(RemovalWaitsTest, WaitsAsTheStepsGiveThem) {
    const WaitRow& row = GetParam();
    sim::World world = test::InstallProduct(test::SystemBeforeProduct(row.os));
    const bool installer = row.program == SetupProgram::Installer;
    start(std::move(world), installer ? kInstallerRemoval : kUninstallerRemoval);
    if (installer)
        DeleteDriverPrinters(context());
    else
        RunUninstallerRemoval(context(), 2, {"Receipt 2", "NORVEX KVT-580duo"});

    EXPECT_THAT(sleeps(), ElementsAreArray(row.waits));
    std::uint64_t total = std::accumulate(row.waits.begin(), row.waits.end(), std::uint64_t{0});
    // The waits for the device removal program: from Vista on it also takes
    // the nodes of both device keys.
    if (sim().world().os.is64Bit)
        total += kvtsim::kDeviceRemovalRunMs * (sim().world().os.major >= 6 ? 3 : 1);
    EXPECT_EQ(sim().clock().elapsedMs(), total);
}

INSTANTIATE_TEST_SUITE_P(Forms, RemovalWaitsTest,
                         ::testing::Values(WaitRow{"Installer",
                                                   "win10-x64",
                                                   SetupProgram::Installer,
                                                   {1000, 1000, 2000, 2000, 1500, 2000, 500, 500, 500, 1000}},
                                           WaitRow{"InstallerXp",
                                                   "xp-x86",
                                                   SetupProgram::Installer,
                                                   {1000, 1000, 2000, 2000, 1500, 2000, 500, 500, 500, 1000}},
                                           WaitRow{"Uninstaller",
                                                   "win10-x64",
                                                   SetupProgram::Uninstaller,
                                                   {1000, 1000, 2000, 2000, 1000, 100, 100, 2000, 2000, 100, 100, 100,
                                                    1500, 2000, 100, 500, 500, 500, 1000}}),
                         testing::RowName());

// What each step does to the progress bar in each form: a step of the bar
// and then its text, its text alone (a refresh), or nothing at all.
struct ProgressStepRow {
    const char* name;
    void (*run)(const RemovalContext&);
    std::string_view text;
    StatusReport installer;
    std::optional<StatusReport> uninstaller;  // empty: the uninstaller has no such step
    bool goesOn;  // further steps follow in the same call
    friend void PrintTo(const ProgressStepRow& row, std::ostream* out) { *out << row.name; }
};

class RemovalProgressStepTest : public RemovalTest, public ::testing::WithParamInterface<ProgressStepRow> {};

TEST_P(RemovalProgressStepTest, StepsOrRefreshesPerForm) {
    const ProgressStepRow& row = GetParam();
    for (const RemovalForm* form : {&kInstallerRemoval, &kUninstallerRemoval}) {
        const bool installer = form == &kInstallerRemoval;
        if (!installer && !row.uninstaller) continue;
        const StatusReport report = installer ? row.installer : *row.uninstaller;
        start(test::InstallProduct(test::SystemBeforeProduct("win10-x64")), *form);
        row.run(context());

        std::vector<std::string> shown;  // "bar step" for a step of the bar, else the text shown
        for (const auto& event : sim().transcript().events()) {
            if (event["event"] == "progress") shown.push_back("bar step");
            if (event["event"] == "stepText") shown.push_back(event["text"].get<std::string>());
        }
        std::vector<std::string> expected;
        if (report == StatusReport::Step) expected.push_back("bar step");
        if (report != StatusReport::None) expected.push_back(std::string(row.text));
        if (row.goesOn && shown.size() > expected.size()) shown.resize(expected.size());
        EXPECT_EQ(shown, expected) << (installer ? "installer" : "uninstaller");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Steps, RemovalProgressStepTest, ::testing::Values(
    ProgressStepRow{"DeleteDriverPrinters", [](const RemovalContext& c) { DeleteDriverPrinters(c); },
                    removal_text::DeletingPrinterObjects, StatusReport::Step, std::nullopt, true},
    ProgressStepRow{"DeleteForms", [](const RemovalContext& c) { DeleteForms(c); },
                    removal_text::DeletingForms, StatusReport::None, StatusReport::Refresh, false},
    ProgressStepRow{"DeletePrinterDrv",
                    [](const RemovalContext& c) { DeletePrinterDrv(c, c.entry(removal_entry::ModelName)); },
                    removal_text::DeletingPrinterDrivers, StatusReport::None, StatusReport::Refresh, false},
    ProgressStepRow{"DeleteLanguageMonitor", [](const RemovalContext& c) { DeleteLanguageMonitor(c); },
                    removal_text::DeletingLanguageMonitor, StatusReport::None, StatusReport::Refresh, false},
    ProgressStepRow{"DeleteProcessor", [](const RemovalContext& c) { DeleteProcessor(c); },
                    removal_text::DeletingProcessor, StatusReport::None, StatusReport::Refresh, false},
    ProgressStepRow{"DeleteDriverFiles", [](const RemovalContext& c) { DeleteDriverFiles(c); },
                    removal_text::DeletingDriverComponents, StatusReport::None, StatusReport::Step, false},
    ProgressStepRow{"DeleteINFFile", [](const RemovalContext& c) { DeleteINFFile(c); },
                    removal_text::DeletingInfFile, StatusReport::None, StatusReport::Refresh, false},
    ProgressStepRow{"DeleteVidPid", [](const RemovalContext& c) { DeleteVidPid(c); },
                    removal_text::DeletingVidPid, StatusReport::Refresh, StatusReport::Step, false},
    ProgressStepRow{"Delete_LPT_USB_Info", [](const RemovalContext& c) { Delete_LPT_USB_Info(c); },
                    removal_text::DeletingLptUsbInfo, StatusReport::Refresh, StatusReport::Step, false},
    ProgressStepRow{"DeletePrnDrvPnPDirectory", [](const RemovalContext& c) { DeletePrnDrvPnPDirectory(c); },
                    removal_text::DeletingPnpDirectories, StatusReport::Refresh, StatusReport::Step, false}),
    testing::RowName());
// clang-format on

TEST_F(RemovalTest, UninstallerWithSomePrintersChosenDeletesOnlyThose) {
    start(test::InstallProduct(test::SystemBeforeProduct("win10-x64")), kUninstallerRemoval);
    std::vector<std::string> chosen{"Receipt 2"};
    std::vector<std::string> removed;
    const UninstallRemoval result = RemoveForUninstall(context(), 2, chosen, [&](const auto& names) {
        removed = names;
        RemoveChosenPrinters(context(), names);
    });

    EXPECT_EQ(result, UninstallRemoval::DriverKept);
    EXPECT_THAT(removed, ElementsAre("Receipt 2"));
    EXPECT_TRUE(hasKey("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\NORVEX KVT-580duo"));
    EXPECT_FALSE(hasKey("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Receipt 2"));
    EXPECT_TRUE(hasKey(test::kUninstallKey));
    EXPECT_THAT(logLines(), IsEmpty()) << "no step of RemoveFromOS runs";
    EXPECT_THAT(stepTexts(), ElementsAre("Deleting printer-driver objects..."));
}

TEST_F(RemovalTest, UninstallerWithoutPrinterObjectsGoesStraightToTheFullRemoval) {
    start(test::SystemBeforeProduct("xp-x86"), kUninstallerRemoval);
    std::vector<std::string> chosen;
    bool printersRemoved = false;
    EXPECT_EQ(RemoveForUninstall(context(), 0, chosen, [&](const auto&) { printersRemoved = true; }),
              UninstallRemoval::DriverRemoved);
    EXPECT_FALSE(printersRemoved);
    // Nothing of the product was there: every step still runs and ends, but
    // for the uninstall entry's, whose failure leaves out its END line.
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.ends_with(" END"); }), 11);
    EXPECT_THAT(lines, ::testing::Contains(::testing::StartsWith("SHDeleteKey failed : SOFTWARE\\Microsoft")));
    EXPECT_EQ(lines.back(), "DeleteInstalledDirectory END");
    EXPECT_EQ(window().shownText(), "The uninstallation has been completed.");
    EXPECT_EQ(window().position(), 100);
}

}  // namespace
}  // namespace kvt::setup
