#pragma once
// The registry as the setup programs use it: keys in an explicit view,
// typed values, deletion of one key or a whole tree, key access lists and
// remote connection. Every method returns a Windows error code (0 = success)
// and, like the registry API itself, leaves the thread's last error alone.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/AccessControl.h"

namespace kvt::ports {

// An open key. Roots carry the values of the predefined HKEY constants.
struct RegKey {
    std::uint64_t value = 0;
    friend bool operator==(RegKey, RegKey) = default;
};

namespace hkey {
inline constexpr RegKey ClassesRoot{0x80000000};
inline constexpr RegKey CurrentUser{0x80000001};
inline constexpr RegKey LocalMachine{0x80000002};
inline constexpr RegKey Users{0x80000003};
}  // namespace hkey

inline bool IsPredefinedKey(RegKey key) { return key.value >= 0x80000000 && key.value <= 0x80000003; }

struct RegValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA / RegCreateKeyExA (non-volatile, no class). `access` may
    // carry KEY_WOW64_64KEY or KEY_WOW64_32KEY to choose the view.
    virtual std::uint32_t openKey(RegKey root, std::string_view subKey, std::uint32_t access, RegKey& key) = 0;
    virtual std::uint32_t createKey(RegKey root, std::string_view subKey, std::uint32_t access, RegKey& key) = 0;
    virtual std::uint32_t closeKey(RegKey key) = 0;

    virtual std::uint32_t setValue(RegKey key, std::string_view name, const RegValue& value) = 0;
    virtual std::uint32_t queryValue(RegKey key, std::string_view name, RegValue& value) = 0;
    // RegEnumKeyExA: 259 (no more items) after the last subkey.
    virtual std::uint32_t enumKey(RegKey key, std::uint32_t index, std::string& name) = 0;

    // RegConnectRegistryA with a computer name such as "\\SHOP-PC".
    virtual std::uint32_t connectRegistry(std::string_view machine, RegKey hive, RegKey& key) = 0;

    // SHDeleteKeyA: the key with its whole subtree, in the caller's own view.
    virtual std::uint32_t shDeleteKey(RegKey root, std::string_view subKey) = 0;
    // RegDeleteKeyExA is looked up in "Advapi32" at run time; systems before
    // XP x64 and Vista do not have it.
    virtual bool hasDeleteKeyEx() = 0;
    virtual std::uint32_t deleteKeyEx(RegKey root, std::string_view subKey, std::uint32_t access,
                                      std::uint32_t reserved) = 0;

    // GetSecurityInfo / SetEntriesInAclA / SetSecurityInfo on a key's DACL.
    virtual std::uint32_t getKeySecurity(RegKey key, AccessListPtr& dacl) = 0;
    virtual std::uint32_t setEntriesInAcl(const ExplicitAccess& entry, const AccessList* old,
                                          AccessListPtr& merged) = 0;
    virtual std::uint32_t setKeySecurity(RegKey key, const AccessList& dacl) = 0;
};

}  // namespace kvt::ports
