#include "driversrc/kvt-580duo/DrvRender/JobSettings.h"

#include <algorithm>

#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"
#include "platform/ports/WinCodes.h"

namespace kvt::render {

namespace {

Bytes ReadCommand(ports::PluginSpooler& spooler, ports::PrinterHandle printer, std::u16string_view name) {
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    const auto status = spooler.getPrinterData(printer, name, plugin::kCommandBytesMax, value, needed);
    if (status != err::Success || value.data.size() > plugin::kCommandBytesMax) return {};
    return value.data;
}

}  // namespace

JobSettings LoadJobSettings(ports::PluginSpooler& spooler, ports::PrinterHandle printer) {
    JobSettings settings;
    ports::PrinterDataValue misc;
    std::uint32_t needed = 0;
    if (spooler.getPrinterData(printer, plugin::kMiscValueName, plugin::kMiscSize, misc, needed) == err::Success &&
        misc.data.size() <= plugin::kMiscSize) {
        settings.misc = plugin::MiscSettings{};
        std::copy(misc.data.begin(), misc.data.end(), settings.misc.bytes.begin());
    }
    settings.startDoc = ReadCommand(spooler, printer, kStartDocValueName);
    settings.endDoc = ReadCommand(spooler, printer, kEndDocValueName);
    settings.startPage = ReadCommand(spooler, printer, kStartPageValueName);
    settings.endPage = ReadCommand(spooler, printer, kEndPageValueName);
    return settings;
}

}  // namespace kvt::render
