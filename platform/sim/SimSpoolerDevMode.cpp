// Printers' default device modes as the driver's user interface reads and
// writes them through the spooler.
#include "platform/ports/WinCodes.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"

namespace kvt::sim {

std::uint32_t SimSpooler::printerDevMode(ports::PrinterHandle printer, DevModeRecord& devmode) {
    if (std::uint32_t error = begin("Spooler.printerDevMode")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    devmode = p->devmode.value_or(DevModeRecord{});
    return err::Success;
}

std::uint32_t SimSpooler::setPrinterWithDevMode(ports::PrinterHandle printer, const ports::PrinterInfo2& info,
                                                const DevModeRecord& devmode) {
    if (std::uint32_t error = setPrinter(printer, info)) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    nlohmann::json extra = p->devmode ? p->devmode->extra : nlohmann::json::object();
    p->devmode = devmode;
    p->devmode->extra = std::move(extra);
    WritePrinterKey(sim_.world().registry, *p);
    return err::Success;
}

}  // namespace kvt::sim
