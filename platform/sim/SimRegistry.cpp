#include "platform/sim/SimRegistry.h"

#include <algorithm>
#include <memory>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/RegistryStore.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SystemFunctions.h"

namespace kvt::sim {
namespace {

using ports::AccessMode;
using ports::ExplicitAccess;
using ports::RegKey;

constexpr std::uint32_t kKeyDeleted = 1018;  // ERROR_KEY_DELETED: the handle's key is gone
constexpr std::uint32_t kBadPathname = 161;  // ERROR_BAD_PATHNAME
constexpr std::uint32_t kNoneMapped = 1332;  // ERROR_NONE_MAPPED: a trustee name without an account
constexpr std::uint32_t kViewFlags = reg::Wow64_64Key | reg::Wow64_32Key;
constexpr std::string_view kSoftwareKey = "HKLM\\SOFTWARE";
constexpr std::string_view kWow64Node = "WOW6432Node";

// The rights a key handle carries, with generic rights mapped as the registry
// maps them (KEY_EXECUTE is KEY_READ).
std::uint32_t HandleRights(std::uint32_t access) {
    std::uint32_t rights = access & 0x00FFFFFF & ~kViewFlags;
    if (access & (acl::GenericRead | acl::GenericExecute)) rights |= reg::Read;
    if (access & acl::GenericWrite) rights |= reg::Write;
    if (access & (acl::GenericAll | acl::MaximumAllowed)) rights |= reg::AllAccess;
    return rights;
}

void AppendSubKey(std::string& path, std::string_view subKey) {
    // Doubled and trailing separators name no key of their own; the
    // registry passes over them.
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = std::min(subKey.find('\\', start), subKey.size());
        if (end > start) {
            path += '\\';
            path += subKey.substr(start, end - start);
        }
        start = end + 1;
    }
}

// The WOW64 registry redirector: in the 32-bit view, keys below
// HKLM\SOFTWARE live under HKLM\SOFTWARE\WOW6432Node.
std::string RedirectTo32BitView(std::string_view path) {
    std::string prefix = std::string(kSoftwareKey) + '\\';
    if (!StartsWithNoCase(path, prefix)) return std::string(path);
    std::string_view rest = path.substr(prefix.size());
    if (EqualsNoCase(rest.substr(0, rest.find('\\')), kWow64Node)) return std::string(path);
    return std::string(path.substr(0, prefix.size())) + std::string(kWow64Node) + '\\' + std::string(rest);
}

std::string_view LastName(std::string_view path) { return path.substr(path.rfind('\\') + 1); }

std::string_view ParentPath(std::string_view path) {
    std::size_t separator = path.rfind('\\');
    return separator == std::string_view::npos ? std::string_view{} : path.substr(0, separator);
}

// Trustee names resolve to accounts: "BUILTIN\Administrators" and
// "Administrators" are one group.
std::string_view AccountName(std::string_view trustee) {
    for (std::string_view domain : {std::string_view("BUILTIN\\"), std::string_view("NT AUTHORITY\\")})
        if (StartsWithNoCase(trustee, domain)) return trustee.substr(domain.size());
    return trustee;
}

bool SameTrustee(std::string_view a, std::string_view b) { return EqualsNoCase(AccountName(a), AccountName(b)); }

bool IsAllowEntry(const ExplicitAccess& entry) {
    return entry.mode == AccessMode::Grant || entry.mode == AccessMode::Set;
}

// The setup programs run elevated, so an entry for Everyone or for the
// Administrators group applies to them.
bool AppliesToSetupProgram(const ExplicitAccess& entry) {
    return SameTrustee(entry.trustee, "Everyone") || SameTrustee(entry.trustee, "Administrators");
}

bool GrantsFullControl(const ExplicitAccess& entry) {
    return IsAllowEntry(entry) && AppliesToSetupProgram(entry) &&
           ((entry.rights & reg::AllAccess) == reg::AllAccess || (entry.rights & acl::GenericAll) != 0);
}

constexpr std::string_view kEnumKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum";
constexpr std::uint32_t kWriteOwner = 0x00080000;
// Rights that change a key or its security.
constexpr std::uint32_t kChangingRights =
    reg::SetValue | reg::CreateSubKey | reg::Delete | reg::WriteDac | kWriteOwner | acl::GenericWrite | acl::GenericAll;

// From Windows Vista on, the Plug and Play manager's keys below
// HKLM\SYSTEM\CurrentControlSet\Enum belong to SYSTEM, and their access
// list lets the Administrators group only read them: an administrator's
// program cannot change their security (no WRITE_DAC) nor delete them, and
// only SYSTEM (the device installer removing a device) takes them away. An
// allow entry for the program's groups with full control on the key itself
// stands for one that SYSTEM granted.
bool SystemOwnedDeviceKey(const World& world, const RegistryStore& store, std::string_view path) {
    if (world.os.major < 6) return false;
    if (!EqualsNoCase(path, kEnumKey) && !StartsWithNoCase(path, std::string(kEnumKey) + '\\')) return false;
    const RegistryKeyRecord* record = store.find(path);
    return record == nullptr || std::none_of(record->acl.begin(), record->acl.end(), GrantsFullControl);
}

// Whether the setup program may delete the key at `path`. Keys Windows
// protects need full control granted on the key itself or inherited from an
// ancestor, and no deny entry on the key.
bool MayDelete(const World& world, const RegistryStore& store, std::string_view path) {
    if (SystemOwnedDeviceKey(world, store, path)) return false;
    const RegistryKeyRecord* record = store.find(path);
    if (record == nullptr || !record->isProtected) return true;
    const auto& own = record->acl;
    if (std::any_of(own.begin(), own.end(),
                    [](const ExplicitAccess& e) { return e.mode == AccessMode::Deny && AppliesToSetupProgram(e); }))
        return false;
    if (std::any_of(own.begin(), own.end(), GrantsFullControl)) return true;
    for (std::string_view ancestor = ParentPath(path); !ancestor.empty(); ancestor = ParentPath(ancestor)) {
        const RegistryKeyRecord* above = store.find(ancestor);
        if (above == nullptr) continue;
        if (std::any_of(above->acl.begin(), above->acl.end(), [](const ExplicitAccess& e) {
                return GrantsFullControl(e) && (e.inheritance & acl::ContainerInherit) != 0;
            }))
            return true;
    }
    return false;
}

// SHDeleteKey's order: each child's subtree, then the key itself; the first
// refusal ends the walk and leaves what was deleted before it deleted.
std::uint32_t DeleteTree(const World& world, RegistryStore& store, const std::string& path) {
    for (const std::string& child : store.children(path))
        if (std::uint32_t result = DeleteTree(world, store, child); result != err::Success) return result;
    if (!MayDelete(world, store, path)) return err::AccessDenied;
    store.erase(path);
    return err::Success;
}

}  // namespace

std::vector<ExplicitAccess> MergeAccessEntry(std::vector<ExplicitAccess> list, const ExplicitAccess& entry) {
    auto ofTrustee = [&entry](const ExplicitAccess& e) { return SameTrustee(e.trustee, entry.trustee); };
    ExplicitAccess allow{entry.trustee, entry.rights, AccessMode::Grant, entry.inheritance};
    switch (entry.mode) {
    case AccessMode::Grant: {
        auto existing = std::find_if(list.begin(), list.end(), [&](const ExplicitAccess& e) {
            return IsAllowEntry(e) && ofTrustee(e) && e.inheritance == entry.inheritance;
        });
        if (existing != list.end())
            existing->rights |= entry.rights;
        else
            list.push_back(allow);
        break;
    }
    case AccessMode::Set:
        std::erase_if(list, [&](const ExplicitAccess& e) { return IsAllowEntry(e) && ofTrustee(e); });
        list.push_back(allow);
        break;
    case AccessMode::Deny:
        // Deny entries go first, where Windows evaluates them before any grant.
        list.insert(list.begin(), ExplicitAccess{entry.trustee, entry.rights, AccessMode::Deny, entry.inheritance});
        break;
    case AccessMode::Revoke:
        std::erase_if(list, ofTrustee);
        break;
    case AccessMode::NotUsed:
        break;
    }
    return list;
}

std::uint32_t SimRegistry::resolve(RegKey root, std::string_view subKey, std::uint32_t access, KeyName& name) const {
    // RegCreateKeyEx refuses a subkey that begins with a backslash with
    // ERROR_BAD_PATHNAME; opening is held to the same rule.
    if (subKey.starts_with('\\')) return kBadPathname;
    if (IsPredefinedKey(root)) {
        name = KeyName{std::string(HiveName(root)), sim_.underWow64()};
    } else {
        auto it = handles_.find(root.value);
        if (it == handles_.end()) return err::InvalidHandle;
        name = it->second.name;
        // A handle outlives its key, but nothing can be made or found below
        // a deleted key (ERROR_KEY_DELETED).
        if (!sim_.world().registry.exists(storePath(name))) return kKeyDeleted;
    }
    if (sim_.world().os.is64Bit) {
        if ((access & kViewFlags) == kViewFlags) return err::InvalidParameter;
        if (access & reg::Wow64_64Key) name.view32 = false;
        if (access & reg::Wow64_32Key) name.view32 = true;
    } else {
        name.view32 = false;  // 32-bit Windows has one view and ignores the flags
    }
    AppendSubKey(name.path, subKey);
    return err::Success;
}

std::uint32_t SimRegistry::lookupHandle(RegKey key, KeyName& name, std::uint32_t& rights) const {
    if (IsPredefinedKey(key)) {
        name = KeyName{std::string(HiveName(key)), sim_.underWow64()};
        rights = reg::AllAccess;
        return err::Success;
    }
    auto it = handles_.find(key.value);
    if (it == handles_.end()) return err::InvalidHandle;
    name = it->second.name;
    rights = HandleRights(it->second.access);
    return sim_.world().registry.exists(storePath(name)) ? err::Success : kKeyDeleted;
}

std::string SimRegistry::storePath(const KeyName& name) const {
    return name.view32 ? RedirectTo32BitView(name.path) : name.path;
}

RegKey SimRegistry::addHandle(KeyName name, std::uint32_t access) {
    RegKey key{nextHandle_};
    nextHandle_ += 4;  // handles are multiples of four, as the kernel's are
    handles_.emplace(key.value, OpenKey{std::move(name), access});
    return key;
}

std::uint32_t SimRegistry::openKey(RegKey root, std::string_view subKey, std::uint32_t access, RegKey& key) {
    if (auto fault = sim_.faults().check("Registry.openKey")) return *fault;
    key = RegKey{};
    KeyName name;
    if (std::uint32_t result = resolve(root, subKey, access, name); result != err::Success) return result;
    const std::string path = storePath(name);
    if (!sim_.world().registry.exists(path)) return err::FileNotFound;
    if ((HandleRights(access) & kChangingRights) != 0 && SystemOwnedDeviceKey(sim_.world(), sim_.world().registry, path))
        return err::AccessDenied;
    key = addHandle(std::move(name), access);
    return err::Success;
}

std::uint32_t SimRegistry::createKey(RegKey root, std::string_view subKey, std::uint32_t access, RegKey& key) {
    if (auto fault = sim_.faults().check("Registry.createKey")) return *fault;
    key = RegKey{};
    KeyName name;
    if (std::uint32_t result = resolve(root, subKey, access, name); result != err::Success) return result;
    std::string path = storePath(name);
    RegistryStore& store = sim_.world().registry;
    // Creating a key below one of them needs the parent's KEY_CREATE_SUB_KEY.
    if (SystemOwnedDeviceKey(sim_.world(), store, path) &&
        (!store.exists(path) || (HandleRights(access) & kChangingRights) != 0))
        return err::AccessDenied;
    if (!store.exists(path)) store.ensure(path);
    key = addHandle(std::move(name), access);
    return err::Success;
}

std::uint32_t SimRegistry::closeKey(RegKey key) {
    if (auto fault = sim_.faults().check("Registry.closeKey")) return *fault;
    if (IsPredefinedKey(key)) return err::Success;
    return handles_.erase(key.value) == 1 ? err::Success : err::InvalidHandle;
}

std::uint32_t SimRegistry::setValue(RegKey key, std::string_view name, const ports::RegValue& value) {
    if (auto fault = sim_.faults().check("Registry.setValue")) return *fault;
    KeyName keyName;
    std::uint32_t rights = 0;
    if (std::uint32_t result = lookupHandle(key, keyName, rights); result != err::Success) return result;
    if (!(rights & reg::SetValue)) return err::AccessDenied;
    std::string path = storePath(keyName);
    // HKLM and HKU are views over the loaded hives, not keys that hold values.
    if (EqualsNoCase(path, "HKLM") || EqualsNoCase(path, "HKU")) return err::AccessDenied;
    auto& values = sim_.world().registry.ensure(path).values;
    auto existing =
        std::find_if(values.begin(), values.end(), [name](const auto& v) { return EqualsNoCase(v.first, name); });
    if (existing != values.end())
        existing->second = value;
    else
        values.emplace_back(std::string(name), value);
    return err::Success;
}

std::uint32_t SimRegistry::queryValue(RegKey key, std::string_view name, ports::RegValue& value) {
    if (auto fault = sim_.faults().check("Registry.queryValue")) return *fault;
    KeyName keyName;
    std::uint32_t rights = 0;
    if (std::uint32_t result = lookupHandle(key, keyName, rights); result != err::Success) return result;
    if (!(rights & reg::QueryValue)) return err::AccessDenied;
    const RegistryKeyRecord* record = sim_.world().registry.find(storePath(keyName));
    if (record == nullptr) return err::FileNotFound;
    auto found = std::find_if(record->values.begin(), record->values.end(),
                              [name](const auto& v) { return EqualsNoCase(v.first, name); });
    if (found == record->values.end()) return err::FileNotFound;
    value = found->second;
    return err::Success;
}

std::uint32_t SimRegistry::enumKey(RegKey key, std::uint32_t index, std::string& name) {
    if (auto fault = sim_.faults().check("Registry.enumKey")) return *fault;
    KeyName keyName;
    std::uint32_t rights = 0;
    if (std::uint32_t result = lookupHandle(key, keyName, rights); result != err::Success) return result;
    if (!(rights & reg::EnumerateSubKeys)) return err::AccessDenied;
    std::string path = storePath(keyName);
    // HKLM\SOFTWARE itself is shared, but a 32-bit program listing it sees
    // the 32-bit keys.
    if (keyName.view32 && EqualsNoCase(path, kSoftwareKey))
        path = std::string(kSoftwareKey) + '\\' + std::string(kWow64Node);
    std::vector<std::string> children = sim_.world().registry.children(path);
    if (index >= children.size()) return err::NoMoreItems;
    name = std::string(LastName(children[index]));
    return err::Success;
}

std::uint32_t SimRegistry::connectRegistry(std::string_view machine, RegKey hive, RegKey& key) {
    if (auto fault = sim_.faults().check("Registry.connectRegistry")) return *fault;
    if (machine.empty()) {
        // No computer name means this computer: the predefined key itself.
        if (!IsPredefinedKey(hive)) return err::InvalidHandle;
        key = hive;
        return err::Success;
    }
    // The simulated computer stands alone on its network.
    if (hive == ports::hkey::LocalMachine || hive == ports::hkey::Users) return err::BadNetPath;
    return err::InvalidParameter;
}

std::uint32_t SimRegistry::shDeleteKey(RegKey root, std::string_view subKey) {
    if (auto fault = sim_.faults().check("Registry.shDeleteKey")) return *fault;
    KeyName name;
    if (std::uint32_t result = resolve(root, subKey, 0, name); result != err::Success) return result;
    std::string path = storePath(name);
    RegistryStore& store = sim_.world().registry;
    if (IsHiveRoot(path)) return err::AccessDenied;
    if (!store.exists(path)) return err::FileNotFound;
    return DeleteTree(sim_.world(), store, path);
}

bool SimRegistry::hasDeleteKeyEx() {
    if (sim_.faults().check("Registry.hasDeleteKeyEx")) return false;
    return SystemHasFunction(sim_.world(), "RegDeleteKeyExA");
}

std::uint32_t SimRegistry::deleteKeyEx(RegKey root, std::string_view subKey, std::uint32_t access,
                                       std::uint32_t /*reserved*/) {
    if (auto fault = sim_.faults().check("Registry.deleteKeyEx")) return *fault;
    if (!SystemHasFunction(sim_.world(), "RegDeleteKeyExA")) return err::ProcNotFound;
    KeyName name;
    if (std::uint32_t result = resolve(root, subKey, access, name); result != err::Success) return result;
    std::string path = storePath(name);
    RegistryStore& store = sim_.world().registry;
    if (IsHiveRoot(path)) return err::AccessDenied;
    if (!store.exists(path)) return err::FileNotFound;
    if (store.hasChildren(path) || !MayDelete(sim_.world(), store, path)) return err::AccessDenied;
    store.erase(path);
    return err::Success;
}

std::uint32_t SimRegistry::getKeySecurity(RegKey key, ports::AccessListPtr& dacl) {
    if (auto fault = sim_.faults().check("Registry.getKeySecurity")) return *fault;
    KeyName name;
    std::uint32_t rights = 0;
    if (std::uint32_t result = lookupHandle(key, name, rights); result != err::Success) return result;
    if (!(rights & reg::ReadControl)) return err::AccessDenied;
    const RegistryKeyRecord* record = sim_.world().registry.find(storePath(name));
    dacl = std::make_unique<RegistryAccessList>(record ? record->acl : std::vector<ExplicitAccess>{});
    return err::Success;
}

std::uint32_t SimRegistry::setEntriesInAcl(const ExplicitAccess& entry, const ports::AccessList* old,
                                           ports::AccessListPtr& merged) {
    if (auto fault = sim_.faults().check("Registry.setEntriesInAcl")) return *fault;
    const auto* oldList = dynamic_cast<const RegistryAccessList*>(old);
    if (old != nullptr && oldList == nullptr) return err::InvalidParameter;
    if (static_cast<std::uint32_t>(entry.mode) > static_cast<std::uint32_t>(AccessMode::Revoke))
        return err::InvalidParameter;
    if (entry.mode != AccessMode::NotUsed && entry.trustee.empty()) return kNoneMapped;
    merged = std::make_unique<RegistryAccessList>(
        MergeAccessEntry(oldList ? oldList->entries : std::vector<ExplicitAccess>{}, entry));
    return err::Success;
}

std::uint32_t SimRegistry::setKeySecurity(RegKey key, const ports::AccessList& dacl) {
    if (auto fault = sim_.faults().check("Registry.setKeySecurity")) return *fault;
    KeyName name;
    std::uint32_t rights = 0;
    if (std::uint32_t result = lookupHandle(key, name, rights); result != err::Success) return result;
    if (!(rights & reg::WriteDac)) return err::AccessDenied;
    const auto* list = dynamic_cast<const RegistryAccessList*>(&dacl);
    if (list == nullptr) return err::InvalidParameter;
    std::string path = storePath(name);
    // The hive roots' security belongs to the system.
    if (IsHiveRoot(path)) return err::AccessDenied;
    sim_.world().registry.ensure(path).acl = list->entries;
    return err::Success;
}

}  // namespace kvt::sim
