// The setup programs' command line: what each word sets, and every way a
// command line is unusable.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Installer/setup_common/SetupCommandLine.h"

namespace kvt::setup {
namespace {

TEST(SetupCommandLine, ReadsEveryOptionOrSaysWhatIsWrong) {
    struct Row {
        const char* name;
        const char* text;
        SetupProgram program;
        bool quiet;
        std::optional<int> port;
        RestartChoice restart;
        bool usage;
        const char* problem;
    } rows[] = {
        {"Empty", "", SetupProgram::Installer, false, {}, RestartChoice::Ask, false, ""},
        {"Blanks", "  \t ", SetupProgram::Installer, false, {}, RestartChoice::Ask, false, ""},
        {"QuietNeverRestarts", "/quiet", SetupProgram::Installer, true, {}, RestartChoice::Never, false, ""},
        {"AnyCaseAndDash", "-QuIeT /PORT=lpt2", SetupProgram::Installer, true, 5, RestartChoice::Never, false, ""},
        {"EveryPort", "/port=USB", SetupProgram::Installer, false, 6, RestartChoice::Ask, false, ""},
        {"QuotedWord", "\"/port=COM2\" /quiet", SetupProgram::Installer, true, 1, RestartChoice::Never, false, ""},
        {"ForceWinsOverQuiet", "/quiet /forcerestart", SetupProgram::Uninstaller, true, {}, RestartChoice::Force,
         false, ""},
        {"NoRestartInteractive", "/norestart", SetupProgram::Installer, false, {}, RestartChoice::Never, false, ""},
        {"Usage", "/?", SetupProgram::Uninstaller, false, {}, RestartChoice::Ask, true, ""},
        {"UnknownKeepsQuiet", "/quiet /passive", SetupProgram::Installer, true, {}, RestartChoice::Never, false,
         "Unknown option or bad value: /passive"},
        {"NoIntroducer", "quiet", SetupProgram::Installer, false, {}, RestartChoice::Ask, false,
         "Unknown option or bad value: quiet"},
        {"BareSlash", "/", SetupProgram::Installer, false, {}, RestartChoice::Ask, false,
         "Unknown option or bad value: /"},
        {"BadPort", "/port=COM5", SetupProgram::Installer, false, {}, RestartChoice::Ask, false,
         "Unknown option or bad value: /port=COM5"},
        {"EmptyPort", "/port=", SetupProgram::Installer, false, {}, RestartChoice::Ask, false,
         "Unknown option or bad value: /port="},
        {"PortColonIsNoPort", "/port=COM1:", SetupProgram::Installer, false, {}, RestartChoice::Ask, false,
         "Unknown option or bad value: /port=COM1:"},
        {"UninstallerHasNoPort", "/port=COM1", SetupProgram::Uninstaller, false, {}, RestartChoice::Ask, false,
         "Unknown option or bad value: /port=COM1"},
        {"BothRestarts", "/norestart /forcerestart", SetupProgram::Installer, false, {}, RestartChoice::Force, false,
         "/norestart and /forcerestart exclude each other."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SetupCommandLine line = ParseSetupCommandLine(row.text, row.program);
        EXPECT_EQ(line.quiet, row.quiet);
        EXPECT_EQ(line.portIndex, row.port);
        EXPECT_EQ(line.restart(), row.restart);
        EXPECT_EQ(line.usage, row.usage);
        EXPECT_EQ(line.problem, row.problem);
    }
}

}  // namespace
}  // namespace kvt::setup
