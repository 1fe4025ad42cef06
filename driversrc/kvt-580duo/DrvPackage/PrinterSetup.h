#pragma once
// What the plug-in does to a printer of its driver when the spooler creates
// it: fixes attributes and print processor, and records the driver's
// version as printer data for the installer to read back.
#include <array>
#include <cstdint>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

// Event codes of IPrintOemUI::PrinterEvent.
namespace printer_event {
inline constexpr int AddConnection = 1;
inline constexpr int DeleteConnection = 2;
inline constexpr int Initialize = 3;
inline constexpr int Delete = 4;
}  // namespace printer_event

inline constexpr std::u16string_view kPrintProcessorName = u"NVX PRINT PROCESSOR KVT580duo";
// PRINTER_ATTRIBUTE_ENABLE_BIDI | PRINTER_ATTRIBUTE_RAW_ONLY, and no other bit.
inline constexpr std::uint32_t kPrinterAttributes = ports::spool::AttributeEnableBidi | ports::spool::AttributeRawOnly;

struct VersionValue {
    std::u16string_view name;
    std::uint32_t number;
};
// The driver's version as printer data (REG_DWORD), in the order written.
inline constexpr std::array<VersionValue, 4> kDriverVersionValues{{
    {u"MajorVersion", 3},
    {u"MinorVersion", 4},
    {u"BuildVersion", 3},
    {u"ExtraVersion", 0},
}};

// The portable part of IPrintOemUI::PrinterEvent: only PRINTER_EVENT_INITIALIZE
// does anything; every other event succeeds untouched.
HResult PrinterEvent(ports::PluginSpooler& spooler, std::u16string_view printerName, int event);

// PRINTER_EVENT_INITIALIZE. E_FAIL when the printer cannot be opened or its
// settings cannot be read; the version values are written whenever it opens.
HResult InitializePrinter(ports::PluginSpooler& spooler, std::u16string_view printerName);

}  // namespace kvt::plugin
