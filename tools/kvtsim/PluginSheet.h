#pragma once
// The plug-in's property sheet as `kvtsim plugin sheet` shows it: the pages
// of DocumentPropertySheets or DevicePropertySheets on simulated dialogs,
// created when first shown as a property sheet creates them, and the user
// of a script acting on them and on the paper-size dialog the Paper page
// opens.
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/sim/Simulation.h"
#include "tools/kvtsim/KvtsimCli.h"
#include "tools/kvtsim/SheetScript.h"

namespace kvt::kvtsim {

enum class SheetKind { Document, Device };

struct SheetRun {
    nlohmann::json pages = nlohmann::json::array();    // every page, with its controls once created
    nlohmann::json dialogs = nlohmann::json::array();  // every run of the paper-size dialog
    bool applyEnabled = false;
    std::optional<std::string> closed;   // "ok" or "cancel" once the sheet is closed
    std::optional<std::string> problem;  // "JSON_PATH: reason" for an action the sheet cannot take
};

// Runs `script` on the sheet of the printer the page state is bound to;
// what the dialogs do is recorded in the simulation's transcript.
SheetRun RunPluginSheet(sim::Simulation& sim, plugin::PageState& state, SheetKind kind, const SheetScript& script);

// kvtsim plugin sheet --system FILE --printer NAME --script FILE [--sheet document|device] [--out FILE]
int RunPluginSheetCommand(const std::vector<std::string>& args, KvtsimIo& io);

}  // namespace kvt::kvtsim
