#pragma once
// The one record through which the plug-in's pages share the printer they
// work on and the settings they edit. It is created once per process, zero
// filled, and outlives every plug-in object; each page registration points it
// at the printer of the latest sheet.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"
#include "driversrc/kvt-580duo/DrvPackage/MiscSettings.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

inline constexpr std::size_t kPrinterNameChars = 520;  // with the terminator

struct PageState {
    std::uint32_t miscStatus = 0;  // result of the last read of "MISC"
    std::uint32_t miscNeeded = 0;  // size that read reported
    std::uint32_t startDocLength = 0, endDocLength = 0, startPageLength = 0, endPageLength = 0;
    MiscSettings misc;
    CommandBytes startDoc{}, endDoc{}, startPage{}, endPage{};
    // Set for a stored command that the Document Settings page could not
    // show (too long for its edit): apply keeps it as stored until the user
    // edits that command.
    bool startDocUnshown = false, endDocUnshown = false, startPageUnshown = false, endPageUnshown = false;
    ports::PrinterHandle printer;
    std::array<char16_t, kPrinterNameChars> printerName{};
};

// Points the pages at a printer: its handle and its name, cut to 519
// characters. A later call replaces both.
void BindPrinter(PageState& state, std::u16string_view printerName, ports::PrinterHandle printer);

// The name up to its terminator.
std::u16string_view PrinterName(const PageState& state);

}  // namespace kvt::plugin
