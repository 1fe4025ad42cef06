#include "platform/sim/SimPluginSpooler.h"

#include <limits>
#include <optional>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/DevModeBlob.h"
#include "platform/sim/OtherProcess.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

constexpr char kDefaultChar = '?';
constexpr std::uint32_t kPointerFields = 13;  // the texts, device mode and security descriptor
constexpr std::uint32_t kNumberFields = 8;
constexpr std::uint32_t kDevModeWSize = 220;  // DEVMODEW without a driver's private part

bool IsTextType(std::uint32_t type) {
    return type == reg::TypeSz || type == reg::TypeExpandSz || type == reg::TypeMultiSz;
}

// Text values change their code units between the ANSI and the wide calls;
// other types pass as bytes.
std::vector<std::uint8_t> WidenBytes(const std::vector<std::uint8_t>& ansi) {
    std::vector<std::uint8_t> wide;
    wide.reserve(ansi.size() * 2);
    for (std::uint8_t byte : ansi) {
        wide.push_back(byte);
        wide.push_back(0);
    }
    return wide;
}

std::vector<std::uint8_t> NarrowBytes(const std::vector<std::uint8_t>& wide) {
    std::vector<std::uint8_t> ansi;
    ansi.reserve(wide.size() / 2);
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
        ansi.push_back(wide[i + 1] == 0 ? wide[i] : static_cast<std::uint8_t>(kDefaultChar));
    return ansi;
}

// The same record in the other character width: texts converted, numbers kept.
template <typename To, typename From, typename Convert>
To ConvertPrinterInfo2(const From& from, Convert text) {
    To to;
    to.serverName = text(from.serverName);
    to.printerName = text(from.printerName);
    to.shareName = text(from.shareName);
    to.portName = text(from.portName);
    to.driverName = text(from.driverName);
    to.comment = text(from.comment);
    to.location = text(from.location);
    to.sepFile = text(from.sepFile);
    to.printProcessor = text(from.printProcessor);
    to.dataType = text(from.dataType);
    to.parameters = text(from.parameters);
    to.attributes = from.attributes;
    to.priority = from.priority;
    to.defaultPriority = from.defaultPriority;
    to.startTime = from.startTime;
    to.untilTime = from.untilTime;
    to.status = from.status;
    to.jobs = from.jobs;
    to.averagePpm = from.averagePpm;
    return to;
}

ports::PrinterInfo2W Widen(const ports::PrinterInfo2& a) {
    return ConvertPrinterInfo2<ports::PrinterInfo2W>(a, [](const std::string& text) { return AnsiToUtf16(text); });
}

ports::PrinterInfo2 Narrow(const ports::PrinterInfo2W& w) {
    return ConvertPrinterInfo2<ports::PrinterInfo2>(w, [](const std::u16string& text) { return Utf16ToAnsi(text); });
}

ports::FormInfo1W Widen(const ports::FormInfo1& a) {
    return {a.flags, AnsiToUtf16(a.name), a.width, a.length, a.left, a.top, a.right, a.bottom};
}

ports::FormInfo1 Narrow(const ports::FormInfo1W& w) {
    return {w.flags, Utf16ToAnsi(w.name), w.width, w.length, w.left, w.top, w.right, w.bottom};
}

ports::DevModeW Widen(const DevModeRecord& record) {
    ports::DevModeW devmode;
    devmode.copies = static_cast<std::int16_t>(record.copies);
    devmode.color = static_cast<std::int16_t>(record.color);
    devmode.defaultSource = static_cast<std::int16_t>(record.defaultSource);
    devmode.formName = AnsiToUtf16(record.formName);
    devmode.paperSize = static_cast<std::int16_t>(record.paperSize);
    devmode.paperLength = static_cast<std::int16_t>(record.paperLength);
    devmode.paperWidth = static_cast<std::int16_t>(record.paperWidth);
    return devmode;
}

// The stored record keeps what the port does not carry.
DevModeRecord Narrow(const ports::DevModeW& devmode, DevModeRecord kept) {
    kept.copies = devmode.copies;
    kept.color = devmode.color;
    kept.defaultSource = devmode.defaultSource;
    kept.formName = Utf16ToAnsi(devmode.formName).substr(0, kDevModeNameChars);
    kept.paperSize = devmode.paperSize;
    kept.paperLength = devmode.paperLength;
    kept.paperWidth = devmode.paperWidth;
    return kept;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
    std::u16string text;
    text.reserve(ansi.size());
    for (char c : ansi) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return text;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string ansi;
    ansi.reserve(text.size());
    for (char16_t unit : text) ansi.push_back(unit <= 0xFF ? static_cast<char>(unit) : kDefaultChar);
    return ansi;
}

std::uint32_t SimPluginSpooler::planned(std::string_view method) {
    if (auto fault = sim_.faults().check(method)) return fail(*fault);
    return err::Success;
}

std::uint32_t SimPluginSpooler::fail(std::uint32_t code) { return sim_.lastError() = code; }

std::uint32_t SimPluginSpooler::recordSize(const ports::PrinterInfo2W& info, bool hasDevMode) const {
    const std::uint32_t pointer = sim_.world().os.is64Bit ? 8 : 4;
    std::uint32_t size = kPointerFields * pointer + kNumberFields * 4;
    for (const std::u16string* text :
         {&info.serverName, &info.printerName, &info.shareName, &info.portName, &info.driverName, &info.comment,
          &info.location, &info.sepFile, &info.printProcessor, &info.dataType, &info.parameters})
        size += static_cast<std::uint32_t>((text->size() + 1) * sizeof(char16_t));
    if (hasDevMode) size += kDevModeWSize;
    return size;
}

std::uint32_t SimPluginSpooler::openPrinter(std::u16string_view name, std::uint32_t desiredAccess,
                                            ports::PrinterHandle& printer) {
    if (std::uint32_t error = planned("PluginSpooler.openPrinter")) return error;
    SuspendFaults spoolerSide(sim_);
    const ports::PrinterDefaults defaults{std::nullopt, desiredAccess};
    return sim_.spooler().openPrinter(Utf16ToAnsi(name), &defaults, printer);
}

std::uint32_t SimPluginSpooler::getPrinter(ports::PrinterHandle printer, std::uint32_t bufferSize,
                                           ports::PrinterInfo2W& info, std::uint32_t& needed) {
    if (std::uint32_t error = planned("PluginSpooler.getPrinter")) return error;
    SuspendFaults spoolerSide(sim_);
    ports::PrinterInfo2 ansi;
    if (std::uint32_t error = sim_.spooler().getPrinter(printer, ansi)) return error;
    ports::PrinterInfo2W wide = Widen(ansi);
    needed = recordSize(wide, sim_.spooler().defaultDevMode(ansi.printerName).has_value());
    if (bufferSize < needed) return fail(err::InsufficientBuffer);
    info = std::move(wide);
    return err::Success;
}

std::uint32_t SimPluginSpooler::setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2W& info) {
    if (std::uint32_t error = planned("PluginSpooler.setPrinter")) return error;
    SuspendFaults spoolerSide(sim_);
    return sim_.spooler().setPrinter(printer, Narrow(info));
}

std::uint32_t SimPluginSpooler::getPrinterData(ports::PrinterHandle printer, std::u16string_view name,
                                               std::uint32_t bufferSize, ports::PrinterDataValue& value,
                                               std::uint32_t& needed) {
    if (std::uint32_t error = planned("PluginSpooler.getPrinterData")) return error;
    SuspendFaults spoolerSide(sim_);
    ports::PrinterDataValue stored;
    std::uint32_t storedSize = 0;
    if (std::uint32_t error = sim_.spooler().getPrinterData(printer, Utf16ToAnsi(name),
                                                            std::numeric_limits<std::uint32_t>::max(), stored,
                                                            storedSize))
        return error;
    if (IsTextType(stored.type)) stored.data = WidenBytes(stored.data);
    needed = static_cast<std::uint32_t>(stored.data.size());
    value.type = stored.type;
    if (bufferSize < needed) {
        value.data.clear();
        return fail(err::MoreData);
    }
    value.data = std::move(stored.data);
    return err::Success;
}

std::uint32_t SimPluginSpooler::setPrinterData(ports::PrinterHandle printer, std::u16string_view name,
                                               std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    if (std::uint32_t error = planned("PluginSpooler.setPrinterData")) return error;
    // pData is documented as the bytes to store, with no null case: a null
    // pointer is refused even with a size of 0.
    if (data == nullptr) return fail(err::InvalidParameter);
    SuspendFaults spoolerSide(sim_);
    ports::PrinterDataValue stored{type, {data, data + size}};
    if (IsTextType(type)) stored.data = NarrowBytes(stored.data);
    return sim_.spooler().setPrinterData(printer, Utf16ToAnsi(name), stored);
}

std::uint32_t SimPluginSpooler::closePrinter(ports::PrinterHandle printer) {
    if (std::uint32_t error = planned("PluginSpooler.closePrinter")) return error;
    SuspendFaults spoolerSide(sim_);
    return sim_.spooler().closePrinter(printer);
}

std::uint32_t SimPluginSpooler::enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1W>& forms) {
    if (std::uint32_t error = planned("PluginSpooler.enumForms")) return error;
    SuspendFaults spoolerSide(sim_);
    std::vector<ports::FormInfo1> ansi;
    if (std::uint32_t error = sim_.spooler().enumForms(printer, ansi)) return error;
    forms.clear();
    for (const ports::FormInfo1& form : ansi) forms.push_back(Widen(form));
    return err::Success;
}

std::uint32_t SimPluginSpooler::getForm(ports::PrinterHandle printer, std::u16string_view name,
                                        ports::FormInfo1W& form) {
    if (std::uint32_t error = planned("PluginSpooler.getForm")) return error;
    SuspendFaults spoolerSide(sim_);
    ports::FormInfo1 ansi;
    if (std::uint32_t error = sim_.spooler().getForm(printer, Utf16ToAnsi(name), ansi)) return error;
    form = Widen(ansi);
    return err::Success;
}

std::uint32_t SimPluginSpooler::addForm(ports::PrinterHandle printer, const ports::FormInfo1W& form) {
    if (std::uint32_t error = planned("PluginSpooler.addForm")) return error;
    SuspendFaults spoolerSide(sim_);
    return sim_.spooler().addForm(printer, Narrow(form));
}

std::uint32_t SimPluginSpooler::setForm(ports::PrinterHandle printer, std::u16string_view name,
                                        const ports::FormInfo1W& form) {
    if (std::uint32_t error = planned("PluginSpooler.setForm")) return error;
    SuspendFaults spoolerSide(sim_);
    return sim_.spooler().setForm(printer, Utf16ToAnsi(name), Narrow(form));
}

std::uint32_t SimPluginSpooler::deleteForm(ports::PrinterHandle printer, std::u16string_view name) {
    if (std::uint32_t error = planned("PluginSpooler.deleteForm")) return error;
    SuspendFaults spoolerSide(sim_);
    return sim_.spooler().deleteForm(printer, Utf16ToAnsi(name));
}

std::uint32_t SimPluginSpooler::getDefaultDevMode(ports::PrinterHandle printer, std::u16string_view,
                                                  ports::DevModeW& devmode) {
    if (std::uint32_t error = planned("PluginSpooler.getDefaultDevMode")) return error;
    SuspendFaults spoolerSide(sim_);
    DevModeRecord record;
    if (std::uint32_t error = sim_.spooler().printerDevMode(printer, record)) return error;
    devmode = Widen(record);
    return err::Success;
}

std::uint32_t SimPluginSpooler::validateDevMode(ports::PrinterHandle printer, std::u16string_view,
                                                ports::DevModeW&) {
    if (std::uint32_t error = planned("PluginSpooler.validateDevMode")) return error;
    SuspendFaults spoolerSide(sim_);
    // The driver answers for a printer it knows.
    DevModeRecord current;
    return sim_.spooler().printerDevMode(printer, current);
}

std::uint32_t SimPluginSpooler::setPrinterDevMode(ports::PrinterHandle printer, const ports::PrinterInfo2W& info,
                                                  const ports::DevModeW& devmode) {
    if (std::uint32_t error = planned("PluginSpooler.setPrinterDevMode")) return error;
    SuspendFaults spoolerSide(sim_);
    DevModeRecord kept;
    if (std::uint32_t error = sim_.spooler().printerDevMode(printer, kept)) return error;
    return sim_.spooler().setPrinterWithDevMode(printer, Narrow(info), Narrow(devmode, std::move(kept)));
}

}  // namespace kvt::sim
