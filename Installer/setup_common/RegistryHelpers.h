#pragma once
// Deleting registry keys that Windows protects (the device keys under
// SYSTEM\CurrentControlSet\Enum) or that a 32-bit program reaches only through
// the 64-bit view, and the textual key paths and permission options
// ("/PG:Administrators:Fc") that lead there. Results are Windows error codes.
#include <cstdint>
#include <string>
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/AccessControl.h"
#include "platform/ports/Platform.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Registry.h"

namespace kvt::setup {

// Capacity of the work buffers of a textual key path, terminator included.
inline constexpr std::size_t kKeyPathCapacity = 512;

// The option the removal passes before deleting a protected key: the built-in
// Administrators (the group the setup programs run as) get full control,
// inherited by the subkeys. Nobody else gains anything.
inline constexpr std::string_view kDeletionGrantOption = "/PG:Administrators:Fc";

// A REG_SZ value as every reader expects it: the text with its terminating
// zero, counted in the size.
ports::RegValue TextValue(std::string_view text);
// A REG_DWORD value, little-endian as Windows stores it.
ports::RegValue DwordValue(std::uint32_t number);

// RegDeleteKeyExA, looked up at every call: one key without subkeys in the
// view that `access` names. -1 when the system does not have the function.
std::int32_t MyRegDeleteKeyEx(ports::Registry& registry, ports::RegKey root, std::string_view subKey,
                              std::uint32_t access, std::uint32_t reserved);

// Grants full control of the key, then deletes it: with `wow64` set the one
// key in the 64-bit view, otherwise the key with its subtree in the
// program's own view. Failures are logged, never returned.
void DeleteRegKeyWithGrant(ports::Platform& platform, SetupLog& log, std::string_view keyPath,
                           std::string_view subKey, int wow64);

// A permission option "/P<mode>:<trustee>:<rights>" taken apart.
struct PermissionOption {
    ports::AccessMode mode = ports::AccessMode::NotUsed;
    std::string trustee;
    std::uint32_t rights = 0;
    std::uint32_t result = 0;  // 0, or 87 for a malformed option
};
PermissionOption ParsePermissionOption(std::string_view option);

// Applies the option to the key that `keyPath` names, merged into the key's
// access list with container inheritance.
std::uint32_t SetRegKeyPermission(ports::Registry& registry, std::string_view keyPath, std::string_view option);

// Opens "[\\COMPUTER\]HIVE[\SUBKEY]" with the rights to enumerate subkeys and
// to read and replace the key's access list. Without a subkey the hive's root
// (or the remote connection) itself is the result. The caller closes `key`.
std::uint32_t OpenRegKeyPath(ports::Registry& registry, std::string_view keyPath, ports::RegKey& key);

}  // namespace kvt::setup
