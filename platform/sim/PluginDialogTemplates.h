#pragma once
// The dialog templates of the plug-in's resources as the simulation creates
// them: the controls that carry an id, with their kind, text and styles.
// The resource scripts of UI580D.dll hold the same controls.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/SimDialogControls.h"

namespace kvt::sim {

// Dialogs 116 (Paper), 118 (User Defined Paper Size), 121 (Document
// Settings) and 133 (Version); nothing for another id.
std::optional<std::vector<SimControlTemplate>> PluginDialogTemplate(std::uint16_t dialogId);

}  // namespace kvt::sim
