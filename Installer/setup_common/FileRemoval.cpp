#include "Installer/setup_common/FileRemoval.h"

#include <string>

#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/DirectoryTree.h"
#include "Installer/setup_common/RemainingPrinters.h"
#include "Installer/setup_common/SpoolerService.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

enum class Folder { Windows, DriverVersion };

struct DriverFile {
    Folder folder;
    EntryNumber name;
    bool uninstallerOnly;
};

// In the order the files are deleted.
constexpr DriverFile kDriverFiles[] = {
    {Folder::Windows, removal_entry::DriverDll, false},
    {Folder::DriverVersion, removal_entry::DriverDll, true},
    {Folder::DriverVersion, removal_entry::GpdFile, false},
    {Folder::Windows, removal_entry::GpdFile, false},
    {Folder::DriverVersion, removal_entry::BudFile, false},
    {Folder::DriverVersion, removal_entry::UiPluginDll, false},
    {Folder::Windows, removal_entry::UiPluginDll, false},
    {Folder::Windows, removal_entry::SecondDriverDll, false},
    {Folder::DriverVersion, removal_entry::SecondDriverDll, false},
    {Folder::Windows, removal_entry::PluginIniFile, false},
};

constexpr std::string_view kMakerDirectory = "\\NORVEX Printer Driver";

// A directory as a 256-byte buffer holds it; nothing when it is unknown.
struct Directory {
    BoundedText path{kRemovalBufferCapacity};
    bool known = false;
};

std::string PathIn(const Directory& directory, std::string_view separator, std::string_view name) {
    BoundedText path(kRemovalBufferCapacity);
    path.assign(directory.path.view());
    path.append(separator);
    path.append(name);
    return path.str();
}

}  // namespace

void DeleteDriverFiles(const RemovalContext& context) {
    const std::string_view stepName = context.form.driverFilesStepName;
    LogStepBegin(context, stepName);
    ReportStatus(context, context.form.deleteDriverFiles);

    Directory windows, drivers;
    std::string text;
    if (context.platform.files.getWindowsDirectory(text) == 0) {
        windows.path.assign(text);
        windows.known = true;
    } else {
        context.log.WriteLog("GetWindowsDirectory failed");
    }
    text.clear();
    if (context.spooler.getPrinterDriverDirectory(context.driverEnvironment(), text) == 0) {
        drivers.path.assign(text);
        drivers.known = true;
    } else {
        context.log.WriteLog("GetPrinterDriverDirectory failed. (%d)", context.platform.system.getLastError());
    }
    if (context.form.logsDriverFileDirectories) {
        context.log.WriteLog("PrinterDriverDirectory : %s", drivers.path.view());
        context.log.WriteLog("WindowsDirectory : %s", windows.path.view());
    }

    // Printers that could not be deleted still use the driver's files.
    const bool driverInUse = !PrintersOfDriver(context, context.entry(removal_entry::DriverName)).empty();
    NetStopSpooler(context.platform);
    Wait(context, pause::BeforeFileDeletion);
    LogSpoolerStillRunning(context.platform, context.log);

    for (const DriverFile& file : kDriverFiles) {
        if (driverInUse) {
            context.log.WriteLog("The driver files stay: printers still use the driver.");
            break;
        }
        if (file.uninstallerOnly && !context.form.deletesDriverDllFromVersionFolder) continue;
        const bool inWindows = file.folder == Folder::Windows;
        const Directory& directory = inWindows ? windows : drivers;
        if (!directory.known) continue;
        DeleteFileOrLogError(context.platform.files, context.log,
                             PathIn(directory, inWindows ? "\\" : "\\3\\", context.entry(file.name)));
    }

    LogStepEnd(context, stepName);
    NetStartSpooler(context.platform);
    Wait(context, pause::AfterSpoolerStart);
}

void DeletePrnDrvPnPDirectory(const RemovalContext& context, Reporting reporting) {
    LogStepBegin(context, "DeletePrnDrvPnPDirectory");
    ReportStatus(context, StatusOf(context.form.deletePnpDirectories, reporting));

    std::string text;
    if (context.spooler.getPrinterDriverDirectory(context.driverEnvironment(), text) == 0) {
        Directory drivers;
        drivers.path.assign(text);
        const std::string first = PathIn(drivers, "\\", context.entry(removal_entry::FirstPackageDirectory));
        DeleteDirectoryTree(context.platform.files, first);
        context.log.WriteLog("DIR PATH-1 : %s ", first);
        const std::string second = PathIn(drivers, "\\", context.entry(removal_entry::SecondPackageDirectory));
        DeleteDirectoryTree(context.platform.files, second);
        context.log.WriteLog("DIR PATH-2 : %s ", second);
    }

    LogStepEnd(context, "DeletePrnDrvPnPDirectory");
}

void DeleteInstalledDirectory(const RemovalContext& context) {
    LogStepBegin(context, "DeleteInstalledDirectory");
    ports::FileSystem& files = context.platform.files;

    std::string windows;
    if (files.getWindowsDirectory(windows) == 0) {
        BoundedText maker(kRemovalBufferCapacity);
        maker.assign(Prefix(windows, 2));
        maker.append(kMakerDirectory);
        BoundedText product(kRemovalBufferCapacity);
        product.assign(maker.view());
        product.append("\\");
        product.append(context.entry(removal_entry::ModelName));

        std::uint32_t attributes = 0;
        if (files.getFileAttributes(product.view(), attributes) == 0) {
            DeleteDirectoryTree(files, product.view());
            context.log.WriteLog("DIRECTORY : %s", product.view());
        }
        if (files.getFileAttributes(maker.view(), attributes) == 0) {
            const std::uint32_t rc = files.removeDirectory(maker.view());
            if (rc != 0 && rc != err::DirNotEmpty)
                context.log.WriteLog("Failed to remove the directory : %s, (%d)", maker.view(), rc);
        }
    }

    LogStepEnd(context, "DeleteInstalledDirectory");
}

}  // namespace kvt::setup
