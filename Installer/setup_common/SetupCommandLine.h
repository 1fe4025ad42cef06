#pragma once
// The command line of both setup programs, for deployment tools that run
// them without a person: options introduced by "/" or "-", case-insensitive.
// A word the program does not know, or a value it cannot use, makes the
// whole command line unusable; the program then reports it and ends with
// 87 without installing or removing anything.
#include <optional>
#include <string>
#include <string_view>

#include "Installer/setup_common/SetupProgram.h"

namespace kvt::setup {

// What to do where a run needs a restart.
enum class RestartChoice {
    Ask,    // the question, as an interactive run has always asked it
    Never,  // "/norestart", and a quiet run without "/forcerestart"
    Force,  // "/forcerestart": restart without asking
};

struct SetupCommandLine {
    bool quiet = false;
    // The installer's "/port=": the port dialog's index (0 COM1 ... 6 USB).
    std::optional<int> portIndex;
    bool noRestart = false;
    bool forceRestart = false;
    bool usage = false;  // "/?"
    // Empty when the command line is usable; else what is wrong with it.
    std::string problem;

    RestartChoice restart() const;
};

// `text` is what follows the program's name (WinMain's command line).
// Quotes group a word and are dropped; "/quiet" counts even when another
// word is wrong, so that a quiet run reports its bad command line in the
// log and never in a message box.
SetupCommandLine ParseSetupCommandLine(std::string_view text, SetupProgram program);

// The text "/?" shows: the program's command lines and exit codes.
std::string_view UsageText(SetupProgram program);

}  // namespace kvt::setup
