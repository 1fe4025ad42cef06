// The two install sequences: AddToWin2K registers the driver's parts with the
// spooler itself (Windows 2000, XP, Server 2003); AddToWin2KWithWHQL hands
// the INF to the system's printer installation (Vista and later). A run
// with the product's driver already registered only adds a printer.
#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/KVT580duo_Installer/FsRedirectionOff.h"
#include "Installer/KVT580duo_Installer/InstallerMessages.h"
#include "Installer/KVT580duo_Installer/Port_Dlg.h"
#include "Installer/setup_common/DeviceCleanup.h"
#include "Installer/setup_common/DriverPresence.h"
#include "Installer/setup_common/FileRemoval.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/RemovalForm.h"
#include "Installer/setup_common/SpoolerService.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/ports/WinCodes.h"

namespace kvt::installer {
namespace {

// The child may not find "cmd" or "RUNDLL32" in the installer's folder: with
// this variable set, Windows leaves the current directory out of the search
// for a program named without a path.
constexpr std::string_view kNoCurrentDirectorySearch = "NoDefaultCurrentDirectoryInExePath=1";

bool PrinterOpens(ports::Spooler& spooler, const std::string& name) {
    ports::PrinterHandle printer;
    if (spooler.openPrinter(name, nullptr, printer) != err::Success) return false;
    spooler.closePrinter(printer);
    return true;
}

// The driver's name, or the first free "<driver>(#n)" when a printer of that
// name exists already.
std::string FreePrinterName(ports::Spooler& spooler, const std::string& driverName) {
    std::string name = driverName;
    for (int n = 1; PrinterOpens(spooler, name); ++n) name = driverName + "(#" + std::to_string(n) + ")";
    return name;
}

// The system's printer installation for the port: a printer from the INF on
// a serial or parallel port, only the driver for USB (Windows creates that
// printer when the printer is plugged in).
std::string PrintUiCommandLine(int portCode, const std::string& driverName, const std::string& infPath,
                               bool useInstalledDriver) {
    std::string line;
    if (const auto portText = PortTextOfCode(portCode)) {
        line = "cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"" + driverName + "\" /f " + infPath + " /r \"" +
               std::string(*portText) + ":\" /m \"" + driverName + "\"";
    } else {
        line = "cmd /c RUNDLL32 printui.dll,PrintUIEntry /ia /m \"" + driverName + "\" /f " + infPath;
    }
    if (useInstalledDriver) line += " /u";
    return line;
}

// On 64-bit Windows the installer runs under WOW64, and the system
// directory it names leads to the 32-bit cmd.exe, whose rundll32 and printui
// install the driver for 32-bit clients only. The native cmd.exe is reached
// through Sysnative or, where WOW64 has no such alias (XP x64 and Server
// 2003 x64 without the update), by the system directory's own name with the
// redirection off for the start alone, as for the monitor's copy.
std::uint32_t StartSystemCmd(InstallEngine& engine, const std::string& systemDirectory, ports::ProcessStart& start,
                             ports::ProcessHandle& process) {
    ports::FileSystem& files = engine.platform().files;
    ports::Processes& processes = engine.platform().processes;
    start.application = systemDirectory + "\\cmd.exe";
    if (engine.wow64() == 0) return processes.startProcess(start, process);
    std::string windows;
    std::uint32_t attributes = 0;
    if (files.getWindowsDirectory(windows) == err::Success && !windows.empty()) {
        const std::string sysnative = windows + "\\Sysnative\\cmd.exe";
        if (files.getFileAttributes(sysnative, attributes) == err::Success) {
            start.application = sysnative;
            return processes.startProcess(start, process);
        }
    }
    const FsRedirectionOff redirectionOff(files, engine.log());
    return processes.startProcess(start, process);
}

void RunPrintUi(InstallEngine& engine, const std::string& commandLine) {
    ports::Platform& platform = engine.platform();
    setup::SetupLog& log = engine.log();
    // "cmd" is started by the full path of cmd.exe in the system directory,
    // never found through a search that could start a file of that name from
    // the package folder with the installer's rights.
    ports::ProcessStart start;
    start.commandLine = commandLine;
    start.hidden = true;
    start.startupFlags = ports::startf::UseShowWindow | ports::startf::ForceOnFeedback;
    start.environment.emplace_back(kNoCurrentDirectorySearch);
    std::string systemDirectory;
    std::uint32_t error = platform.files.getSystemDirectory(systemDirectory);
    if (error == err::Success && systemDirectory.empty()) error = err::PathNotFound;

    ports::ProcessHandle process;
    if (error == err::Success) error = StartSystemCmd(engine, systemDirectory, start, process);
    log.WriteLog("\r\nCOMMAND LINE : %s", commandLine);

    if (error != err::Success) {
        engine.window()->messageBox(text::CreateProcessFailed, ports::MessageIcon::None, ports::MessageButtons::Ok);
        log.WriteLog("CreateProcess failed. (%d)", error);
        return;
    }

    engine.SetStepText(text::ProcessRunning);
    engine.Step();
    engine.Pause(setup::pause::InstallStep);
    engine.SetStepText(text::WaitingForProcess);
    engine.Step();

    // A printui that waits for an answer nobody sees is left running; the
    // INF check below still finds or makes the store's copy.
    if (platform.processes.waitForProcess(process, setup::pause::PrintUiWait.ms) == ports::wait::Timeout)
        log.WriteLog("WAIT_TIMEOUT");
    if (engine.INFFileExist(engine.makerName(), engine.driverName()) == 0) engine.CopyINFFile();
    platform.processes.closeProcess(process);
}

void LogDriverNotInstalled(InstallEngine& engine) {
    engine.log().WriteLog("%s PRINTER DRIVER IS NOT INSTALLED FOR %s.", engine.driverName(), engine.environment());
}

// What the system's printer installation left, looked at once the wait is
// over: the driver registered for the system's environment and, on a serial
// or parallel port, a printer that uses it. What is missing is logged. A
// printui that could not start, hung or failed leaves one of them out.
bool PrintUiInstalled(InstallEngine& engine, int portCode) {
    ports::Spooler& spooler = engine.platform().spooler;
    if (!setup::DriverRegistered(spooler, engine.environment(), engine.driverName())) {
        LogDriverNotInstalled(engine);
        return false;
    }
    if (portCode == portcode::Usb) return true;
    std::vector<ports::PrinterInfo2> printers;
    if (spooler.enumPrinters(ports::spool::EnumLocal, printers) == err::Success) {
        for (const ports::PrinterInfo2& printer : printers)
            if (printer.driverName == engine.driverName()) return true;
    }
    engine.log().WriteLog("NO PRINTER OF %s EXISTS.", engine.driverName());
    return false;
}

// The end of a full installation. Installed: the success text with the bar
// at 100, then the request to switch a USB printer off and on, or the
// restart question for the other ports. Not installed: the failure text with
// the bar at 100 and a message that points to the log, and no restart.
// True when the user wants the restart now. The engine's outcome says what
// the run still needs: nothing for USB (the printer is switched off and on),
// a restart for the other ports.
bool AnnounceOutcome(InstallEngine& engine, int portCode, bool installed) {
    if (!installed) {
        engine.setOutcome(setup::RunOutcome::Failed);
        engine.SetStepText(text::NotInstalled);
        engine.Complete();
        engine.window()->messageBox(text::NotInstalledSeeLog, ports::MessageIcon::Error, ports::MessageButtons::Ok);
        return false;
    }
    engine.SetStepText(text::InstalledSuccessfully);
    engine.Complete();
    if (portCode == portcode::Usb) {
        engine.window()->messageBox(text::SwitchPrinterOffAndOn, ports::MessageIcon::Information,
                                    ports::MessageButtons::Ok);
        return false;
    }
    engine.setOutcome(setup::RunOutcome::RestartNeeded);
    return engine.window()->messageBox(text::RestartQuestion, ports::MessageIcon::Question,
                                       ports::MessageButtons::YesNo) == ports::MessageAnswer::Yes;
}

void RestartNow(InstallEngine& engine) {
    engine.setOutcome(setup::RestartOutcome(setup::RestartSystem(engine.platform())));
}

}  // namespace

void InstallEngine::AddToWin2K(int portCode) {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddToWin2K BEGIN");
    const bool driverExists = PrinterDrvExist(driverName_) != 0;

    SetStepText(text::PreparingInstallation);
    Step();
    Pause(setup::pause::InstallStep);

    const std::string printerName =
        driverExists ? FreePrinterName(platform_.spooler, driverName_) : driverName_;
    log_.WriteLog("PRINTER-DRIVER NAME TO ADD : %s ", printerName);

    bool driverAdded = false;
    if (!driverExists) {
        const setup::RemovalContext leftovers = RemovalContextFor(setup::kInstallerRemoval);
        setup::DeleteVidPid(leftovers, setup::Reporting::Quiet);
        setup::DeletePrnDrvPnPDirectory(leftovers, setup::Reporting::Quiet);
        setup::Delete_LPT_USB_Info(leftovers, setup::Reporting::Quiet);
        CopyFilesNeededToAddPrnDrv();
        AddLanguageMonitor();
        AddPrinterProcessor();
        driverAdded = AddPrinterDriverToSystem();
    }

    AddPrinterToSystem(portCode, printerName);

    if (!driverExists) {
        // Without the driver a serial or parallel port has ended at the
        // failed printer creation; for USB no printer is made, so nothing
        // else would show that the driver is missing.
        const bool installed = driverAdded || portCode != portcode::Usb;
        if (!installed) LogDriverNotInstalled(*this);
        // The entry and the utilities also after a failure, so that what was
        // staged and registered can be removed.
        CopyINFFile();
        DeleteFilesUsed();
        RegisterUninstallInfo();
        CopyFilesOfUtilities();
        if (AnnounceOutcome(*this, portCode, installed)) {
            log_.WriteLog("AddToWin2K END");
            RestartNow(*this);
        }
    }

    log_.WriteLog("\r\n");
    log_.WriteLog("AddToWin2K END");
    SetStepText(text::Completed);
    Complete();
    Pause(setup::pause::InstallClosing);
}

void InstallEngine::AddToWin2KWithWHQL(int portCode) {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddToWin2KWithWHQL BEGIN");
    const bool driverExists = PrinterDrvExist(driverName_) != 0;

    SetStepText(text::PreparingInstallation);
    Step();
    Pause(setup::pause::InstallStep);

    if (!driverExists) {
        const setup::RemovalContext leftovers = RemovalContextFor(setup::kInstallerRemoval);
        setup::DeleteVidPid(leftovers, setup::Reporting::Quiet);
        setup::DeletePrnDrvPnPDirectory(leftovers, setup::Reporting::Quiet);
        setup::Delete_LPT_USB_Info(leftovers, setup::Reporting::Quiet);
    }

    SetStepText(text::InstallingPrinter);
    Step();
    Pause(setup::pause::InstallStep);

    const std::string infPath = ".\\" + std::string(LoadEntry(setup::entry::InfFileName));
    const std::string commandLine = PrintUiCommandLine(portCode, driverName_, infPath, driverExists);

    SetStepText(text::CreatingProcess);
    Step();
    Pause(setup::pause::InstallStep);

    // With the driver there, a USB printer needs nothing: Windows creates it
    // from the installed driver when it is plugged in.
    if (!(portCode == portcode::Usb && driverExists)) {
        RunPrintUi(*this, commandLine);

        if (!driverExists) {
            const bool installed = PrintUiInstalled(*this, portCode);
            // The entry and the utilities also after a failure, so that
            // whatever printui left can be removed.
            RegisterUninstallInfo();
            CopyFilesOfUtilities();
            if (AnnounceOutcome(*this, portCode, installed)) RestartNow(*this);
        }
    }

    log_.WriteLog("\r\n");
    log_.WriteLog("AddToWin2KWithWHQL END");
    SetStepText(text::Completed);
    Complete();
    setup::NetStartSpooler(platform_);
    Pause(setup::pause::InstallClosing);
}

}  // namespace kvt::installer
