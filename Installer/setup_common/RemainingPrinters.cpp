#include "Installer/setup_common/RemainingPrinters.h"

#include "Installer/setup_common/AsciiCase.h"
#include "platform/ports/Spooler.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

constexpr std::string_view kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr std::string_view kPrinterDriverValue = "Printer Driver";

// A REG_SZ value's text without its terminator.
std::string TextOf(const ports::RegValue& value) {
    std::string text(value.data.begin(), value.data.end());
    return text.substr(0, text.find('\0'));
}

std::vector<RemainingPrinter> PrintersInRegistry(const RemovalContext& context, std::string_view driverName) {
    std::vector<RemainingPrinter> found;
    ports::Registry& registry = context.platform.registry;
    const std::uint32_t view = context.wow64 != 0 ? reg::Wow64_64Key : 0;
    ports::RegKey printers;
    if (registry.openKey(ports::hkey::LocalMachine, kPrintersKey, reg::Read | view, printers) != 0) return found;
    std::string name;
    for (std::uint32_t index = 0; registry.enumKey(printers, index, name) == 0; ++index) {
        if (EqualsNoCase(name, driverName)) continue;
        ports::RegKey printer;
        if (registry.openKey(printers, name, reg::QueryValue | view, printer) != 0) continue;
        ports::RegValue driver;
        if (registry.queryValue(printer, kPrinterDriverValue, driver) == 0 && EqualsNoCase(TextOf(driver), driverName))
            found.push_back({name, 0, 0, false});
        registry.closeKey(printer);
    }
    registry.closeKey(printers);
    return found;
}

void LogRemainingPrinter(const RemovalContext& context, const RemainingPrinter& printer) {
    if (!printer.listedBySpooler)
        context.log.WriteLog("Printer not deleted : %s (the spooler did not answer; its key remains)", printer.name);
    else if ((printer.status & ports::spool::StatusPendingDeletion) != 0)
        context.log.WriteLog("Printer not deleted : %s (pending deletion until its %u print jobs have ended)",
                             printer.name, printer.jobs);
    else
        context.log.WriteLog("Printer not deleted : %s (status 0x%08X, %u print jobs)", printer.name, printer.status,
                             printer.jobs);
}

}  // namespace

std::vector<RemainingPrinter> PrintersOfDriver(const RemovalContext& context, std::string_view driverName) {
    std::vector<ports::PrinterInfo2> listed;
    if (context.spooler.enumPrinters(ports::spool::EnumLocal, listed) != 0)
        return PrintersInRegistry(context, driverName);
    std::vector<RemainingPrinter> found;
    for (const ports::PrinterInfo2& printer : listed)
        if (EqualsNoCase(printer.driverName, driverName))
            found.push_back({printer.printerName, printer.status, printer.jobs, true});
    return found;
}

void ReportRemainingPrinters(const RemovalContext& context, const std::vector<RemainingPrinter>& printers) {
    for (const RemainingPrinter& printer : printers) LogRemainingPrinter(context, printer);
    context.log.WriteLog("The printer driver stays installed: %u printers still use it.",
                         static_cast<std::uint32_t>(printers.size()));
    context.window.messageBox(RemainingPrintersMessage(printers), ports::MessageIcon::Warning,
                              ports::MessageButtons::Ok);
}

std::string RemainingPrintersMessage(const std::vector<RemainingPrinter>& printers) {
    std::string text = "These printers could not be deleted yet, so the printer driver stays installed:\n\n";
    for (const RemainingPrinter& printer : printers) {
        text += printer.name;
        if (printer.listedBySpooler && (printer.status & ports::spool::StatusPendingDeletion) != 0)
            text += " (print jobs pending)";
        text += '\n';
    }
    text += "\nWhen their print jobs have ended, delete these printers and run the uninstallation again.";
    return text;
}

}  // namespace kvt::setup
