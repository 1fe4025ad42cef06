#include "driversrc/kvt-580duo/DrvPackage/PrinterDefaultUpdate.h"

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {

std::uint32_t UpdatePrinterDefault(ports::PluginSpooler& spooler, const PageState& state,
                                   const DevModeChange& change) {
    ports::DevModeW devmode;
    if (spooler.getDefaultDevMode(state.printer, PrinterName(state), devmode) != err::Success) return err::Success;
    ports::PrinterInfo2W info;
    std::uint32_t needed = 0;
    const std::uint32_t sizeQuery = spooler.getPrinter(state.printer, 0, info, needed);
    if (sizeQuery != err::Success && sizeQuery != err::InsufficientBuffer) return err::Success;
    if (spooler.getPrinter(state.printer, needed, info, needed) != err::Success) return err::Success;
    if (!change(devmode)) return err::Success;
    return spooler.setPrinterDevMode(state.printer, info, devmode);
}

}  // namespace kvt::plugin
