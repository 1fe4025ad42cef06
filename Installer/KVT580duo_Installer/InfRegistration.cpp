// The two records of an installed driver: its INF in the system's INF store
// (so plug-and-play finds it) and the uninstall entry that names the
// uninstaller.
#include <optional>
#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/KVT580duo_Installer/InstallStepTexts.h"
#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/ErrorReport.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"

namespace kvt::installer {
namespace {

constexpr std::string_view kAmd64Decoration = ".NTamd64";
// The store names its copies "oem<n>.inf"; other names are the system's own.
constexpr std::string_view kStoreCopyPrefix = "oem";
constexpr std::size_t kInfNameCapacity = 260;
constexpr std::size_t kValueCapacity = 256;

// Opening an old entry for its removal: the rights to read, enumerate and
// change it (KEY_READ with set-value and create-subkey), in the 64-bit view
// on 64-bit Windows.
constexpr std::uint32_t kOpenOldEntry = 0x2001F;
constexpr std::uint32_t kOpenOldEntry64 = kOpenOldEntry | reg::Wow64_64Key;
constexpr std::uint32_t kCreateEntry64 = reg::Write | reg::Wow64_64Key;

std::string Joined(std::string_view key, std::string_view name) {
    std::string path(key);
    path += '\\';
    path += name;
    return path;
}

// RegDeleteKeyEx deletes only keys without subkeys: the subkeys of `key`
// (opened as `opened`) go first, deepest first, in the 64-bit view.
void DeleteSubKeys64(ports::Registry& registry, ports::RegKey opened, std::string_view key) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t index = 0; registry.enumKey(opened, index, name) == err::Success; ++index)
        names.push_back(name);
    for (const std::string& child : names) {
        const std::string path = Joined(key, child);
        ports::RegKey sub;
        if (registry.openKey(ports::hkey::LocalMachine, path, kOpenOldEntry64, sub) == err::Success) {
            DeleteSubKeys64(registry, sub, path);
            registry.closeKey(sub);
        }
        setup::MyRegDeleteKeyEx(registry, ports::hkey::LocalMachine, path, reg::Wow64_64Key, 0);
    }
}

}  // namespace

int InstallEngine::INFFileExist(std::string_view sectionName, std::string_view /*unused*/) {
    log_.WriteLog("\r\n");
    log_.WriteLog("INFFileExist BEGIN");

    // The 64-bit models of the maker are in its decorated section.
    std::string section(sectionName);
    if (wow64_ != 0) section += kAmd64Decoration;
    log_.WriteLog("SECTION NAME : %s", section);
    const std::string& key = driverName_;
    log_.WriteLog("KEY NAME : %s", key);

    int found = 0;
    std::vector<std::string> names;
    ports::DeviceSetup& devices = platform_.devices;
    if (devices.getInfFileList("", ports::devsetup::InfStyleWin4, names) == err::Success) {
        for (const std::string& name : names) {
            if (!name.starts_with(kStoreCopyPrefix)) continue;
            ports::InfHandle inf;
            const std::uint32_t error =
                devices.openInfFile(name, ports::devsetup::InfStyleOldNt | ports::devsetup::InfStyleWin4, inf);
            if (error != err::Success) {
                log_.WriteLog("SetupOpenInfFile failed. %d", error);
                continue;
            }
            if (devices.findFirstLine(inf, section, key) == err::Success) {
                log_.WriteLog("OEM FILES EXISTING : %s", name);
                found = 1;
            }
            devices.closeInfFile(inf);
        }
    }

    log_.WriteLog("INFFileExist END");
    return found;
}

void InstallEngine::CopyINFFile() {
    log_.WriteLog("\r\n");
    log_.WriteLog("CopyINFFile BEGIN");

    // The INF lies in the package root, beside the installer.
    const std::string source = ".\\" + LoadEntry(setup::entry::InfFileName);
    log_.WriteLog("Inf File Name : %s", source);

    ports::DeviceSetup& devices = platform_.devices;
    std::string destination;
    const std::uint32_t error =
        devices.copyOEMInf(source, ports::devsetup::SpostPath, ports::devsetup::SpCopyNoOverwrite, destination);
    log_.WriteLog("Inf File Name : %s", source);
    if (error == err::FileExists || error == err::AlreadyExists) {
        // The store has this INF already: refresh that copy, keep its name.
        std::string replaced;
        devices.copyOEMInf(source, ports::devsetup::SpostPath, ports::devsetup::SpCopyReplaceOnly, replaced);
        if (!replaced.empty()) destination = replaced;
    } else if (error != err::Success) {
        log_.WriteLog("SetupCopyOEMInf failed : (%d)", error);
        // SetupAPI's codes (a refused signature, for one) read best in hex,
        // as Windows' own documents name them.
        std::string cause = setup::SystemErrorText(platform_.system, error);
        while (!cause.empty() && (cause.back() == '\n' || cause.back() == '\r')) cause.pop_back();
        log_.WriteLog("SetupCopyOEMInf error 0x%08X : %s", error, cause);
        ShowErrorReport(reporthead::SetupCopyOEMInf, error);
        destination.clear();
    }

    setup::BoundedText name(kInfNameCapacity);
    name.assign(destination);
    infName_ = name.str();
    log_.WriteLog("INF FILE NAME : %s", infName_);
    log_.WriteLog("CopyINFFile END");
}

void InstallEngine::RegisterUninstallInfo() {
    log_.WriteLog("\r\n");
    log_.WriteLog("RegisterUninstallInfo BEGIN");
    const std::string key = LoadEntry(setup::entry::UninstallKey);
    log_.WriteLog("REGKEY : %s", key);

    // The entry lives in the 64-bit view on 64-bit Windows, where the
    // system's list of installed software reads it, although the installer
    // is a 32-bit program.
    ports::Registry& registry = platform_.registry;
    ports::RegKey old;
    if (wow64_ != 0) {
        if (registry.openKey(ports::hkey::LocalMachine, key, kOpenOldEntry64, old) == err::Success) {
            DeleteSubKeys64(registry, old, key);
            const std::int32_t rc = setup::MyRegDeleteKeyEx(registry, ports::hkey::LocalMachine, key,
                                                            reg::Wow64_64Key, 0);
            if (rc != 0) log_.WriteLog("MyRegDeleteKeyEx failed : %s, (%d) ", key, rc);
            registry.closeKey(old);
        }
    } else if (registry.openKey(ports::hkey::LocalMachine, key, kOpenOldEntry, old) == err::Success) {
        const std::uint32_t rc = registry.shDeleteKey(ports::hkey::LocalMachine, key);
        if (rc != err::Success) log_.WriteLog("SHDeleteKey failed : %s , (%d) ", key, rc);
        registry.closeKey(old);
    }

    ports::RegKey entry;
    const std::uint32_t created =
        registry.createKey(ports::hkey::LocalMachine, key, wow64_ != 0 ? kCreateEntry64 : reg::Write, entry);
    if (created != err::Success) {
        if (wow64_ != 0) {
            log_.WriteLog("RegCreateKeyEx failed : %s, (%d) ", key, created);
        } else {
            log_.WriteLog("RegCreateKeyEx failed : %s , (%d) ", key, created);
        }
    } else {
        setup::BoundedText displayName(kValueCapacity);
        displayName.assign(driverName_);
        displayName.append(" Windows Driver V");
        displayName.append(LoadEntry(setup::entry::MajorVersion));
        displayName.append(".");
        displayName.append(LoadEntry(setup::entry::MinorVersion));
        displayName.append(".");
        displayName.append(LoadEntry(setup::entry::BuildVersion));

        // Windows starts this command with an administrator's rights. Without
        // the Windows directory it would name "\KVT-580duo\..." at the root
        // of the drive, where anybody may put a program of that name: the
        // entry then names no command.
        const std::optional<std::string> windows = WindowsDirectory();
        registry.setValue(entry, "DisplayName", setup::TextValue(displayName.view()));
        setup::BoundedText uninstallString(kValueCapacity);
        if (windows) {
            uninstallString.assign(*windows);
            uninstallString.append("\\");
            uninstallString.append(LoadEntry(setup::entry::ModelName));
            uninstallString.append("\\");
            uninstallString.append(LoadEntry(setup::entry::UninstallerProgramFile));
            registry.setValue(entry, "UninstallString", setup::TextValue(uninstallString.view()));
        }
        if (!infName_.empty()) registry.setValue(entry, "InfFile", setup::TextValue(infName_));
        WriteDeploymentValues(registry, entry, windows ? std::optional(uninstallString.str()) : std::nullopt);
        registry.closeKey(entry);
    }

    log_.WriteLog("RegisterUninstallInfo END");
}

}  // namespace kvt::installer
