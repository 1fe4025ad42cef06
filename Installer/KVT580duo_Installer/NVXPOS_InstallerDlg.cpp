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
                                         ports::PortDialog& portDialog)
    : platform_(platform),
      window_(window),
      portDialog_(portDialog),
      log_(platform.files, platform.clock, setup::kInstallerLogFileName),
      engine_(platform, log_) {}

void NVXPOS_InstallerDlg::OnInitDialog() {
    const setup::SystemFacts facts = setup::StartSetupProgram(platform_, log_);
    wow64_ = facts.wow64;
    osCode_ = facts.osCode;
    engine_.SetSystemInfo(wow64_, osCode_);
    engine_.SetControlPointers(window_);
    versionText_ = DriverVersionText();

    setup::NetStartSpooler(platform_);
    platform_.clock.sleep(kSpoolerStartWaitMs);

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
    if (osCode_ < setup::oscode::FirstSupported) {
        window_.messageBox(text::UnsupportedSystem, ports::MessageIcon::Information, ports::MessageButtons::Ok);
        platform_.exit.exitProcess(0);
    }

    busy_ = 1;
    const std::optional<std::string> portDialog =
        GetDriverInfoFromFile(platform_, log_, kConfigurationSection, kPortDialogKey, kPortDialogValueCapacity);
    if (ShowsPortDialog(portDialog))
        InstallWithPortDialog();
    else
        InstallWithConfiguredPort();

    busy_ = 0;
    platform_.exit.exitProcess(0);
}

void NVXPOS_InstallerDlg::InstallWithPortDialog() {
    Port_Dlg dialog(platform_, log_, portDialog_);
    const ports::PortDialogResult result = dialog.DoModal();
    if (!result.ok) {
        log_.WriteLog("%s", text::InstallationCanceled);
        window_.messageBox(text::InstallationCanceled, ports::MessageIcon::Information, ports::MessageButtons::Ok);
        platform_.exit.exitProcess(0);
    }
    InstallOnPort(result.selection);
}

void NVXPOS_InstallerDlg::InstallWithConfiguredPort() {
    Port_Dlg hidden(platform_, log_, portDialog_);
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
    setup::RestartSystem(platform_);
    platform_.exit.exitProcess(0);
}

}  // namespace kvt::installer
