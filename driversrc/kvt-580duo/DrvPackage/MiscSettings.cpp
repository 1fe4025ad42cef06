#include "driversrc/kvt-580duo/DrvPackage/MiscSettings.h"

#include <algorithm>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/WinCodes.h"

namespace kvt::plugin {

MiscSettings DefaultMiscSettings() {
    MiscSettings settings;
    settings.bytes[misc::CutMode] = 1;
    settings.bytes[misc::Copies] = 1;
    return settings;
}

void LoadMiscSettings(ports::PluginSpooler& spooler, PageState& state) {
    state.misc = MiscSettings{};
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    state.miscStatus = spooler.getPrinterData(state.printer, kMiscValueName, kMiscSize, value, needed);
    state.miscNeeded = needed;
    if (state.miscStatus != err::Success) {
        state.misc = DefaultMiscSettings();
        return;
    }
    std::copy_n(value.data.begin(), std::min(value.data.size(), kMiscSize), state.misc.bytes.begin());
}

std::uint32_t SaveMiscSettings(ports::PluginSpooler& spooler, const PageState& state) {
    return spooler.setPrinterData(state.printer, kMiscValueName, reg::TypeBinary, state.misc.bytes.data(),
                           static_cast<std::uint32_t>(state.misc.bytes.size()));
}

}  // namespace kvt::plugin
