// Forms, language monitor and print processor, with their fallbacks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Installer/setup_common/ComponentRemoval.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/setup_common/removal/RemovalTestSupport.h"

namespace kvt::setup {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::RemovalTest;
using testing::RowName;

constexpr const char* kMonitorKey =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\"
    "NVX Language Monitor KVT580duo";

std::string ProcessorKey(const sim::World& world) {
    return std::string("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\") +
           (world.os.is64Bit ? "Windows x64" : "Windows NT x86") + "\\Print Processors\\NVX PRINT PROCESSOR KVT580duo";
}

TEST_F(RemovalTest, DeleteFormsTakesEveryFormCarryingTheModelTagAndNothingElse) {
    sim::World world = *sim::FreshImage("win7-x86");
    for (const char* name : {"Roll 80 [580duo]", "Roll 80 [580DUO]", "[580duo] ticket", "Label 4x6"})
        world.spooler.forms.push_back(sim::FormRecord{name, 0, 80000, 80000, {0, 0, 80000, 80000}, {}});
    start(std::move(world), kUninstallerRemoval);

    DeleteForms(context());

    std::vector<std::string> left;
    for (const sim::FormRecord& form : this->world().spooler.forms) left.push_back(form.name);
    EXPECT_THAT(left, ElementsAre("Letter", "Legal", "Executive", "A3", "A4", "A5", "B5 (JIS)", "Envelope #10",
                                  "Roll 80 [580DUO]", "Label 4x6"));
    EXPECT_THAT(logLines(), ElementsAre("DeleteForms BEGIN", "FORM NAMES : Roll 80 [580duo] ",
                                        "FORM NAMES : [580duo] ticket ", "DeleteForms END"));
    EXPECT_THAT(stepTexts(), ElementsAre("Deleting forms..."));
    EXPECT_THAT(sleeps(), ElementsAre(100u));
}

struct ComponentRow {
    const char* name;
    const char* os;
    SetupProgram program;
    bool spoolerRunning;
    std::uint32_t refusal;  // planned error of the spooler's deletion, 0 for none
    std::vector<std::string> lines;
    std::vector<std::string> commands;
    friend void PrintTo(const ComponentRow& row, std::ostream* out) { *out << row.name; }
};

class ComponentTest : public RemovalTest, public ::testing::WithParamInterface<ComponentRow> {
protected:
    void startRow(const char* method) {
        const ComponentRow& row = GetParam();
        sim::World world = test::SystemWithComponents(row.os);
        world.spooler.running = row.spoolerRunning;
        start(std::move(world), row.program == SetupProgram::Installer ? kInstallerRemoval : kUninstallerRemoval);
        if (row.refusal != 0) sim().faults().failCall(method, row.refusal, 1);
    }
};

class DeleteLanguageMonitorTest : public ComponentTest {};

TEST_P(DeleteLanguageMonitorTest, RemovesMonitorAndItsDll) {
    startRow("Spooler.deleteMonitor");
    DeleteLanguageMonitor(context());

    EXPECT_THAT(logLines(), ElementsAreArray(GetParam().lines));
    EXPECT_THAT(commands(), ElementsAreArray(GetParam().commands));
    EXPECT_FALSE(hasKey(kMonitorKey));
    // A monitor that the spooler did not let go of stays loaded, its DLL with it.
    EXPECT_EQ(hasFile("C:\\Windows\\System32\\MON580D.dll"), GetParam().refusal != 0);
    EXPECT_EQ(sim().files().pendingRedirectionDisables(), 0u);
}

const std::string kMissingIn = "DeleteFile Error : C:\\Windows\\";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, DeleteLanguageMonitorTest, ::testing::Values(
    // A 32-bit program reaches the real system directory only as Sysnative.
    ComponentRow{"Win10x64", "win10-x64", SetupProgram::Installer, true, 0,
                 {"DeleteLanguageMonitor BEGIN", kMissingIn + "system32\\MON580D.dll , (2)",
                  kMissingIn + "SysWOW64\\MON580D.dll , (2)", kMissingIn + "MON580D.dll , (2)",
                  "DeleteLanguageMonitor END"}, {}},
    // XP x64 without the update has no Sysnative: the real system directory
    // is reached with the redirection off.
    ComponentRow{"XpX64WithoutSysnative", "xp-x64", SetupProgram::Uninstaller, true, 0,
                 {"DeleteLanguageMonitor BEGIN", kMissingIn + "system32\\MON580D.dll , (2)",
                  kMissingIn + "SysWOW64\\MON580D.dll , (2)", kMissingIn + "MON580D.dll , (2)",
                  kMissingIn + "Sysnative\\MON580D.dll , (3)", "DeleteLanguageMonitor END"}, {}},
    ComponentRow{"XpX86", "xp-x86", SetupProgram::Uninstaller, true, 0,
                 {"DeleteLanguageMonitor BEGIN", "DeleteLanguageMonitor END"}, {}},
    ComponentRow{"UnknownMonitor", "xp-x86", SetupProgram::Installer, true, err::UnknownPrintMonitor,
                 {"DeleteLanguageMonitor BEGIN", "DeleteMonitor Error : (3000)",
                  "The specified print monitor is unknown or not installed on this system.",
                  kMissingIn + "system32\\MON580D.dll , (5)", "DeleteLanguageMonitor END"}, {}},
    ComponentRow{"UninstallerStartsTheSpoolerAndRetries", "xp-x86", SetupProgram::Uninstaller, false, 0,
                 {"DeleteLanguageMonitor BEGIN", "DeleteLanguageMonitor END"}, {"net start spooler"}},
    ComponentRow{"InstallerFallsBackWhileTheSpoolerIsDown", "xp-x86", SetupProgram::Installer, false, 0,
                 {"DeleteLanguageMonitor BEGIN", "DeleteMonitor Error : (1722)", "DeleteLanguageMonitor END"}, {}}),
    RowName());
// clang-format on

class DeleteProcessorTest : public ComponentTest {};

const std::string kProcessorHeld = "DeleteFile Error : C:\\Windows\\System32\\spool\\prtprocs\\";

TEST_P(DeleteProcessorTest, RemovesTheProcessorOfTheDriverEnvironmentAndOnlyItsDll) {
    startRow("Spooler.deletePrintProcessor");
    world().files.putFile("C:\\Windows\\System32\\spool\\prtprocs\\W32X86\\PRO580D.dll", "32-bit processor");
    DeleteProcessor(context());

    EXPECT_THAT(logLines(), ElementsAreArray(GetParam().lines));
    EXPECT_THAT(commands(), ElementsAreArray(GetParam().commands));
    EXPECT_FALSE(hasKey(ProcessorKey(world())));
    const bool is64Bit = world().os.is64Bit;
    EXPECT_EQ(hasFile(std::string("C:\\Windows\\System32\\spool\\prtprocs\\") + (is64Bit ? "x64" : "W32X86") +
                      "\\PRO580D.dll"),
              GetParam().refusal != 0);
    EXPECT_EQ(hasFile("C:\\Windows\\System32\\spool\\prtprocs\\W32X86\\PRO580D.dll"),
              is64Bit || GetParam().refusal != 0);
    // The spooler itself let go of it, unless it refused.
    const auto& processors = sim().spooler().memory()->printProcessors;
    EXPECT_EQ(std::any_of(processors.begin(), processors.end(),
                          [](const sim::PrintProcessorRecord& p) { return p.name == "NVX PRINT PROCESSOR KVT580duo"; }),
              GetParam().refusal != 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, DeleteProcessorTest, ::testing::Values(
    ComponentRow{"Win10x64", "win10-x64", SetupProgram::Installer, true, 0,
                 {"DeleteProcessor BEGIN", "DeleteProcessor END"}, {}},
    ComponentRow{"RefusedOnXp", "xp-x86", SetupProgram::Uninstaller, true, err::AccessDenied,
                 {"DeleteProcessor BEGIN", kProcessorHeld + "W32X86\\PRO580D.dll , (5)", "DeleteProcessor END"}, {}},
    ComponentRow{"RefusedOnWin10x64", "win10-x64", SetupProgram::Installer, true, err::AccessDenied,
                 {"DeleteProcessor BEGIN", kProcessorHeld + "x64\\PRO580D.dll , (5)", "DeleteProcessor END"}, {}},
    ComponentRow{"UninstallerStartsTheSpoolerAndRetries", "xp-x86", SetupProgram::Uninstaller, false, 0,
                 {"DeleteProcessor BEGIN", "DeleteProcessor END"}, {"net start spooler"}}),
    RowName());
// clang-format on

// On 64-bit Windows the fallback deletes the "Windows x64" key through the
// 64-bit view, and its failure names that call.
TEST_F(RemovalTest, DeleteProcessorFallbackOn64BitWindowsUsesThe64BitView) {
    start(test::SystemWithComponents("win10-x64"), kUninstallerRemoval);
    sim().faults().failCall("Spooler.deletePrintProcessor", err::AccessDenied, 1);
    sim().faults().failCall("Registry.deleteKeyEx", err::AccessDenied, 1);
    DeleteProcessor(context());

    EXPECT_THAT(logLines(), ElementsAre("DeleteProcessor BEGIN",
                                        "MyRegDeleteKeyEx failed : SYSTEM\\CurrentControlSet\\Control\\Print\\"
                                        "Environments\\Windows x64\\Print Processors\\"
                                        "NVX PRINT PROCESSOR KVT580duo (5) ",
                                        kProcessorHeld + "x64\\PRO580D.dll , (5)", "DeleteProcessor END"));
    EXPECT_TRUE(hasKey(ProcessorKey(world())));
}

}  // namespace
}  // namespace kvt::setup
