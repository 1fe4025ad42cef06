// Keys and values in the 64-bit view, enumeration, the one-key and the tree
// deletion, key access lists, connection: through the adapter directly and
// through the registry helpers of the support library.
#include <string>
#include <vector>

#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/ports/WinCodes.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

constexpr const char* kVendorKey = "SOFTWARE\\NORVEX";
constexpr const char* kProbeKey = "SOFTWARE\\NORVEX\\AdapterProbe";
constexpr std::uint32_t kView64 = reg::Wow64_64Key;

ports::RegValue Text(std::string_view text) {
    ports::RegValue value{reg::TypeSz, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

bool KeyExists(ports::Registry& registry, const std::string& subKey) {
    ports::RegKey key;
    if (registry.openKey(ports::hkey::LocalMachine, subKey, reg::Read | kView64, key) != err::Success) return false;
    registry.closeKey(key);
    return true;
}

// Values, including one larger than the adapter's first buffer.
void CheckValues(ports::Registry& registry, ports::RegKey key, ProbeReport& report) {
    report.code(registry.setValue(key, "Probe", Text("KVT-580duo")), err::Success, "RegSetValueExA REG_SZ");
    ports::RegValue read;
    report.code(registry.queryValue(key, "Probe", read), err::Success, "RegQueryValueExA REG_SZ");
    report.check(read == Text("KVT-580duo"), "the REG_SZ value reads back");

    ports::RegValue large{reg::TypeBinary, {}};
    for (int i = 0; i < 3000; ++i) large.data.push_back(static_cast<std::uint8_t>(i * 7));
    registry.setValue(key, "Large", large);
    ports::RegValue readLarge;
    report.code(registry.queryValue(key, "Large", readLarge), err::Success, "RegQueryValueExA grows on 234");
    report.check(readLarge == large, "the 3000-byte value reads back whole");

    ports::RegValue missing;
    report.code(registry.queryValue(key, "Missing", missing), err::FileNotFound, "RegQueryValueExA of a missing value");
}

void CheckEnumeration(ports::Registry& registry, ports::RegKey key, ProbeReport& report) {
    ports::RegKey child;
    report.code(registry.createKey(key, "Child", reg::AllAccess | kView64, child), err::Success,
                "RegCreateKeyExA below an opened key");
    registry.closeKey(child);
    std::string name;
    report.code(registry.enumKey(key, 0, name), err::Success, "RegEnumKeyExA index 0");
    report.check(name == "Child", "RegEnumKeyExA names the subkey", name);
    report.code(registry.enumKey(key, 1, name), err::NoMoreItems, "RegEnumKeyExA ends with 259");
}

// MyRegDeleteKeyEx deletes one key without subkeys in the 64-bit view.
void CheckOneKeyDeletion(ports::Registry& registry, ProbeReport& report) {
    const std::string child = std::string(kProbeKey) + "\\Child";
    report.check(registry.hasDeleteKeyEx(), "RegDeleteKeyExA is found in Advapi32");
    report.check(setup::MyRegDeleteKeyEx(registry, ports::hkey::LocalMachine, kProbeKey, 0x100, 0) != 0,
                 "MyRegDeleteKeyEx refuses a key with subkeys");
    report.check(setup::MyRegDeleteKeyEx(registry, ports::hkey::LocalMachine, child, 0x100, 0) == 0,
                 "MyRegDeleteKeyEx deletes the subkey");
    report.check(setup::MyRegDeleteKeyEx(registry, ports::hkey::LocalMachine, kProbeKey, 0x100, 0) == 0,
                 "MyRegDeleteKeyEx(HKLM, AdapterProbe, 0x100, 0)");
    ports::RegKey gone;
    report.code(registry.openKey(ports::hkey::LocalMachine, kProbeKey, reg::Read | kView64, gone), err::FileNotFound,
                "the deleted key is gone");
}

struct ForeignList final : ports::AccessList {};

// SetRegKeyPermission goes through GetSecurityInfo, SetEntriesInAclA and
// SetSecurityInfo; twice in a row must work as well as once.
void CheckAccessLists(win32::Win32Platform& windows, ProbeReport& report) {
    auto& registry = windows.registry();
    const std::string path = std::string("HKLM\\") + kProbeKey;
    report.code(setup::SetRegKeyPermission(registry, path, "/PG:Administrators:Fc"), err::Success,
                "SetRegKeyPermission /PG:Administrators:Fc");
    report.code(setup::SetRegKeyPermission(registry, path, "/PG:Everyone:Rd"), err::Success,
                "SetRegKeyPermission again, another trustee");
    const std::uint32_t unknown = setup::SetRegKeyPermission(registry, path, "/PG:NoSuchProbeAccount:Fc");
    report.check(IsUnmappedTrustee(unknown), "SetEntriesInAclA refuses an unknown trustee", std::to_string(unknown));

    ports::AccessListPtr merged;
    ForeignList foreign;
    report.code(registry.setEntriesInAcl({"Everyone", reg::Read, ports::AccessMode::Grant, 2}, &foreign, merged),
                err::InvalidParameter, "an access list from elsewhere is refused");
}

// DeleteRegKeyWithGrant: the tree with the flag clear, one key with it set.
void CheckGrantedDeletion(win32::Win32Platform& windows, setup::SetupLog& log, ProbeReport& report) {
    auto& registry = windows.registry();
    ports::Platform platform = windows.platform();
    const std::string tree = std::string(kProbeKey) + "\\GrantTree";
    const std::string leaf = std::string(kProbeKey) + "\\GrantLeaf";
    for (const std::string& subKey : {tree + "\\Inner\\Deeper", leaf}) {
        ports::RegKey key;
        registry.createKey(ports::hkey::LocalMachine, subKey, reg::AllAccess | kView64, key);
        registry.closeKey(key);
    }
    setup::DeleteRegKeyWithGrant(platform, log, "HKLM\\" + tree, tree, 0);
    report.check(!KeyExists(registry, tree), "DeleteRegKeyWithGrant without WOW64 removes the tree");
    setup::DeleteRegKeyWithGrant(platform, log, "HKLM\\" + leaf, leaf, 1);
    report.check(!KeyExists(registry, leaf), "DeleteRegKeyWithGrant with WOW64 removes the key");
}

void CheckConnection(ports::Registry& registry, ProbeReport& report) {
    ports::RegKey local;
    if (report.code(registry.connectRegistry("", ports::hkey::LocalMachine, local), err::Success,
                    "RegConnectRegistryA to the own computer")) {
        ports::RegKey software;
        report.code(registry.openKey(local, "SOFTWARE", reg::Read, software), err::Success,
                    "a key opens below the connection");
        registry.closeKey(software);
        report.code(registry.closeKey(local), err::Success, "the connection closes");
    }
    ports::RegKey remote;
    const std::uint32_t unreachable = registry.connectRegistry("\\\\KVT-NO-SUCH-PC", ports::hkey::LocalMachine, remote);
    report.check(unreachable != err::Success, "RegConnectRegistryA to an unknown computer fails",
                 std::to_string(unreachable));
}

}  // namespace

void CheckRegistry(win32::Win32Platform& windows, setup::SetupLog& log, ProbeReport& report) {
    auto& registry = windows.registry();
    const bool vendorKeyExisted = KeyExists(registry, kVendorKey);

    ports::RegKey key;
    if (!report.code(registry.createKey(ports::hkey::LocalMachine, kProbeKey, reg::AllAccess | kView64, key),
                     err::Success, "RegCreateKeyExA HKLM\\SOFTWARE\\NORVEX\\AdapterProbe (64-bit view)")) {
        return;
    }
    CheckValues(registry, key, report);
    CheckEnumeration(registry, key, report);
    report.code(registry.closeKey(key), err::Success, "RegCloseKey");
    report.code(registry.closeKey(key), err::InvalidHandle, "a closed key is refused");
    CheckOneKeyDeletion(registry, report);

    registry.createKey(ports::hkey::LocalMachine, kProbeKey, reg::AllAccess | kView64, key);
    registry.closeKey(key);
    CheckAccessLists(windows, report);
    CheckGrantedDeletion(windows, log, report);
    CheckConnection(registry, report);

    report.code(registry.shDeleteKey(ports::hkey::LocalMachine, kProbeKey), err::Success, "SHDeleteKeyA");
    if (!vendorKeyExisted) registry.deleteKeyEx(ports::hkey::LocalMachine, kVendorKey, kView64, 0);
    report.check(registry.openKeyCount() == 0, "every key opened through the port is closed",
                 std::to_string(registry.openKeyCount()));
}

}  // namespace kvt::probe
