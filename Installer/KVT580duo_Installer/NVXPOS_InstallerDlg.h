#pragma once
// The installer's main window as its flow sees it: the state the window
// object holds (OS code, WOW64 flag, busy and removing flags, the engine) and
// the flow the worker thread runs from the system check to the end of the
// process. The Win32 shell owns the real window and the worker thread and
// calls into this object; the simulation drives it the same way.
#include <atomic>
#include <string>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/setup_common/SetupCommandLine.h"
#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/UnattendedWindow.h"
#include "platform/ports/Platform.h"
#include "platform/ports/PortDialog.h"
#include "platform/ports/SetupWindow.h"

namespace kvt::installer {

class NVXPOS_InstallerDlg {
public:
    // `commandLine`: the program's options (none: the interactive program).
    NVXPOS_InstallerDlg(ports::Platform& platform, ports::SetupWindow& window, ports::PortDialog& portDialog,
                        setup::SetupCommandLine commandLine = {});
    NVXPOS_InstallerDlg(const NVXPOS_InstallerDlg&) = delete;
    NVXPOS_InstallerDlg& operator=(const NVXPOS_InstallerDlg&) = delete;

    // The window's initialisation up to the start of the worker: the log,
    // the system facts, the engine's environment and control pointers, the
    // version text, the spooler started (2000 ms), the flags cleared, a
    // refresh, and the progress bar's range 0..100 and step 9.
    void OnInitDialog();

    // Worker thread entry; runs RunInstallation and returns 0 (never reached
    // in practice: every path of the flow ends the process).
    int InstallThreadProc();

    // System check, port choice, version check and install sequence; ends
    // the process through the exit port.
    void RunInstallation();
    void InstallWithPortDialog();
    void InstallWithConfiguredPort();
    // Returns only when the installation may go on.
    void CheckInstalledVersion();
    // A bad command line or "/?": the text shown (or, quiet, logged), then
    // the end of the process. Returns when the command line asks to install.
    void HandleCommandLine();

    // Read by the window thread's message filter.
    int busy() const { return busy_.load(); }
    int removing() const { return removing_.load(); }
    // "Driver Version: V3.4.3" once OnInitDialog has run.
    const std::string& versionText() const { return versionText_; }
    int osCode() const { return osCode_; }
    int wow64() const { return wow64_; }
    InstallEngine& engine() { return engine_; }
    // The run's step log (its path is known once OnInitDialog has run).
    const setup::SetupLog& log() const { return log_; }
    setup::SetupLog& log() { return log_; }
    const setup::SetupCommandLine& commandLine() const { return commandLine_; }

private:
    // Port code 1000 + index; an index outside 0..6 installs nothing.
    void InstallOnPort(int selection);

    void EndProcess(setup::RunOutcome outcome);

    ports::Platform& platform_;
    setup::SetupCommandLine commandLine_;
    ports::PortDialog& portDialog_;
    setup::SetupLog log_;
    // Every message box of the flow goes through here: a quiet run logs it.
    setup::UnattendedWindow unattended_;
    ports::SetupWindow& window_;

    int osCode_ = 2010;
    int wow64_ = 0;
    std::atomic<int> busy_{0};
    std::atomic<int> removing_{0};
    InstallEngine engine_;
    std::string versionText_;
};

}  // namespace kvt::installer
