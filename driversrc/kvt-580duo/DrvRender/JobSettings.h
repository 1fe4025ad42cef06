#pragma once
// What the Document Settings page stored for a printer, as the rendering
// plug-in reads it when a job starts: the "MISC" record and the four command
// values, through the plug-in's spooler port on the job's printer handle.
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/MiscSettings.h"
#include "driversrc/kvt-580duo/DrvRender/ReceiptCommands.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::render {

inline constexpr std::u16string_view kStartDocValueName = u"StartDoc";
inline constexpr std::u16string_view kEndDocValueName = u"EndDoc";
inline constexpr std::u16string_view kStartPageValueName = u"StartPage";
inline constexpr std::u16string_view kEndPageValueName = u"EndPage";

struct JobSettings {
    plugin::MiscSettings misc = plugin::DefaultMiscSettings();
    Bytes startDoc, endDoc, startPage, endPage;
};

// A missing or unreadable "MISC" gives the defaults the pages show for it, a
// shorter one fills the leading bytes; a missing, unreadable or over-long
// command (more than the page can store) is sent as nothing.
JobSettings LoadJobSettings(ports::PluginSpooler& spooler, ports::PrinterHandle printer);

}  // namespace kvt::render
