#pragma once
// The dialog templates of the plug-in as the simulation creates them, read
// from UI580D.dll's resource script (copied into the build as text), so the
// simulated dialogs hold the controls, texts, styles and rectangles the
// shipped ones do. Controls without an id are left out: no page reaches them.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sim/SimDialogControls.h"
#include "tools/kvtsim/ResourceScript.h"

namespace kvt::kvtsim {

// The plug-in's resource script, read once.
const ResourceScript& PluginResources();

// The controls of one template as the simulation makes them: the statement's
// kind, text, rectangle and initial state; radio buttons grouped from one
// WS_GROUP control to the next, as the dialog manager groups them.
std::vector<sim::SimControlTemplate> SimulatedControls(const ResourceDialog& dialog);

// Dialogs 116 (Paper), 118 (User Defined Paper Size), 121 (Document
// Settings) and 133 (Version); nothing for another id.
std::optional<std::vector<sim::SimControlTemplate>> PluginDialogTemplate(std::uint16_t dialogId);

}  // namespace kvt::kvtsim
