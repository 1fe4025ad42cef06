#include "driversrc/kvt-580duo/DrvPackage/PrinterSetup.h"

#include <string>

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

ports::PrinterDataValue Dword(std::uint32_t number) {
    return {reg::TypeDword,
            {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
             static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
}

// Reads level 2 with the size the spooler asks for and writes it back with
// the product's attributes and print processor. True when the read worked;
// the write-back's own result does not matter.
bool ApplyPrinterSettings(ports::PluginSpooler& spooler, ports::PrinterHandle printer) {
    ports::PrinterInfo2W info;
    std::uint32_t needed = 0;
    const std::uint32_t sizeQuery = spooler.getPrinter(printer, 0, info, needed);
    if (sizeQuery != err::Success && sizeQuery != err::InsufficientBuffer) return false;
    if (spooler.getPrinter(printer, needed, info, needed) != err::Success) return false;
    info.attributes = kPrinterAttributes;
    info.printProcessor = std::u16string(kPrintProcessorName);
    spooler.setPrinter(printer, info);
    return true;
}

}  // namespace

HResult InitializePrinter(ports::PluginSpooler& spooler, std::u16string_view printerName) {
    ports::PrinterHandle printer;
    if (spooler.openPrinter(printerName, ports::spool::PrinterAllAccess, printer) != err::Success) return hr::EFail;
    const bool settingsApplied = ApplyPrinterSettings(spooler, printer);
    // The installer recognises the driver by these values, so they are
    // written even when the settings could not be.
    for (const VersionValue& value : kDriverVersionValues) {
        const ports::PrinterDataValue number = Dword(value.number);
        spooler.setPrinterData(printer, value.name, number.type, number.data.data(),
                               static_cast<std::uint32_t>(number.data.size()));
    }
    spooler.closePrinter(printer);
    return settingsApplied ? hr::SOk : hr::EFail;
}

HResult PrinterEvent(ports::PluginSpooler& spooler, std::u16string_view printerName, int event) {
    if (event != printer_event::Initialize) return hr::SOk;
    return InitializePrinter(spooler, printerName);
}

}  // namespace kvt::plugin
