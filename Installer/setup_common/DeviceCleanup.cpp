#include "Installer/setup_common/DeviceCleanup.h"

#include <optional>
#include <string>
#include <vector>

#include "Installer/setup_common/AsciiCase.h"
#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/DeviceRemovalProgram.h"
#include "Installer/setup_common/DirectoryTree.h"
#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

namespace ds = ports::devsetup;

constexpr std::size_t kDeviceKeyCapacity = 512;
constexpr std::size_t kInfNameCapacity = 512;
constexpr std::string_view kAmd64Decoration = ".NTamd64";
constexpr std::string_view kDriver64Folder = "Driver64";

// The first id of a REG_MULTI_SZ list.
std::string_view FirstHardwareId(const std::vector<std::uint8_t>& data) {
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    return bytes.substr(0, bytes.find('\0'));
}

// "oem3.inf" -> "oem3.PNF": the precompiled file Windows keeps beside an INF.
std::string PnfPathOf(std::string_view infPath) {
    std::string pnf(infPath);
    const std::size_t extension = pnf.rfind(".inf");
    if (extension != std::string::npos) pnf.replace(extension, 4, ".PNF");
    return pnf;
}

constexpr std::string_view kEnumKeyPrefix = "SYSTEM\\CurrentControlSet\\Enum\\";

bool MachineKeyExists(const RemovalContext& context, std::string_view subKey) {
    ports::Registry& registry = context.platform.registry;
    ports::RegKey key;
    const std::uint32_t view = context.wow64 != 0 ? reg::Wow64_64Key : 0;
    if (registry.openKey(ports::hkey::LocalMachine, subKey, reg::QueryValue | view, key) != 0) return false;
    registry.closeKey(key);
    return true;
}

// From Windows Vista on, a device's keys belong to SYSTEM and an
// administrator may only read them: the device installer takes them away
// with the device's nodes. The nodes of the key "Enum\USBPRINT\X" are those
// of the enumerator USBPRINT whose hardware ids begin with "USBPRINT\X".
void RemoveDeviceNodesOfKey(const RemovalContext& context, std::string_view subKey) {
    if (!StartsWithNoCase(subKey, kEnumKeyPrefix)) return;
    const std::string_view prefix = subKey.substr(kEnumKeyPrefix.size());
    if (prefix.find('\\') == std::string_view::npos) return;  // an enumerator's whole key is no device's
    if (context.wow64 != 0)
        RemoveDevicesInHelper(context, prefix);
    else
        RemoveUsbDevices(context, prefix);
}

void DeleteDeviceKey(const RemovalContext& context, EntryNumber key) {
    BoundedText fullPath(kDeviceKeyCapacity);
    BoundedText subKey(kDeviceKeyCapacity);
    subKey.assign(context.entry(key));
    fullPath.assign("HKLM\\");
    fullPath.append(subKey.view());
    DeleteRegKeyWithGrant(context.platform, context.log, fullPath.view(), subKey.view(), context.wow64);
    if (!MachineKeyExists(context, subKey.view())) return;
    RemoveDeviceNodesOfKey(context, subKey.view());
    if (MachineKeyExists(context, subKey.view())) context.log.WriteLog("The device key remains : %s", fullPath.view());
}

bool InfListsDriver(const RemovalContext& context, const std::string& name, std::string_view section,
                    std::string_view key) {
    ports::InfHandle inf;
    if (const std::uint32_t rc = context.devices.openInfFile(name, ds::InfStyleOldNt | ds::InfStyleWin4, inf);
        rc != 0) {
        if (context.form.logsInfSearch) context.log.WriteLog("SetupOpenInfFile failed. %d", rc);
        return false;
    }
    const bool found = context.devices.findFirstLine(inf, section, key) == 0;
    context.devices.closeInfFile(inf);
    return found;
}

// The store's path of an INF or PNF file, whole: the steps' 256-byte buffer
// must hold it, which DeleteStoreFile checks.
std::string InfStorePath(std::string_view windows, std::string_view name) {
    std::string path(windows);
    path += "\\inf\\";
    path += name;
    return path;
}

// DeleteFileA on a store path, as the 256-byte buffer holds it. A path that
// does not fit is not cut and deleted (the cut name would be another file,
// or none): it fails as DeleteFileA fails on a name that is too long.
std::uint32_t DeleteStoreFile(ports::FileSystem& files, const std::string& path) {
    if (path.size() >= kRemovalBufferCapacity) return err::FilenameExcedRange;
    return files.deleteFile(path);
}

void DeleteStoreFileOrLogError(const RemovalContext& context, const std::string& path) {
    if (const std::uint32_t rc = DeleteStoreFile(context.platform.files, path); rc != 0)
        LogDeleteFileError(context.log, path, rc);
}

// Vista and later, and every 64-bit system, keep track of what they installed
// from an INF: Setup must be the one to take it out of the store. A name
// that the 512-byte buffer cannot hold is not cut: the cut name could be
// another INF of the store.
void UninstallThroughSetup(const RemovalContext& context, const std::optional<std::string>& windows,
                           const std::string& name) {
    if (!context.devices.hasUninstallOEMInf()) return;
    if (name.size() >= kInfNameCapacity) return;
    if (context.devices.uninstallOEMInf(name, ds::SuoiForceDelete) != 0) return;
    if (!windows) return;
    DeleteStoreFileOrLogError(context, PnfPathOf(InfStorePath(*windows, name)));
}

void DeleteFromStore(const RemovalContext& context, std::string_view windows, const std::string& name) {
    const std::string path = InfStorePath(windows, name);
    const std::uint32_t rc = DeleteStoreFile(context.platform.files, path);
    if (rc == 0) {
        if (context.form.logsInfSearch) context.log.WriteLog("'%s' has been deleted successfully.", path);
    } else {
        LogDeleteFileError(context.log, path, rc);
    }
    DeleteStoreFileOrLogError(context, PnfPathOf(path));
}

// Removing a node takes well under a second, but setupapi waits for the
// Plug and Play manager while another device installation is under way
// (the printer plugged in during the setup, say). A minute lets such an
// installation finish without leaving the setup program waiting for good.
constexpr std::uint32_t kDeviceRemovalWaitMs = 60000;

std::string InFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += name;
    return path;
}

// The full path of the device removal program where the program's form
// says it lies: the package's Driver64 folder beside the installer, or the
// product folder under the Windows directory.
std::optional<std::string> DeviceRemovalProgramPath(const RemovalContext& context) {
    ports::FileSystem& files = context.platform.files;
    std::string folder;
    if (context.form.deviceRemovalProgram == DeviceRemovalProgramSite::PackageFolder) {
        if (const std::uint32_t rc = files.getCurrentDirectory(folder); rc != 0) {
            context.log.WriteLog("GetCurrentDirectory failed. (%d)", rc);
            return std::nullopt;
        }
        folder = InFolder(folder, kDriver64Folder);
    } else {
        if (const std::uint32_t rc = files.getWindowsDirectory(folder); rc != 0) {
            context.log.WriteLog("GetWindowsDirectory failed. (%d)", rc);
            return std::nullopt;
        }
        folder = InFolder(folder, context.entry(removal_entry::ModelName));
    }
    return InFolder(folder, kDeviceRemovalProgramFile);
}

// Waits for the started program and logs whatever keeps its removal from
// being known to have succeeded.
void AwaitDeviceRemoval(const RemovalContext& context, ports::ProcessHandle process) {
    ports::Processes& processes = context.platform.processes;
    SetupLog& log = context.log;
    const std::uint32_t waited = processes.waitForProcess(process, kDeviceRemovalWaitMs);
    if (waited == ports::wait::Timeout) {
        log.WriteLog("The device removal program did not end within %u ms.", kDeviceRemovalWaitMs);
        return;
    }
    if (waited != ports::wait::Object0) {
        log.WriteLog("WaitForSingleObject failed. (%d)", context.platform.system.getLastError());
        return;
    }
    std::uint32_t exitCode = 0;
    if (const std::uint32_t rc = processes.getExitCodeProcess(process, exitCode); rc != 0) {
        log.WriteLog("GetExitCodeProcess failed. (%d)", rc);
        return;
    }
    if (const UsbNodeRemoval outcome = DeviceRemovalOutcome(exitCode); outcome.error != 0)
        log.WriteLog("The device removal program failed. (0x%08X)", outcome.error);
}

}  // namespace

void DeleteVidPid(const RemovalContext& context, Reporting reporting) {
    LogStepBegin(context, "DeleteVidPid");
    ReportStatus(context, StatusOf(context.form.deleteVidPid, reporting));

    BoundedText prefix(kRemovalBufferCapacity);
    prefix.assign("USB\\");
    prefix.append(context.entry(removal_entry::UsbHardwareId));
    if (context.wow64 != 0)
        RemoveDevicesInHelper(context, prefix.view());
    else
        RemoveUsbDevices(context, prefix.view());

    context.log.WriteLog("VID&PID : %s", prefix.view());
    LogStepEnd(context, "DeleteVidPid");
}

UsbNodeRemoval RemoveUsbDeviceNodes(ports::DeviceSetup& devices, std::string_view prefix) {
    BoundedText ownPrefix(kUsbPrefixCapacity);
    ownPrefix.assign(prefix);

    UsbNodeRemoval outcome;
    // The enumerator is the id's first part: "USB" for "USB\Vid_...".
    const std::string enumerator(ownPrefix.view().substr(0, ownPrefix.view().find('\\')));
    ports::DevInfoList list;
    if (const std::uint32_t rc = devices.getClassDevs(enumerator, ds::DigcfAllClasses, list); rc != 0)
        return {rc, 0};

    for (std::uint32_t index = 0;; ++index) {
        ports::DeviceInfo device;
        if (const std::uint32_t rc = devices.enumDeviceInfo(list, index, device); rc != 0) {
            // Another failure would come back on every later index as well.
            const std::uint32_t released = devices.destroyDeviceInfoList(list);
            outcome.error = rc == err::NoMoreItems ? released : rc;
            return outcome;
        }
        std::vector<std::uint8_t> hardwareIds;
        std::uint32_t required = 0;
        if (devices.getDeviceRegistryProperty(list, device, ds::SpdrpHardwareId, kHardwareIdBufferSize, hardwareIds,
                                              required) != 0)
            continue;
        if (!StartsWithNoCase(FirstHardwareId(hardwareIds), ownPrefix.view())) continue;
        if (const std::uint32_t rc = devices.removeDevice(list, device); rc != 0) {
            devices.destroyDeviceInfoList(list);
            outcome.error = rc;
            return outcome;
        }
        ++outcome.removed;
    }
}

int RemoveUsbDevices(const RemovalContext& context, std::string_view prefix) {
    return RemoveUsbDeviceNodes(context.devices, prefix).error == 0 ? 1 : 0;
}

void RemoveDevicesInHelper(const RemovalContext& context, std::string_view prefix) {
    const std::optional<std::string> program = DeviceRemovalProgramPath(context);
    if (!program) return;
    ports::Processes& processes = context.platform.processes;
    ports::ProcessStart start;
    start.application = *program;
    start.commandLine = DeviceRemovalCommandLine(*program, prefix);
    ports::ProcessHandle process;
    if (const std::uint32_t rc = processes.startProcess(start, process); rc != 0) {
        context.log.WriteLog("Failed to start the device removal program : %s, (%d)", *program, rc);
        return;
    }
    AwaitDeviceRemoval(context, process);
    processes.closeProcess(process);
}

// The uninstaller's copy of the program goes once the device keys, which
// may need it too, are done with.
void DeleteDeviceRemovalProgram(const RemovalContext& context) {
    if (context.wow64 == 0 || context.form.deviceRemovalProgram != DeviceRemovalProgramSite::ProductFolder) return;
    const std::optional<std::string> program = DeviceRemovalProgramPath(context);
    if (!program) return;
    if (const std::uint32_t rc = context.platform.files.deleteFile(*program); rc != 0)
        LogDeleteFileError(context.log, *program, rc);
}

void Delete_LPT_USB_Info(const RemovalContext& context, Reporting reporting) {
    LogStepBegin(context, "Delete_LPT_USB_Info");
    ReportStatus(context, StatusOf(context.form.deleteLptUsbInfo, reporting));
    DeleteDeviceKey(context, removal_entry::UsbDeviceKey);
    DeleteDeviceKey(context, removal_entry::ParallelDeviceKey);
    DeleteDeviceRemovalProgram(context);
    LogStepEnd(context, "Delete_LPT_USB_Info");
}

void DeleteINFFile(const RemovalContext& context) {
    LogStepBegin(context, "DeleteINFFile");
    ReportStatus(context, context.form.deleteInfFile);
    const bool logs = context.form.logsInfSearch;

    BoundedText section(kRemovalBufferCapacity);
    section.assign(context.entry(removal_entry::MakerName));
    if (context.wow64 != 0) section.append(kAmd64Decoration);
    const std::string key = context.entry(removal_entry::DriverName);
    if (logs) {
        context.log.WriteLog("SECTION NAME : %s", section.view());
        context.log.WriteLog("KEY NAME : %s", key);
    }

    std::vector<std::string> names;
    if (context.devices.getInfFileList("", ds::InfStyleWin4, names) != 0) names.clear();
    if (logs && names.empty()) context.log.WriteLog("The key name was not found.");

    std::optional<std::string> windows(std::in_place);
    if (context.platform.files.getWindowsDirectory(*windows) != 0) windows.reset();
    const bool throughSetup = context.wow64 != 0 || context.osCode >= oscode::FirstVistaOrLater;
    bool matched = false;
    for (const std::string& name : names) {
        if (!name.starts_with("oem")) continue;
        if (!InfListsDriver(context, name, section.view(), key)) continue;
        matched = true;
        if (throughSetup)
            UninstallThroughSetup(context, windows, name);
        else if (windows)
            DeleteFromStore(context, *windows, name);
    }
    if (logs && !names.empty() && !matched) context.log.WriteLog("The key name was not found.");

    LogStepEnd(context, "DeleteINFFile");
}

}  // namespace kvt::setup
