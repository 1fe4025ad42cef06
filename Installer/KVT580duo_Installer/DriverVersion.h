#pragma once
// The installer's engine: the product configuration it installs by, the
// driver environment and package folder of the running system, and (in later
// files of this module) the install steps themselves.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Installer/setup_common/RemovalContext.h"
#include "Installer/setup_common/SetupExitCode.h"
#include "Installer/setup_common/SetupLog.h"
#include "Installer/setup_common/SetupPauses.h"
#include "platform/ports/Platform.h"
#include "platform/ports/SetupWindow.h"

namespace kvt::installer {

inline constexpr std::string_view kEnvironmentX64 = "Windows x64";
inline constexpr std::string_view kEnvironmentX86 = "Windows NT x86";
inline constexpr std::string_view kPackageFolderX64 = ".\\Driver64\\";
inline constexpr std::string_view kPackageFolderX86 = ".\\Driver32\\";

class InstallEngine {
public:
    InstallEngine(ports::Platform& platform, setup::SetupLog& log);
    virtual ~InstallEngine() = default;
    InstallEngine(const InstallEngine&) = delete;
    InstallEngine& operator=(const InstallEngine&) = delete;

    // Stores the two facts about the system and chooses the driver
    // environment and the package folder from the WOW64 flag.
    void SetSystemInfo(int wow64, int osCode);

    // Wires the engine to the main window's step text and progress bar.
    void SetControlPointers(ports::SetupWindow& window);
    // A quiet run ends with the exit codes deployment tools read.
    void SetQuiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }
    // How the install sequence ended: Done until a sequence says otherwise.
    setup::RunOutcome outcome() const { return outcome_; }
    void setOutcome(setup::RunOutcome outcome) { outcome_ = outcome; }
    std::uint32_t ExitCodeOf(setup::RunOutcome outcome) const { return setup::ExitCodeOf(outcome, quiet_); }

    // Loads an entry of the installer's product record into the scratch
    // string; an entry that does not exist leaves it empty.
    const std::string& LoadEntry(int number);

    // Install sequences (InstallSequences.cpp): the port code is 1000 + the
    // port dialog's selection index (1006 is USB).
    void AddToWin2K(int portCode);
    void AddToWin2KWithWHQL(int portCode);

    // Spooler registration of the driver's parts (ComponentRegistration.cpp).
    bool AddLanguageMonitor();
    bool AddPrinterProcessor();
    bool AddPrinterDriverToSystem();
    // Returns 1; a failed printer creation ends the process.
    int AddPrinterToSystem(int portCode, std::string_view printerName);

    // File staging (FileStaging.cpp).
    void CopyFilesNeededToAddPrnDrv();
    void DeleteFilesUsed();
    void CopyFilesOfUtilities();
    int CreateDirectoryWithSA(std::string_view path);
    bool HandleCopyFileError(std::string_view source, std::string_view target, std::uint32_t error);

    // INF store and uninstall entry (InfRegistration.cpp).
    int INFFileExist(std::string_view sectionName, std::string_view unused);
    void CopyINFFile();
    void RegisterUninstallInfo();
    // The entry's values for deployment tools (DeploymentValues.cpp); the
    // uninstaller's full path when it is known.
    void WriteDeploymentValues(ports::Registry& registry, ports::RegKey entry,
                               const std::optional<std::string>& uninstaller);
    // KiB of the files the installation places, rounded up.
    std::uint32_t EstimatedSizeKiB();

    // Whether the product's driver is registered (the installer's form).
    int PrinterDrvExist(std::string_view driverName);

    int osCode() const { return osCode_; }
    int wow64() const { return wow64_; }
    const std::string& environment() const { return environment_; }
    const std::string& packageFolder() const { return packageFolder_; }
    const std::string& makerName() const { return makerName_; }
    const std::string& driverName() const { return driverName_; }
    const std::string& infName() const { return infName_; }
    // After the INF copy: the full path of the copy in the INF store.
    void setInfName(std::string_view path) { infName_ = std::string(path); }
    const std::string& languageMonitorDll() const { return languageMonitorDll_; }
    const std::string& languageMonitorName() const { return languageMonitorName_; }
    const std::string& printProcessorDll() const { return printProcessorDll_; }
    const std::string& printProcessorName() const { return printProcessorName_; }
    const std::string& driverDll() const { return driverDll_; }
    const std::string& uiPluginDll() const { return uiPluginDll_; }
    const std::string& secondDriverDll() const { return secondDriverDll_; }
    int ownProcessor() const { return ownProcessor_; }

    // Progress protocol of the worker (ProgressProtocol.cpp): the step text
    // is assigned, a step sends PBM_STEPIT and posts the refresh, complete
    // sets the bar to 100 and posts the refresh.
    void SetStepText(std::string_view text);
    void Step();
    void Complete();
    // A wait of the install steps, left out when it is a reading pause and
    // nobody watches the window.
    void Pause(const setup::PauseEntry& pause);
    // The error report of the spooler and setup calls: `head` formatted with
    // the code (e.g. "AddMonitor, ERR CODE: 3000\n\n") followed by the
    // system's text for the code, in a box with the error icon.
    void ShowErrorReport(std::string_view head, std::uint32_t code);

    // The removal engine's view of this run (the installer's form); valid
    // once SetControlPointers has run.
    setup::RemovalContext RemovalContextFor(const setup::RemovalForm& form);

    ports::Platform& platform() { return platform_; }
    setup::SetupLog& log() { return log_; }
    ports::SetupWindow* window() { return window_; }

protected:

private:
    // Directories as the steps read them into their 256-byte buffers.
    // Nothing (and a failure line in the log) when the system does not
    // answer, answers nothing, or answers more than the buffer holds: a path
    // built on such an answer would start at the drive root or be cut short,
    // and name something that is not the product's.
    std::optional<std::string> WindowsDirectory();
    std::optional<std::string> SystemDirectory();
    void CopyMonitorDllToNativeSystemDirectory();
    // The spooler's driver and print-processor directories for the driver's
    // own environment.
    std::optional<std::string> DriverDirectory();
    std::optional<std::string> PrintProcessorDirectory();
    // folder + "\" + name.
    static std::string InFolder(std::string_view folder, std::string_view name);
    // One overwriting copy: logs "FILE SRC : %s" and hands a failure to
    // HandleCopyFileError when `handleFailure` is set. Returns the copy's code.
    std::uint32_t CopyStepFile(std::string_view source, std::string_view target, bool handleFailure);

    ports::Platform& platform_;
    setup::SetupLog& log_;
    ports::SetupWindow* window_ = nullptr;  // step text and progress bar

    int osCode_ = 2010;
    int wow64_ = 0;
    std::string environment_;
    std::string packageFolder_;  // relative to the current directory
    std::string scratch_;        // string-table loads of the steps
    std::string makerName_;
    std::string driverName_;
    std::string infName_;
    std::string languageMonitorDll_;
    std::string languageMonitorName_;
    std::string printProcessorDll_;
    std::string printProcessorName_;
    std::string driverDll_;
    std::string uiPluginDll_;
    std::string secondDriverDll_;
    // Always set: the product's own print processor is copied, registered and
    // used by the printer.
    int ownProcessor_ = 1;
    bool quiet_ = false;
    setup::RunOutcome outcome_ = setup::RunOutcome::Done;
};

}  // namespace kvt::installer
