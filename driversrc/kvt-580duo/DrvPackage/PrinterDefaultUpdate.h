#pragma once
// How the Paper page makes its choices the printer's defaults: it reads the
// printer's default device mode and its level-2 settings, changes a field of
// the device mode, and writes the settings back with it only when the field
// changed. A failing read ends the update; the result is that of the write
// (0 when nothing was to be written), for the page to report a refusal.
#include <cstdint>
#include <functional>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

// `change` edits the device mode and says whether it is to be written.
using DevModeChange = std::function<bool(ports::DevModeW& devmode)>;

std::uint32_t UpdatePrinterDefault(ports::PluginSpooler& spooler, const PageState& state,
                                   const DevModeChange& change);

}  // namespace kvt::plugin
