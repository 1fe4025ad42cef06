#pragma once
// The uninstaller's main window as its flow sees it: the state the window
// object holds (OS code, WOW64 flag, busy flag, the printer objects found and
// chosen) and the flow itself. The window thread opens the window, lists the
// printer objects of the driver and lets the user choose; the worker deletes
// the chosen ones and, when all of them were chosen, the driver with every
// trace of it. The Win32 shell owns the real window, the timer and the worker
// thread and calls into this object; the simulation drives it the same way.
#include <atomic>
#include <string>
#include <vector>

#include "Installer/setup_common/RemovalContext.h"
#include "Installer/setup_common/SetupCommandLine.h"
#include "Installer/setup_common/SetupExitCode.h"
#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/UnattendedWindow.h"
#include "Installer/setup_common/win32/MessageFilterDecision.h"
#include "platform/ports/Platform.h"
#include "platform/ports/SetupWindow.h"
#include "platform/ports/UninstallerWindow.h"

namespace kvt::uninstaller {

class NVXPOS_UninstallerDlg {
public:
    // `commandLine`: the program's options (none: the interactive program).
    NVXPOS_UninstallerDlg(ports::Platform& platform, ports::SetupWindow& window, ports::UninstallerWindow& controls,
                          setup::SetupCommandLine commandLine = {});
    NVXPOS_UninstallerDlg(const NVXPOS_UninstallerDlg&) = delete;
    NVXPOS_UninstallerDlg& operator=(const NVXPOS_UninstallerDlg&) = delete;

    // Window thread. The window's initialisation after its icon: the log,
    // the system facts, no printer objects, not busy, the progress bar's
    // range 0..100 and step 10. The shell then starts timer 1 (1 ms), whose
    // first tick runs PrepareUninstall.
    void OnInitDialog();

    // Window thread: lists the printer objects of the driver and either lets
    // the user choose, starts the removal by itself (no printer object, but
    // the driver), or ends the process (the search failed; or neither printer
    // objects nor driver, after the message and the uninstall entry's removal).
    void PrepareUninstall();
    // The local printers whose driver is exactly the product's driver go to
    // the front of the chosen list. Their number, or -1 after the message
    // about a failed enumeration.
    int AddPrinterObjectsToList();
    // The chosen list into the check list, every item checked; Uninstall is
    // enabled when the list holds anything.
    void FillCheckList();
    // Check-change notification of the list: Uninstall is enabled while at
    // least one box is set.
    void UpdateUninstallButton();
    // Uninstall button (or PrepareUninstall): marks the window busy and
    // starts the worker.
    void StartUninstall();
    // IDCANCEL while idle: the dialog ends, and with it the program, with
    // nothing changed.
    void OnCancel();

    // Worker thread entry; runs RunUninstall and returns 0 (never reached in
    // practice: every path of the flow ends the process).
    int UninstallThreadProc();
    // The choice, the removal, and the closing (the restart question after a
    // complete removal); ends the process through the exit port.
    void RunUninstall();
    // Every checked item, first to last, to the front of the emptied chosen
    // list; the number chosen.
    int CollectChosenPrinters();
    // Deletes the chosen printers from the front of the list (the bottom of
    // the check list upwards), then restarts the spooler.
    void RemovePrinterObjects();

    // Window thread: the pre-translation of a message that reached the
    // window's thread, from the busy flag. While the removal runs: wait
    // cursor, no Close command, Escape swallowed. Clicks and Space aimed at
    // the check list (toCheckList) are swallowed from the start of the
    // removal to the end of the program, through the closing pause after the
    // busy flag is cleared too, so no box changes and Uninstall stays disabled.
    setup::shell::FilterDecision PreTranslateMessage(unsigned message, std::uintptr_t wParam, bool toCheckList) const;
    // Whether the Uninstall button may still start the removal: only once in
    // a run, and never while it runs.
    bool MayStartRemoval() const { return busy_.load() == 0 && !removalStarted_.load(); }

    // The exit code the run ends with as far as it has come; the window
    // thread ends the program with it when the dialog closes first.
    std::uint32_t ExitCode() const { return setup::ExitCodeOf(outcome_.load(), commandLine_.quiet); }
    const setup::SetupCommandLine& commandLine() const { return commandLine_; }

    int busy() const { return busy_.load(); }
    int osCode() const { return osCode_; }
    int wow64() const { return wow64_; }
    // Found at start (N of the removal), or -1 when the search failed.
    int printerObjectCount() const { return printerObjectCount_; }
    // Front first.
    const std::vector<std::string>& chosenPrinters() const { return chosenPrinters_; }
    // The run's step log (its path is known once OnInitDialog has run).
    const setup::SetupLog& log() const { return log_; }
    setup::SetupLog& log() { return log_; }

private:
    // Loads an entry of the uninstaller's product record into the scratch
    // string; an entry that does not exist leaves it empty.
    const std::string& LoadEntry(int number);
    setup::RemovalContext RemovalContextForRun();
    // No printer objects and no driver: the stale uninstall entry goes.
    void ReportDriverMissing();
    void AskForRestart();
    // The completed text, the bar at 100 and the 2-second pause before the end.
    void CloseRun();
    // A bad command line or "/?": the text shown (or, quiet, logged), then
    // the end of the process.
    void HandleCommandLine();
    void EndProcess(setup::RunOutcome outcome);
    // After a removal meant to take the driver: Failed when it is still there.
    void CheckDriverRemoved();

    ports::Platform& platform_;
    setup::SetupCommandLine commandLine_;
    ports::UninstallerWindow& controls_;
    setup::SetupLog log_;
    // Every message box of the flow goes through here: a quiet run logs it.
    setup::UnattendedWindow unattended_;
    ports::SetupWindow& window_;
    std::atomic<setup::RunOutcome> outcome_{setup::RunOutcome::Done};

    int osCode_ = 2010;
    int wow64_ = 0;
    std::atomic<int> busy_{0};
    std::atomic<bool> removalStarted_{false};  // set by StartUninstall, never cleared
    std::string scratch_;
    std::vector<std::string> chosenPrinters_;
    int printerObjectCount_ = 0;
};

}  // namespace kvt::uninstaller
