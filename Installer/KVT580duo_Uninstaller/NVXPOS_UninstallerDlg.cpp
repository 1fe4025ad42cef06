#include "Installer/KVT580duo_Uninstaller/NVXPOS_UninstallerDlg.h"

#include <string_view>

#include "Installer/KVT580duo_Uninstaller/UninstallerMessages.h"
#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/DriverPresence.h"
#include "Installer/setup_common/ErrorReport.h"
#include "Installer/setup_common/PrinterRemoval.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/RemovalForm.h"
#include "Installer/setup_common/RemovalSequence.h"
#include "Installer/setup_common/SetupStartup.h"
#include "Installer/setup_common/SpoolerService.h"
#include "Installer/setup_common/SystemChecks.h"
#include "Installer/setup_common/UninstallInfo.h"
#include "platform/ports/WinCodes.h"

namespace kvt::uninstaller {
namespace {

constexpr int kProgressMinimum = 0;
constexpr int kProgressMaximum = 100;
constexpr int kProgressStep = 10;
constexpr int kProgressComplete = 100;
// The string-table loads go through a buffer of this size.
constexpr std::size_t kEntryCapacity = 256;

constexpr std::string_view kEnumPrintersErrorHead = "EnumPrinters Error Code: %d\n\n";

}  // namespace

NVXPOS_UninstallerDlg::NVXPOS_UninstallerDlg(ports::Platform& platform, ports::SetupWindow& window,
                                             ports::UninstallerWindow& controls, setup::SetupCommandLine commandLine)
    : platform_(platform),
      commandLine_(std::move(commandLine)),
      controls_(controls),
      log_(platform.files, platform.clock, setup::kUninstallerLogFileName),
      unattended_(window, log_, commandLine_),
      window_(unattended_) {}

void NVXPOS_UninstallerDlg::OnInitDialog() {
    const setup::SystemFacts facts = setup::StartSetupProgram(platform_, log_);
    wow64_ = facts.wow64;
    osCode_ = facts.osCode;
    printerObjectCount_ = 0;
    busy_ = 0;
    window_.setProgressRange(kProgressMinimum, kProgressMaximum);
    window_.setProgressStep(kProgressStep);
}

void NVXPOS_UninstallerDlg::HandleCommandLine() {
    using setup::SetupProgram;
    if (!commandLine_.problem.empty()) {
        const std::string message =
            commandLine_.problem + "\n\n" + std::string(setup::UsageText(SetupProgram::Uninstaller));
        window_.messageBox(message, ports::MessageIcon::Error, ports::MessageButtons::Ok);
        EndProcess(setup::RunOutcome::BadCommandLine);
    }
    if (commandLine_.usage) {
        window_.messageBox(setup::UsageText(SetupProgram::Uninstaller), ports::MessageIcon::Information,
                           ports::MessageButtons::Ok);
        EndProcess(setup::RunOutcome::Done);
    }
}

void NVXPOS_UninstallerDlg::EndProcess(setup::RunOutcome outcome) {
    outcome_ = outcome;
    platform_.exit.exitProcess(ExitCode());
}

void NVXPOS_UninstallerDlg::PrepareUninstall() {
    HandleCommandLine();
    chosenPrinters_.clear();
    controls_.resetCheckList();
    controls_.enableButton(ports::UninstallerButton::Cancel, true);

    printerObjectCount_ = AddPrinterObjectsToList();
    if (printerObjectCount_ < 0) EndProcess(setup::RunOutcome::Failed);  // the message has been shown
    if (printerObjectCount_ > 0) {
        FillCheckList();
        // A quiet run keeps every box checked and presses Uninstall.
        if (commandLine_.quiet) StartUninstall();
        return;  // the user chooses
    }

    const std::string driverName = LoadEntry(setup::removal_entry::DriverName.uninstaller);
    // The system's environment, where the removal looks too: on 64-bit
    // Windows the driver is "Windows x64", and asking for this program's own
    // environment would drop the entry and leave that driver behind.
    const std::string environment(wow64_ != 0 ? setup::kDriverEnvironmentX64 : setup::kDriverEnvironmentX86);
    if (setup::PrinterDrvExist(platform_, log_, driverName, nullptr, environment) != 0) {
        // Nothing to choose: the removal begins without asking.
        controls_.enableButton(ports::UninstallerButton::Cancel, false);
        busy_ = 1;
        StartUninstall();
        return;
    }
    ReportDriverMissing();
    EndProcess(setup::RunOutcome::Done);
}

int NVXPOS_UninstallerDlg::AddPrinterObjectsToList() {
    log_.WriteLog("\r\n");
    log_.WriteLog("AddPrinterObjectsToList BEGIN");

    std::vector<ports::PrinterInfo2> printers;
    if (const std::uint32_t rc = platform_.spooler.enumPrinters(ports::spool::EnumLocal, printers); rc != 0) {
        window_.messageBox(setup::ErrorReportText(platform_.system, kEnumPrintersErrorHead, rc), ports::MessageIcon::Warning,
                           ports::MessageButtons::Ok);
        log_.WriteLog("AddPrinterObjectsToList END");
        return -1;
    }

    // Exact comparison: a printer of a driver whose name differs only in
    // letter case belongs to another driver.
    const std::string driverName = LoadEntry(setup::removal_entry::DriverName.uninstaller);
    for (const ports::PrinterInfo2& printer : printers)
        if (printer.driverName == driverName) chosenPrinters_.insert(chosenPrinters_.begin(), printer.printerName);

    const int found = static_cast<int>(chosenPrinters_.size());
    log_.WriteLog("The number of printer-objects : %d", found);
    log_.WriteLog("AddPrinterObjectsToList END");
    return found;
}

void NVXPOS_UninstallerDlg::FillCheckList() {
    controls_.enableButton(ports::UninstallerButton::Uninstall, false);
    for (const std::string& name : chosenPrinters_) controls_.addCheckListItem(name);
    const int count = controls_.checkListCount();
    if (count <= 0) return;
    for (int index = 0; index < count; ++index) controls_.setChecked(index, true);
    controls_.enableButton(ports::UninstallerButton::Uninstall, true);
}

void NVXPOS_UninstallerDlg::UpdateUninstallButton() {
    const int count = controls_.checkListCount();
    for (int index = 0; index < count; ++index) {
        if (controls_.isChecked(index)) {
            controls_.enableButton(ports::UninstallerButton::Uninstall, true);
            return;
        }
    }
    controls_.enableButton(ports::UninstallerButton::Uninstall, false);
}

void NVXPOS_UninstallerDlg::StartUninstall() {
    // Busy before the worker exists: the worker clears the flag before its
    // closing pause, and a flag set after the start could undo that.
    busy_ = 1;
    removalStarted_ = true;
    controls_.beginUninstallThread();
}

setup::shell::FilterDecision NVXPOS_UninstallerDlg::PreTranslateMessage(unsigned message, std::uintptr_t wParam,
                                                                        bool toCheckList) const {
    // The uninstaller has no removal phase apart from its busy flag.
    constexpr int kNotRemoving = 0;
    setup::shell::FilterDecision decision =
        setup::shell::DecideSetupMessage(busy_.load(), kNotRemoving, message, wParam, toCheckList);
    if (removalStarted_.load() && toCheckList && setup::shell::IsCheckToggleInput(message, wParam))
        decision.swallow = true;
    return decision;
}

void NVXPOS_UninstallerDlg::OnCancel() { controls_.endDialog(ports::DialogResult::Cancel); }

int NVXPOS_UninstallerDlg::UninstallThreadProc() {
    RunUninstall();
    return 0;
}

void NVXPOS_UninstallerDlg::RunUninstall() {
    controls_.enableButton(ports::UninstallerButton::Uninstall, false);
    controls_.enableButton(ports::UninstallerButton::Cancel, false);
    CollectChosenPrinters();

    const setup::RemovalContext context = RemovalContextForRun();
    const setup::UninstallRemoval removal = setup::RemoveForUninstall(
        context, printerObjectCount_, chosenPrinters_,
        [this](const std::vector<std::string>& /*chosen*/) { RemovePrinterObjects(); });

    if (removal == setup::UninstallRemoval::DriverRemoved) {
        CheckDriverRemoved();
        AskForRestart();
    }
    CloseRun();
}

int NVXPOS_UninstallerDlg::CollectChosenPrinters() {
    chosenPrinters_.clear();  // what was found gives way to what was chosen
    const int count = controls_.checkListCount();
    for (int index = 0; index < count; ++index)
        if (controls_.isChecked(index))
            chosenPrinters_.insert(chosenPrinters_.begin(), controls_.checkListText(index));
    return static_cast<int>(chosenPrinters_.size());
}

void NVXPOS_UninstallerDlg::RemovePrinterObjects() {
    log_.WriteLog("\r\n");
    log_.WriteLog("RemovePrinterObjects BEGIN");

    const setup::RemovalContext context = RemovalContextForRun();
    for (const std::string& name : chosenPrinters_) {
        log_.WriteLog("OBJECT NAME : %s", name);
        // A printer that is gone or refuses is passed over: the log shows its
        // name and nothing more.
        setup::DeletePrinterObject(context, name);
    }

    setup::NetStopSpooler(platform_);
    setup::Pause(platform_.clock, window_, setup::pause::AfterSpoolerStop);
    setup::NetStartSpooler(platform_);
    setup::Pause(platform_.clock, window_, setup::pause::AfterSpoolerStart);

    log_.WriteLog("RemovePrinterObjects END");
}

const std::string& NVXPOS_UninstallerDlg::LoadEntry(int number) {
    setup::BoundedText buffer(kEntryCapacity);
    buffer.assign(setup::ProductEntry(setup::SetupProgram::Uninstaller, number).value_or(std::string_view()));
    scratch_ = buffer.str();
    return scratch_;
}

setup::RemovalContext NVXPOS_UninstallerDlg::RemovalContextForRun() {
    return setup::RemovalContext{platform_,
                                 platform_.spooler,
                                 platform_.devices,
                                 window_,
                                 log_,
                                 wow64_,
                                 osCode_,
                                 setup::kUninstallerRemoval,
                                 setup::ExitCodeOf(setup::RunOutcome::Failed, commandLine_.quiet)};
}

void NVXPOS_UninstallerDlg::ReportDriverMissing() {
    const std::string message =
        "The " + LoadEntry(setup::removal_entry::ModelName.uninstaller) + std::string(text::DriverDoesNotExistTail);
    window_.messageBox(message, ports::MessageIcon::Information, ports::MessageButtons::Ok);
    setup::DeleteUninstallInfoFromReg(RemovalContextForRun());
}

void NVXPOS_UninstallerDlg::CheckDriverRemoved() {
    const std::string driverName = LoadEntry(setup::removal_entry::DriverName.uninstaller);
    if (setup::DriverRegistered(platform_.spooler, RemovalContextForRun().driverEnvironment(), driverName))
        outcome_ = setup::RunOutcome::Failed;
}

void NVXPOS_UninstallerDlg::AskForRestart() {
    // A removal that failed keeps saying so, whatever the restart does.
    const bool failed = outcome_ == setup::RunOutcome::Failed;
    if (!failed) outcome_ = setup::RunOutcome::RestartNeeded;
    const ports::MessageAnswer answer =
        window_.messageBox(text::RestartQuestion, ports::MessageIcon::Question, ports::MessageButtons::YesNo);
    if (answer == ports::MessageAnswer::Yes) {
        window_.setStepText(setup::removal_text::UninstallationCompleted);
        window_.refresh();
        setup::Pause(platform_.clock, window_, setup::pause::BeforeRestart);
        // A refused restart is not reported, but its exit code says so.
        const setup::RunOutcome restart = setup::RestartOutcome(setup::RestartSystem(platform_));
        EndProcess(failed ? setup::RunOutcome::Failed : restart);
    }
    // The window thread ends the program once the dialog is gone; this
    // thread closes the run meanwhile, and whichever ends first ends both.
    controls_.endDialog(ports::DialogResult::Ok);
}

void NVXPOS_UninstallerDlg::CloseRun() {
    window_.setStepText(setup::removal_text::UninstallationCompleted);
    window_.setProgressPosition(kProgressComplete);
    chosenPrinters_.clear();
    window_.refresh();
    busy_ = 0;
    setup::Pause(platform_.clock, window_, setup::pause::UninstallClosing);
    EndProcess(outcome_);
}

}  // namespace kvt::uninstaller
