#pragma once
// The two forms of the removal engine. Both setup programs carry the same
// steps; they differ in what the steps show, how long they wait, what they
// log and where the uninstaller tries harder. Each difference is one named
// choice here, so a step asks its form instead of asking which program runs.
#include <cstdint>
#include <string_view>

#include "Installer/setup_common/SetupPauses.h"
#include "Installer/setup_common/SetupProgram.h"

namespace kvt::setup {

// The step texts of the removal, as the windows show them.
namespace removal_text {
inline constexpr std::string_view DeletingPrinterObjects = "Deleting printer-objects...";
inline constexpr std::string_view RemovingPrinterDriver = "Removing printer-driver...";
inline constexpr std::string_view DeletingPrinterDriverObjects = "Deleting printer-driver objects...";
inline constexpr std::string_view RemovingPrinterDrivers = "Removing printer-drivers...";
inline constexpr std::string_view UninstallationCompleted = "The uninstallation has been completed.";
inline constexpr std::string_view DeletingForms = "Deleting forms...";
inline constexpr std::string_view DeletingPrinterDrivers = "Deleting printer-drivers...";
inline constexpr std::string_view DeletingLanguageMonitor = "Deleting L/M...";
inline constexpr std::string_view DeletingProcessor = "Deleting the processor...";
inline constexpr std::string_view DeletingDriverComponents = "Deleting driver-components...";
inline constexpr std::string_view DeletingInfFile = "Deleting the INF file...";
inline constexpr std::string_view DeletingVidPid = "Deleting Vid & Pid info...";
inline constexpr std::string_view DeletingLptUsbInfo = "Deleting information of LPT and USB...";
inline constexpr std::string_view DeletingPnpDirectories = "Deleting PNP directories...";
}  // namespace removal_text

// The reading pauses after the removal's step texts, in milliseconds (the
// removal's other waits are in the table of SetupPauses.h).
namespace removal_wait {
inline constexpr std::uint32_t ListedStep = pause::ListedStep.ms;  // the uninstaller's steps of RemoveFromOS
inline constexpr std::uint32_t DeviceStep = pause::DeviceStep.ms;  // device and directory steps
}  // namespace removal_wait

// What a step shows before its work: nothing, its text with a refresh, or
// its text with a step of the progress bar and a refresh.
enum class StatusReport { None, Refresh, Step };

struct StepStatus {
    std::string_view text;
    StatusReport report = StatusReport::None;
    std::uint32_t waitMs = 0;
};

inline constexpr StepStatus kNoStatus{};

// The installer runs the device removal program from the package's
// Driver64 folder (an older version's product folder has none); the
// uninstaller from the product folder, where the installer put it, and
// deletes it there once it has run.
enum class DeviceRemovalProgramSite { PackageFolder, ProductFolder };

struct RemovalForm {
    // Whose numbering of the product record the steps load entries by.
    SetupProgram program;

    // Status of each step.
    StepStatus deleteDriverPrinters;
    StepStatus deleteForms;
    StepStatus deletePrinterDrv;
    StepStatus deleteLanguageMonitor;
    StepStatus deleteProcessor;
    StepStatus deleteDriverFiles;
    StepStatus deleteInfFile;
    StepStatus deleteVidPid;
    StepStatus deleteLptUsbInfo;
    StepStatus deletePnpDirectories;

    // RemoveFromOS writes its own BEGIN and END lines.
    bool logsRemoveFromOS;
    // DeletePrinterDrv logs the spooler's refusal before its fallback.
    bool logsDriverDeletionRefusal;
    // DeleteLanguageMonitor and DeleteProcessor start the spooler and try once
    // more when the spooler was not running (1722).
    bool retriesWhenSpoolerDown;
    // The driver-file step: its name in the log, whether it also deletes the
    // driver DLL from the driver directory's version folder, and whether it
    // logs the two directories it works in.
    std::string_view driverFilesStepName;
    bool deletesDriverDllFromVersionFolder;
    bool logsDriverFileDirectories;
    // DeleteINFFile logs its search terms, open failures, direct deletions
    // and a search that found nothing.
    bool logsInfSearch;
    // DeleteUninstallationInfo logs the key it deletes.
    bool logsUninstallKey;
    // Where a WOW64 run of DeleteVidPid finds the 64-bit device removal
    // program, and whether it deletes it after use.
    DeviceRemovalProgramSite deviceRemovalProgram;
};

// The installer removes a different version silently but for the sweep and
// the device and directory steps.
inline constexpr RemovalForm kInstallerRemoval{
    .program = SetupProgram::Installer,
    .deleteDriverPrinters = {removal_text::DeletingPrinterObjects, StatusReport::Step, 0},
    .deleteForms = kNoStatus,
    .deletePrinterDrv = kNoStatus,
    .deleteLanguageMonitor = kNoStatus,
    .deleteProcessor = kNoStatus,
    .deleteDriverFiles = kNoStatus,
    .deleteInfFile = kNoStatus,
    .deleteVidPid = {removal_text::DeletingVidPid, StatusReport::Refresh, removal_wait::DeviceStep},
    .deleteLptUsbInfo = {removal_text::DeletingLptUsbInfo, StatusReport::Refresh, removal_wait::DeviceStep},
    .deletePnpDirectories = {removal_text::DeletingPnpDirectories, StatusReport::Refresh, removal_wait::DeviceStep},
    .logsRemoveFromOS = true,
    .logsDriverDeletionRefusal = false,
    .retriesWhenSpoolerDown = false,
    .driverFilesStepName = "DeleteFilesUsed",
    .deletesDriverDllFromVersionFolder = false,
    .logsDriverFileDirectories = false,
    .logsInfSearch = false,
    .logsUninstallKey = false,
    .deviceRemovalProgram = DeviceRemovalProgramSite::PackageFolder,
};

// The uninstaller shows every step and logs more of what it finds.
inline constexpr RemovalForm kUninstallerRemoval{
    .program = SetupProgram::Uninstaller,
    .deleteDriverPrinters = kNoStatus,
    .deleteForms = {removal_text::DeletingForms, StatusReport::Refresh, removal_wait::ListedStep},
    .deletePrinterDrv = {removal_text::DeletingPrinterDrivers, StatusReport::Refresh, removal_wait::ListedStep},
    .deleteLanguageMonitor = {removal_text::DeletingLanguageMonitor, StatusReport::Refresh,
                              removal_wait::ListedStep},
    .deleteProcessor = {removal_text::DeletingProcessor, StatusReport::Refresh, removal_wait::ListedStep},
    .deleteDriverFiles = {removal_text::DeletingDriverComponents, StatusReport::Step, removal_wait::ListedStep},
    .deleteInfFile = {removal_text::DeletingInfFile, StatusReport::Refresh, removal_wait::ListedStep},
    .deleteVidPid = {removal_text::DeletingVidPid, StatusReport::Step, removal_wait::DeviceStep},
    .deleteLptUsbInfo = {removal_text::DeletingLptUsbInfo, StatusReport::Step, removal_wait::DeviceStep},
    .deletePnpDirectories = {removal_text::DeletingPnpDirectories, StatusReport::Step, removal_wait::DeviceStep},
    .logsRemoveFromOS = false,
    .logsDriverDeletionRefusal = true,
    .retriesWhenSpoolerDown = true,
    .driverFilesStepName = "DeleteDriverComponent",
    .deletesDriverDllFromVersionFolder = true,
    .logsDriverFileDirectories = true,
    .logsInfSearch = true,
    .logsUninstallKey = true,
    .deviceRemovalProgram = DeviceRemovalProgramSite::ProductFolder,
};

// The device and directory steps as the install sequences run them before
// installing: same work, same log lines, no status and no wait.
enum class Reporting { AsForm, Quiet };

}  // namespace kvt::setup
