// Staging of the driver files for the spooler, their clean-up after the
// registration, and the copies of the uninstaller and the configuration
// file into the product folder. Nothing here stops the installation: every
// failure is logged and the sequence goes on.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/KVT580duo_Installer/InstallStepTexts.h"
#include "Installer/setup_common/DeviceRemovalProgram.h"
#include "Installer/setup_common/DirectoryTree.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/SystemChecks.h"
#include "platform/ports/WinCodes.h"

namespace kvt::installer {
namespace {

constexpr std::size_t kDirectoryCapacity = 256;
constexpr std::string_view kOldExtension = ".old";

// One file the spooler needs in its driver directory. The universal driver's
// own files may be missing from a package that relies on the system's copies,
// so their failures are left to the driver registration to report.
struct StagedFile {
    std::string name;
    bool ownFile;     // a failure is handled (copy) or logged (deletion)
    bool secondCopy;  // also into the Windows directory on 32-bit systems before Vista
};

std::vector<StagedFile> StagedFiles(InstallEngine& engine) {
    return {
        {std::string(stepfile::UniversalDriver), false, false},
        {std::string(stepfile::UniversalDriverUi), false, false},
        {std::string(stepfile::UniversalDriverHelp), false, false},
        {std::string(stepfile::UniversalResources), false, false},
        {engine.driverDll(), true, true},
        {engine.uiPluginDll(), true, true},
        {engine.secondDriverDll(), true, true},
        {engine.LoadEntry(setup::entry::PluginIniFile), true, true},
        {engine.LoadEntry(setup::entry::GpdFile), true, true},
        {std::string(stepfile::StandardNames), true, false},
    };
}

// What a 256-byte buffer keeps of a directory the system named: nothing
// unless the call succeeded with a name that fits. Into that buffer a longer
// name fails the call with ERROR_INSUFFICIENT_BUFFER, which `error` then says.
std::optional<std::string> KnownDirectory(std::uint32_t& error, const std::string& answer) {
    if (error == err::Success && answer.size() >= kDirectoryCapacity) error = err::InsufficientBuffer;
    if (error != err::Success || answer.empty()) return std::nullopt;
    return answer;
}

bool Exists(ports::FileSystem& files, std::string_view path) {
    std::uint32_t attributes = 0;
    return files.getFileAttributes(path, attributes) == err::Success;
}

// The product folder's access list: everybody may read the uninstaller and
// the configuration file and run the uninstaller; only administrators and
// the system may change them. Files and subfolders inherit it.
std::vector<ports::ExplicitAccess> ProductFolderAccess() {
    constexpr std::uint32_t kInherit = acl::ObjectInherit | acl::ContainerInherit;
    return {
        {"Everyone", acl::GenericRead | acl::GenericExecute, ports::AccessMode::Set, kInherit},
        {"Administrators", acl::GenericAll, ports::AccessMode::Set, kInherit},
        {"SYSTEM", acl::GenericAll, ports::AccessMode::Set, kInherit},
    };
}

}  // namespace

std::string InstallEngine::InFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += '\\';
    path += name;
    return path;
}

std::optional<std::string> InstallEngine::WindowsDirectory() {
    std::string answer;
    std::uint32_t error = platform_.files.getWindowsDirectory(answer);
    std::optional<std::string> directory = KnownDirectory(error, answer);
    if (!directory) log_.WriteLog("GetWindowsDirectory failed");
    return directory;
}

std::optional<std::string> InstallEngine::SystemDirectory() {
    std::string answer;
    std::uint32_t error = platform_.files.getSystemDirectory(answer);
    std::optional<std::string> directory = KnownDirectory(error, answer);
    if (!directory) log_.WriteLog("GetSystemDirectory failed");
    return directory;
}

std::optional<std::string> InstallEngine::DriverDirectory() {
    // The spooler registers the files from the directory of the driver's
    // environment; on 64-bit Windows the installer's own (32-bit) one would
    // leave them where the 64-bit driver is never looked for.
    std::string answer;
    std::uint32_t error = platform_.spooler.getPrinterDriverDirectory(environment_, answer);
    std::optional<std::string> directory = KnownDirectory(error, answer);
    if (!directory) log_.WriteLog("GetPrinterDriverDirectory failed. (%d)", error);
    return directory;
}

std::optional<std::string> InstallEngine::PrintProcessorDirectory() {
    std::string answer;
    std::uint32_t error = platform_.spooler.getPrintProcessorDirectory(environment_, answer);
    std::optional<std::string> directory = KnownDirectory(error, answer);
    if (!directory) log_.WriteLog("GetPrintProcessorDirectory failed. (%d)", error);
    return directory;
}

std::uint32_t InstallEngine::CopyStepFile(std::string_view source, std::string_view target, bool handleFailure) {
    const std::uint32_t error = platform_.files.copyFile(source, target, false);
    log_.WriteLog("FILE SRC : %s", source);
    if (error != err::Success && handleFailure) HandleCopyFileError(source, target, error);
    return error;
}

void InstallEngine::CopyFilesNeededToAddPrnDrv() {
    log_.WriteLog("\r\n");
    log_.WriteLog("CopyFilesNeededToAddPrnDrv BEGIN");
    SetStepText(steptext::CopyingFiles);
    Step();
    Pause(setup::pause::InstallStep);

    // 32-bit systems before Vista load the driver's DLLs from the Windows
    // directory as well.
    const bool secondCopies = wow64_ == 0 && osCode_ < setup::oscode::FirstVistaOrLater;
    const std::optional<std::string> windows = WindowsDirectory();
    // Without the driver directory there is nowhere to stage: the driver
    // registration then reports what is missing.
    const std::optional<std::string> drivers = DriverDirectory();
    for (const StagedFile& file : StagedFiles(*this)) {
        const std::string source = packageFolder_ + file.name;
        if (drivers) CopyStepFile(source, InFolder(*drivers, file.name), file.ownFile);
        if (file.secondCopy && secondCopies && windows) CopyStepFile(source, InFolder(*windows, file.name), true);
    }
    log_.WriteLog("CopyFilesNeededToAddPrnDrv END");
}

bool InstallEngine::HandleCopyFileError(std::string_view source, std::string_view target, std::uint32_t error) {
    if (error != err::AccessDenied && error != err::SharingViolation) {
        log_.WriteLog("COPYFILE ERROR, SRC : %s ", source);
        log_.WriteLog("ERROR CODE : %d ", error);
        log_.WriteLog("COPYFILE ERROR, DES : %s ", target);
        return false;
    }

    // A file in use cannot be overwritten but can be renamed: move it out of
    // the way and copy again.
    const std::string old = std::string(target) + std::string(kOldExtension);
    if (error == err::AccessDenied) {
        log_.WriteLog("ERROR_ACCESS_DENIED HANDLER");
    } else {
        log_.WriteLog("ERROR_SHARING_VIOLATION HANDLER");
    }
    if (Exists(platform_.files, old)) platform_.files.deleteFile(old);
    if (Exists(platform_.files, target)) {
        platform_.files.moveFile(target, old);
        log_.WriteLog("strDest : %s", target);
        log_.WriteLog("strDestWithOldExt : %s", old);
    }
    if (const std::uint32_t again = platform_.files.copyFile(source, target, false); again != err::Success) {
        log_.WriteLog("CopyFile Error : %s ", source);
        log_.WriteLog("Error Code : (%d) ", again);
        log_.WriteLog("CopyFile Error : %s ", target);
    }
    return true;
}

int InstallEngine::CreateDirectoryWithSA(std::string_view path) {
    log_.WriteLog("\r\n");
    log_.WriteLog("CreateDirectoryWithSA BEGIN");

    // Everyone is given to Windows by its SID, never looked up by a name that
    // other languages translate. Without it the attempts below go on, and the
    // last one falls back to default security.
    if (const std::uint32_t sidError = platform_.files.buildWellKnownSid("Everyone"); sidError != err::Success)
        log_.WriteLog("Fail to get Everyone SID. (%d)", sidError);

    const std::vector<ports::ExplicitAccess> access = ProductFolderAccess();
    std::uint32_t error = platform_.files.createDirectory(path, access);
    if (error == err::AlreadyExists) {
        // Whatever an earlier installation (or anybody else) left there goes,
        // and the folder gets the access list afresh.
        setup::DeleteDirectoryTree(platform_.files, path);
        error = platform_.files.createDirectory(path, access);
    }
    if (error != err::Success) {
        error = platform_.files.createDirectory(path, access);
        if (error != err::Success) error = platform_.files.createDirectory(path, {});
    }

    log_.WriteLog("CreateDirectoryWithSA END");
    return error == err::Success ? 1 : 0;
}

void InstallEngine::CopyFilesOfUtilities() {
    log_.WriteLog("\r\n");
    log_.WriteLog("CopyFilesOfUtilities BEGIN");

    // The product folder is emptied and recreated; without the Windows
    // directory its name would be "\KVT-580duo" at the root of the drive,
    // a folder anybody may have made.
    if (const std::optional<std::string> windows = WindowsDirectory()) {
        const std::string productFolder = InFolder(*windows, LoadEntry(setup::entry::ModelName));
        CreateDirectoryWithSA(productFolder);
        const std::string uninstaller = LoadEntry(setup::entry::UninstallerProgramFile);
        CopyStepFile(uninstaller, InFolder(productFolder, uninstaller), true);
        CopyStepFile(stepfile::ConfigurationFile, InFolder(productFolder, stepfile::ConfigurationFile), true);
        // The uninstaller, a WOW64 process there too, needs the 64-bit
        // device removal program beside it.
        if (wow64_ != 0)
            CopyStepFile(packageFolder_ + std::string(setup::kDeviceRemovalProgramFile),
                         InFolder(productFolder, setup::kDeviceRemovalProgramFile), true);
    }
    if (const std::optional<std::string> system = SystemDirectory())
        CopyStepFile(stepfile::ConfigurationFile, InFolder(*system, stepfile::ConfigurationFile), true);

    log_.WriteLog("CopyFilesOfUtilities END");
}

void InstallEngine::DeleteFilesUsed() {
    log_.WriteLog("\r\n");
    log_.WriteLog("DeleteFilesUsed BEGIN");
    SetStepText(steptext::DeletingFilesUsed);
    Step();
    Pause(setup::pause::InstallStep);

    // The spooler has copied what it needs into its version folder; only the
    // staged copies beside it go.
    // Without the driver directory the names would point at the root of the
    // drive, where files of these names are not the staged copies.
    if (const std::optional<std::string> drivers = DriverDirectory()) {
        for (const StagedFile& file : StagedFiles(*this)) {
            const std::string path = InFolder(*drivers, file.name);
            log_.WriteLog("FILE SRC : %s", path);
            const std::uint32_t error = platform_.files.deleteFile(path);
            if (error != err::Success && file.ownFile) setup::LogDeleteFileError(log_, path, error);
        }
    }
    log_.WriteLog("DeleteFilesUsed END");
}

}  // namespace kvt::installer
