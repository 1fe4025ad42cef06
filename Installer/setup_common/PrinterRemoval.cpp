#include "Installer/setup_common/PrinterRemoval.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/ErrorReport.h"
#include "Installer/setup_common/MachineKeyDeletion.h"
#include "Installer/setup_common/RemainingPrinters.h"
#include "Installer/setup_common/RemovalSequence.h"
#include "Installer/setup_common/SpoolerService.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

constexpr std::uint32_t kMaxJobs = 1000;
constexpr std::uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::string_view kDriversKeyX64 =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\";
constexpr std::string_view kDriversKeyX86 =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\";
constexpr std::string_view kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

std::string EnumPrintersErrorText(ports::Platform& platform, std::uint32_t code) {
    return ErrorReportText(platform.system, "EnumPrinters Error Code: %d\n\n", code);
}

std::uint32_t JobCommandForSystem(ports::Platform& platform) {
    ports::OsVersionInfo version;
    platform.system.getVersionEx(version);  // an unanswered query reads as the oldest system
    const bool old = version.platformId == kPlatformWin9x || version.majorVersion < 4;
    return old ? ports::spool::JobControlCancel : ports::spool::JobControlDelete;
}

std::string KeyWithName(std::string_view base, std::string_view name) {
    BoundedText key(kRemovalBufferCapacity);
    key.assign(base);
    key.append(name);
    return key.str();
}

}  // namespace

void DeleteDriverPrinters(const RemovalContext& context) {
    ReportStatus(context, context.form.deleteDriverPrinters);

    std::vector<ports::PrinterInfo2> printers;
    if (const std::uint32_t rc = context.spooler.enumPrinters(ports::spool::EnumLocal, printers); rc != 0) {
        context.window.messageBox(EnumPrintersErrorText(context.platform, rc), ports::MessageIcon::Warning,
                                  ports::MessageButtons::Ok);
        context.platform.exit.exitProcess(context.failedExitCode);
    }

    const std::string driverName = context.entry(removal_entry::DriverName);
    for (const ports::PrinterInfo2& printer : printers)
        if (printer.driverName == driverName) DeletePrinterObject(context, printer.printerName);

    RemoveDrivers(context);
}

void DeletePrinterObject(const RemovalContext& context, std::string_view printerName) {
    const ports::PrinterDefaults defaults{std::string("raw"), ports::spool::PrinterAllAccess};
    ports::PrinterHandle printer;
    if (context.spooler.openPrinter(std::string(printerName), &defaults, printer) != 0) return;
    CancelPrinterJobs(context, printer);
    context.spooler.deletePrinter(printer);  // a refusal shows later, when the driver is still in use
    context.spooler.closePrinter(printer);
}

void CancelPrinterJobs(const RemovalContext& context, ports::PrinterHandle printer) {
    std::vector<std::uint32_t> jobIds;
    if (context.spooler.enumJobs(printer, 0, kMaxJobs, jobIds) != 0) return;
    for (const std::uint32_t jobId : jobIds)
        context.spooler.setJob(printer, jobId, JobCommandForSystem(context.platform));
    if (!jobIds.empty()) Wait(context, pause::AfterJobsCancelled);
}

int DeletePrinterDrv(const RemovalContext& context, std::string_view modelName) {
    LogStepBegin(context, "DeletePrinterDrv");
    ReportStatus(context, context.form.deletePrinterDrv);

    BoundedText driverName(kRemovalBufferCapacity);
    driverName.assign(context.entry(removal_entry::MakerName));
    driverName.append(" ");
    driverName.append(modelName);

    int result = 1;
    const std::uint32_t rc = context.spooler.deletePrinterDriverEx(
        context.driverEnvironment(), driverName.view(), ports::spool::DeleteUnusedFiles, 3);
    if (rc != 0) {
        if (context.form.logsDriverDeletionRefusal)
            context.log.WriteLog("DeletePrinterDriverEx returned FALSE. (%d)", context.platform.system.getLastError());
        // The registry fallback would take the driver from under printers
        // that still use it (one with jobs left is only marked for deletion):
        // then the driver stays and the printers are named.
        const std::vector<RemainingPrinter> remaining = PrintersOfDriver(context, driverName.view());
        const bool namedPrinterRemains = std::any_of(remaining.begin(), remaining.end(), [&](const auto& printer) {
            return printer.listedBySpooler && printer.name == driverName.view();
        });
        const std::string_view driversKey = context.wow64 != 0 ? kDriversKeyX64 : kDriversKeyX86;
        if (!remaining.empty())
            result = 0;
        else if (!DeleteMachineKey(context, KeyWithName(driversKey, driverName.view())))
            result = 0;
        if (!namedPrinterRemains && !DeleteMachineKey(context, KeyWithName(kPrintersKey, driverName.view())))
            result = 0;
        if (!remaining.empty()) ReportRemainingPrinters(context, remaining);
    }

    NetStopSpooler(context.platform);
    Wait(context, pause::AfterSpoolerStop);
    NetStartSpooler(context.platform);
    Wait(context, pause::AfterSpoolerStart);

    LogStepEnd(context, "DeletePrinterDrv");
    return result;
}

}  // namespace kvt::setup
