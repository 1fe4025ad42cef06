// Registration of the driver's parts with the spooler on systems before
// Vista: language monitor, print processor, printer driver, printer. The
// false results are for the caller's record only; the sequence goes on.
#include <optional>
#include <string>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/KVT580duo_Installer/FsRedirectionOff.h"
#include "Installer/KVT580duo_Installer/InstallStepTexts.h"
#include "Installer/KVT580duo_Installer/Port_Dlg.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/ports/WinCodes.h"

namespace kvt::installer {
namespace {

constexpr std::uint32_t kDriverVersion = 3;
constexpr std::string_view kRawDataType = "RAW";
constexpr std::string_view kSystemPrintProcessor = "WinPrint";
constexpr std::uint32_t kPrinterStatus = 0x80;
constexpr std::uint32_t kPrinterPriority = 1;
// Bidirectional support and raw data only with the product's own processor.
constexpr std::uint32_t kOwnProcessorAttributes = ports::spool::AttributeEnableBidi | ports::spool::AttributeRawOnly;
constexpr std::uint32_t kSystemProcessorAttributes = 0xA00;

}  // namespace

// A 32-bit program reaches the real system directory by the name Sysnative.
// XP x64 and Server 2003 x64 know that name only with a later update;
// without it the path is not found, and the system directory's own name
// reaches the real directory with the redirection off for this one copy.
void InstallEngine::CopyMonitorDllToNativeSystemDirectory() {
    const std::string source = packageFolder_ + languageMonitorDll_;
    const std::optional<std::string> windows = WindowsDirectory();
    if (!windows) return;
    const std::string sysnative = InFolder(InFolder(*windows, "Sysnative"), languageMonitorDll_);
    const std::uint32_t error = platform_.files.copyFile(source, sysnative, false);
    if (error != err::PathNotFound) {
        log_.WriteLog("FILE SRC : %s", source);
        if (error != err::Success) HandleCopyFileError(source, sysnative, error);
        return;
    }
    const std::optional<std::string> system = SystemDirectory();
    if (!system) return;
    const FsRedirectionOff redirectionOff(platform_.files, log_);
    CopyStepFile(source, InFolder(*system, languageMonitorDll_), true);
}

bool InstallEngine::AddLanguageMonitor() {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddLanguageMonitor BEGIN");
    SetStepText(steptext::InstallingLanguageMonitor);
    Step();
    Pause(setup::pause::InstallStep);

    // AddMonitor wants every file of the monitor in the system directory:
    // on 64-bit Windows the real one, where the 64-bit spooler loads it.
    if (wow64_ != 0)
        CopyMonitorDllToNativeSystemDirectory();
    else if (const std::optional<std::string> folder = SystemDirectory())
        CopyStepFile(packageFolder_ + languageMonitorDll_, InFolder(*folder, languageMonitorDll_), true);

    const ports::MonitorInfo2 monitor{languageMonitorName_, environment_, languageMonitorDll_};
    const std::uint32_t error = platform_.spooler.addMonitor(monitor);
    if (error != err::Success && error != err::PrintMonitorAlreadyInstalled) {
        ShowErrorReport(reporthead::AddMonitor, error);
        log_.WriteLog("AddLanguageMonitor END");
        return false;
    }
    log_.WriteLog("AddLanguageMonitor END");
    return true;
}

bool InstallEngine::AddPrinterProcessor() {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddPrinterProcessor BEGIN");
    SetStepText(steptext::InstallingPrintProcessor);
    Step();
    Pause(setup::pause::InstallStep);

    if (ownProcessor_ != 0) {
        // The folder of the driver's environment: the installer's own one
        // would be the 32-bit folder on 64-bit Windows, where the 64-bit
        // spooler never looks.
        if (const std::optional<std::string> directory = PrintProcessorDirectory())
            CopyStepFile(packageFolder_ + printProcessorDll_, InFolder(*directory, printProcessorDll_), true);

        const std::uint32_t error =
            platform_.spooler.addPrintProcessor(environment_, printProcessorDll_, printProcessorName_);
        if (error != err::Success) {
            ShowErrorReport(reporthead::AddPrintProcessor, error);
            log_.WriteLog("AddPrinterProcessor END");
            return false;
        }
    }
    log_.WriteLog("AddPrinterProcessor END");
    return true;
}

bool InstallEngine::AddPrinterDriverToSystem() {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddPrinterDriverToSystem BEGIN");
    SetStepText(steptext::InstallingPrinterDriver);
    Step();
    Pause(setup::pause::InstallStep);

    ports::DriverInfo3 driver;
    driver.version = kDriverVersion;
    driver.name = driverName_;
    driver.environment = environment_;
    driver.driverPath = std::string(stepfile::UniversalDriver);
    driver.dataFile = LoadEntry(setup::entry::GpdFile);
    driver.configFile = std::string(stepfile::UniversalDriverUi);
    driver.helpFile = std::string(stepfile::UniversalDriverHelp);
    driver.dependentFiles.assign(stepfile::DependentFiles.begin(), stepfile::DependentFiles.end());
    driver.monitorName = languageMonitorName_;
    driver.defaultDataType = std::string(kRawDataType);

    std::uint32_t error = platform_.spooler.addPrinterDriver(driver);
    if (error == err::ModNotFound && osCode_ < setup::oscode::FirstVistaOrLater) {
        // Older spoolers fail to load the configuration file when the
        // framework DLL is only below "wbem". Lend it for the second attempt;
        // a copy that was there before is the system's and stays.
        bool copied = false;
        std::string lent;
        if (const std::optional<std::string> system = SystemDirectory()) {
            lent = InFolder(*system, stepfile::FrameworkDll);
            std::uint32_t attributes = 0;
            if (platform_.files.getFileAttributes(lent, attributes) != err::Success) {
                const std::string source = InFolder(*system, "wbem\\" + std::string(stepfile::FrameworkDll));
                copied = platform_.files.copyFile(source, lent, true) == err::Success;
            }
        }
        error = platform_.spooler.addPrinterDriver(driver);
        if (copied) platform_.files.deleteFile(lent);
    }
    if (error != err::Success) {
        ShowErrorReport(reporthead::AddPrinterDriver, error);
        log_.WriteLog("AddPrinterDriverToSystem END");
        return false;
    }
    log_.WriteLog("AddPrinterDriverToSystem END");
    return true;
}

int InstallEngine::AddPrinterToSystem(int portCode, std::string_view printerName) {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddPrinterToSystem BEGIN");
    // A USB printer is created by Windows when the printer is plugged in.
    if (portCode == portcode::Usb) {
        log_.WriteLog("AddPrinterToSystem END");
        return 1;
    }
    SetStepText(steptext::AddingPrinter);
    Step();
    Pause(setup::pause::InstallStep);
    SetStepText(steptext::WaitForAddingPrinter);
    Step();

    ports::PrinterInfo2 printer;
    printer.printerName = std::string(printerName);
    printer.portName = std::string(PortNameOfCode(portCode).value_or(std::string_view()));
    printer.driverName = driverName_;
    printer.printProcessor = ownProcessor_ != 0 ? printProcessorName_ : std::string(kSystemPrintProcessor);
    printer.dataType = std::string(kRawDataType);
    printer.attributes = ownProcessor_ != 0 ? kOwnProcessorAttributes : kSystemProcessorAttributes;
    printer.priority = kPrinterPriority;
    printer.status = kPrinterStatus;

    ports::PrinterHandle handle;
    const std::uint32_t error = platform_.spooler.addPrinter(printer, handle);
    if (error != err::Success) {
        ShowErrorReport(reporthead::AddPrinter, error);
        log_.WriteLog("AddPrinterToSystem END");
        platform_.exit.exitProcess(ExitCodeOf(setup::RunOutcome::Failed));
    }
    platform_.spooler.closePrinter(handle);
    log_.WriteLog("AddPrinterToSystem END");
    return 1;
}

}  // namespace kvt::installer
