#include "Installer/setup_common/ComponentRemoval.h"

#include <functional>
#include <string>
#include <vector>

#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/DirectoryTree.h"
#include "Installer/setup_common/MachineKeyDeletion.h"
#include "Installer/setup_common/SpoolerService.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

constexpr std::string_view kMonitorsKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\";
constexpr std::string_view kProcessorsKeyX64 =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\";
constexpr std::string_view kProcessorsKeyX86 =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Print Processors\\";

std::string Joined(std::string_view first, std::string_view second, std::string_view third) {
    BoundedText text(kRemovalBufferCapacity);
    text.assign(first);
    text.append(second);
    text.append(third);
    return text.str();
}

// The uninstaller covers a spooler that was not running when the step began:
// it starts the service and asks once more.
std::uint32_t CallSpooler(const RemovalContext& context, const std::function<std::uint32_t()>& call) {
    std::uint32_t rc = call();
    if (rc == err::RpcServerUnavailable && context.form.retriesWhenSpoolerDown) {
        NetStartSpooler(context.platform);
        Wait(context, pause::AfterSpoolerStart);
        rc = call();
    }
    return rc;
}

void DeleteFileIn(const RemovalContext& context, std::string_view directory, std::string_view separator,
                  std::string_view fileName) {
    DeleteFileOrLogError(context.platform.files, context.log, Joined(directory, separator, fileName));
}

// Deletes `path` with the WOW64 redirection off, so that a name in the
// system directory means the real one. Off for this one call only: every
// other file call of the program keeps its redirected view.
std::uint32_t DeleteUnredirected(ports::FileSystem& files, const std::string& path) {
    if (!files.hasWow64FsRedirectionSwitch()) return err::ProcNotFound;
    ports::FsRedirectionValue saved;
    if (const std::uint32_t rc = files.disableWow64FsRedirection(saved)) return rc;
    const std::uint32_t rc = files.deleteFile(path);
    files.revertWow64FsRedirection(saved);
    return rc;
}

void DeleteMonitorDlls(const RemovalContext& context, std::string_view dll) {
    ports::FileSystem& files = context.platform.files;
    std::string system;
    if (files.getSystemDirectory(system) == 0) DeleteFileIn(context, system, "\\", dll);
    if (context.wow64 == 0) return;

    std::string directory;
    if (files.hasGetSystemWow64Directory() && files.getSystemWow64Directory(directory) == 0 && !directory.empty())
        DeleteFileIn(context, directory, "\\", dll);
    std::string windows;
    if (files.getWindowsDirectory(windows) != 0) return;
    DeleteFileIn(context, windows, "\\", dll);
    // The 64-bit spooler loaded the monitor from the real system directory,
    // which a 32-bit program reaches only by this name.
    const std::string sysnative = Joined(windows, "\\Sysnative\\", dll);
    const std::uint32_t rc = files.deleteFile(sysnative);
    if (rc == 0) return;
    LogDeleteFileError(context.log, sysnative, rc);
    // XP x64 and Server 2003 x64 know that name only with a later update;
    // without it the path is not found, and the system directory's own name
    // reaches the real directory once the redirection is off.
    if (rc != err::PathNotFound || system.empty()) return;
    const std::string native = Joined(system, "\\", dll);
    if (const std::uint32_t nativeRc = DeleteUnredirected(files, native))
        LogDeleteFileError(context.log, native, nativeRc);
}

}  // namespace

void DeleteForms(const RemovalContext& context) {
    LogStepBegin(context, "DeleteForms");
    ReportStatus(context, context.form.deleteForms);

    const std::string tag = context.entry(removal_entry::ModelTag);
    ports::PrinterHandle server;
    if (context.spooler.openPrinter(std::nullopt, nullptr, server) == 0) {
        std::vector<ports::FormInfo1> forms;
        if (context.spooler.enumForms(server, forms) == 0) {
            for (const ports::FormInfo1& form : forms) {
                if (form.name.find(tag) == std::string::npos) continue;
                context.spooler.deleteForm(server, form.name);
                context.log.WriteLog("FORM NAMES : %s ", form.name);
            }
        }
        context.spooler.closePrinter(server);
    }

    LogStepEnd(context, "DeleteForms");
}

void DeleteLanguageMonitor(const RemovalContext& context) {
    LogStepBegin(context, "DeleteLanguageMonitor");
    ReportStatus(context, context.form.deleteLanguageMonitor);

    const std::string name = context.entry(removal_entry::LanguageMonitorName);
    const std::string environment = context.driverEnvironment();
    const std::uint32_t rc =
        CallSpooler(context, [&] { return context.spooler.deleteMonitor(environment, name); });
    if (rc != 0) {
        const std::uint32_t lastError = context.platform.system.getLastError();
        context.log.WriteLog("DeleteMonitor Error : (%d)", lastError);
        if (lastError == err::UnknownPrintMonitor)
            context.log.WriteLog("The specified print monitor is unknown or not installed on this system.");
        // A monitor that printers still use stays with them.
        if (lastError == err::PrintMonitorInUse)
            context.log.WriteLog("The language monitor stays: printers still use it.");
        else
            DeleteMachineKey(context, Joined(kMonitorsKey, name, ""));
    }

    DeleteMonitorDlls(context, context.entry(removal_entry::LanguageMonitorDll));
    LogStepEnd(context, "DeleteLanguageMonitor");
}

void DeleteProcessor(const RemovalContext& context) {
    LogStepBegin(context, "DeleteProcessor");
    ReportStatus(context, context.form.deleteProcessor);

    const std::string name = context.entry(removal_entry::PrintProcessorName);
    const std::string environment = context.driverEnvironment();
    const std::uint32_t rc =
        CallSpooler(context, [&] { return context.spooler.deletePrintProcessor(environment, name); });
    if (rc != 0) {
        const std::string_view processors = context.wow64 != 0 ? kProcessorsKeyX64 : kProcessorsKeyX86;
        DeleteMachineKey(context, Joined(processors, name, ""));
    }

    std::string directory;
    if (context.spooler.getPrintProcessorDirectory(environment, directory) == 0)
        DeleteFileIn(context, directory, "\\", context.entry(removal_entry::PrintProcessorDll));

    LogStepEnd(context, "DeleteProcessor");
}

}  // namespace kvt::setup
