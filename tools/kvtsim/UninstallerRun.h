#pragma once
// The uninstaller's run behind `kvtsim run uninstaller`: its single-copy
// check, the main window, the list of printer objects, the user's choice as
// the answers' "uninstall" gives it, and the worker's removal to the end of
// the process.
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/kvtsim/ProgramRun.h"

namespace kvt::kvtsim {

// The answers' "uninstall": the items to clear in the check list, then
// Uninstall (or Cancel). Absent: Uninstall with every item checked.
struct UninstallAnswers {
    std::vector<std::string> uncheck;
    bool pressUninstall = true;
};

// Reads the "uninstall" object (null reads as absent). Nothing, and
// `problem` as "JSON_PATH: reason", when "uncheck" is not a list of texts or
// "action" is neither "uninstall" nor "cancel"; unknown fields are ignored.
std::optional<UninstallAnswers> ParseUninstallAnswers(const nlohmann::json& uninstall, std::string& problem);

// Runs the uninstaller, as the shipped 32-bit program, on an image. Answers
// whose "uninstall" does not parse count as absent (the answers file is
// checked with ParseUninstallAnswers before a run).
ProgramRun RunUninstaller(sim::World world, const RunAnswers& answers, const RunPreparation& prepare = {});
// The uninstaller's flow alone, in a simulation built for the 32-bit
// program (see RunInstallerFlow).
FlowEnd RunUninstallerFlow(sim::Simulation& sim, const RunAnswers& answers);

}  // namespace kvt::kvtsim
