#include "Installer/KVT580duo_Installer/NVXPOS_InstallerDlg.h"

#include <optional>
#include <string>

#include "Installer/KVT580duo_Installer/ConfigurationFile.h"
#include "Installer/KVT580duo_Installer/InstallerMessages.h"
#include "Installer/KVT580duo_Installer/InstallerStartup.h"
#include "Installer/KVT580duo_Installer/InstalledVersion.h"
#include "Installer/KVT580duo_Installer/Port_Dlg.h"
#include "Installer/setup_common/PrinterRemoval.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/RemovalForm.h"
#include "Installer/setup_common/SetupStartup.h"
#include "Installer/setup_common/SpoolerService.h"
#include "Installer/setup_common/SystemChecks.h"

namespace kvt::installer {
namespace {

constexpr int kProgressMinimum = 0;
constexpr int kProgressMaximum = 100;
constexpr int kProgressStep = 9;
// Capacity of the buffer the "PORTDLG" value is read into.
constexpr std::size_t kPortDialogValueCapacity = 256;

// "PORTDLG" absent, or holding "TRUE" anywhere (case-sensitive), shows the
// dialog; any other value installs on the configured port without asking.
bool ShowsPortDialog(const std::optional<std::string>& value) {
    return !value || value->find("TRUE") != std::string::npos;
}

}  // namespace

NVXPOS_InstallerDlg::NVXPOS_InstallerDlg(ports::Platform& platform, ports::SetupWindow& window,
                                         ports::PortDialog& portDialog, setup::SetupCommandLine commandLine)
    : platform_(platform),
      commandLine_(std::move(commandLine)),
      portDialog_(portDialog),
      log_(platform.files, platform.clock, setup::kInstallerLogFileName),
      unattended_(window, log_, commandLine_),
      window_(unattended_),
      engine_(platform, log_) {
    engine_.SetQuiet(commandLine_.quiet);
}

void NVXPOS_InstallerDlg::OnInitDialog() {
    const setup::SystemFacts facts = setup::StartSetupProgram(platform_, log_);
    wow64_ = facts.wow64;
    osCode_ = facts.osCode;
    engine_.SetSystemInfo(wow64_, osCode_);
    engine_.SetControlPointers(window_);
    versionText_ = DriverVersionText();

    setup::NetStartSpooler(platform_);
    platform_.clock.sleep(setup::pause::SpoolerStartGrace.ms);

    busy_ = 0;
    removing_ = 0;
    window_.refresh();
    window_.setProgressRange(kProgressMinimum, kProgressMaximum);
    window_.setProgressStep(kProgressStep);
}

int NVXPOS_InstallerDlg::InstallThreadProc() {
    RunInstallation();
    return 0;
}

void NVXPOS_InstallerDlg::RunInstallation() {
    HandleCommandLine();
    if (osCode_ < setup::oscode::FirstSupported) {
        window_.messageBox(text::UnsupportedSystem, ports::MessageIcon::Information, ports::MessageButtons::Ok);
        EndProcess(setup::RunOutcome::UnsupportedSystem);
    }

    busy_ = 1;
    const std::optional<std::string> portDialog =
        GetDriverInfoFromFile(platform_, log_, kConfigurationSection, kPortDialogKey, kPortDialogValueCapacity);
    // A quiet run takes the port as if "PORTDLG" were not TRUE.
    if (ShowsPortDialog(portDialog) && !commandLine_.quiet)
        InstallWithPortDialog();
    else
        InstallWithConfiguredPort();

    busy_ = 0;
    EndProcess(engine_.outcome());
}

void NVXPOS_InstallerDlg::HandleCommandLine() {
    using setup::SetupProgram;
    if (!commandLine_.problem.empty()) {
        const std::string message = commandLine_.problem + "\n\n" + std::string(setup::UsageText(SetupProgram::Installer));
        window_.messageBox(message, ports::MessageIcon::Error, ports::MessageButtons::Ok);
        EndProcess(setup::RunOutcome::BadCommandLine);
    }
    if (commandLine_.usage) {
        window_.messageBox(setup::UsageText(SetupProgram::Installer), ports::MessageIcon::Information,
                           ports::MessageButtons::Ok);
        EndProcess(setup::RunOutcome::Done);
    }
}

void NVXPOS_InstallerDlg::EndProcess(setup::RunOutcome outcome) {
    platform_.exit.exitProcess(engine_.ExitCodeOf(outcome));
}

void NVXPOS_InstallerDlg::InstallWithPortDialog() {
    Port_Dlg dialog(platform_, log_, portDialog_, commandLine_.portIndex);
    const ports::PortDialogResult result = dialog.DoModal();
    if (!result.ok) {
        log_.WriteLog("%s", text::InstallationCanceled);
        window_.messageBox(text::InstallationCanceled, ports::MessageIcon::Information, ports::MessageButtons::Ok);
        EndProcess(setup::RunOutcome::Done);
    }
    InstallOnPort(result.selection);
}

void NVXPOS_InstallerDlg::InstallWithConfiguredPort() {
    Port_Dlg hidden(platform_, log_, portDialog_, commandLine_.portIndex);
    InstallOnPort(hidden.HiddenSelection());
}

void NVXPOS_InstallerDlg::InstallOnPort(int selection) {
    CheckInstalledVersion();
    if (selection < 0 || selection >= kPortCount) return;
    const int portCode = PortCodeOfIndex(selection);
    if (osCode_ >= setup::oscode::FirstVistaOrLater)
        engine_.AddToWin2KWithWHQL(portCode);
    else
        engine_.AddToWin2K(portCode);
}

void NVXPOS_InstallerDlg::CheckInstalledVersion() {
    const int installed = CompareInstalledDriverVersion(platform_.spooler, engine_.driverName(),
                                                        engine_.printProcessorName(),
                                                        setup::InstallerProductVersion());
    if (installed == installed::Nothing || installed == installed::Same) return;

    // Another version, or what a broken removal left: everything of the
    // product goes, and the user installs again after the restart.
    removing_ = 1;
    window_.messageBox(text::DifferentVersionFound, ports::MessageIcon::Information, ports::MessageButtons::Ok);
    setup::DeleteDriverPrinters(engine_.RemovalContextFor(setup::kInstallerRemoval));
    window_.messageBox(text::DifferentVersionRemoved, ports::MessageIcon::Information, ports::MessageButtons::Ok);
    // The restart is announced, not asked: "/norestart" (a quiet run's
    // default) leaves it to whoever deploys.
    int restarted = 0;
    if (commandLine_.restart() != setup::RestartChoice::Never) restarted = setup::RestartSystem(platform_);
    if (commandLine_.quiet) log_.WriteLog("%s", text::RunAgainAfterRestart);
    EndProcess(setup::RestartOutcome(restarted));
}

}  // namespace kvt::installer
