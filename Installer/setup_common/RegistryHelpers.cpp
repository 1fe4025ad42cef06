#include "Installer/setup_common/RegistryHelpers.h"

#include <array>
#include <new>
#include <optional>

#include "Installer/setup_common/AsciiCase.h"
#include "Installer/setup_common/BoundedText.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

struct HiveName {
    std::string_view name;
    ports::RegKey root;
};

constexpr std::array<HiveName, 8> kHives{{
    {"HKLM", ports::hkey::LocalMachine},
    {"HKEY_LOCAL_MACHINE", ports::hkey::LocalMachine},
    {"HKU", ports::hkey::Users},
    {"HKEY_USERS", ports::hkey::Users},
    {"HKCR", ports::hkey::ClassesRoot},
    {"HKEY_CLASSES_ROOT", ports::hkey::ClassesRoot},
    {"HKCU", ports::hkey::CurrentUser},
    {"HKEY_CURRENT_USER", ports::hkey::CurrentUser},
}};

std::optional<ports::RegKey> HiveByName(std::string_view name) {
    for (const HiveName& hive : kHives)
        if (EqualsNoCase(hive.name, name)) return hive.root;
    return std::nullopt;
}

std::optional<ports::AccessMode> ModeByLetter(char letter) {
    switch (Upper(letter)) {
        case 'G': return ports::AccessMode::Grant;
        case 'S': return ports::AccessMode::Set;
        case 'D': return ports::AccessMode::Deny;
        case 'R': return ports::AccessMode::Revoke;
        default: return std::nullopt;
    }
}

// Two-letter codes, either case; an odd length yields no rights at all and a
// pair that is no code adds nothing.
std::uint32_t ParseRights(std::string_view text) {
    if (text.size() % 2 != 0) return 0;
    std::uint32_t rights = 0;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string_view pair = text.substr(i, 2);
        if (EqualsNoCase(pair, "Fc")) rights |= reg::AllAccess;
        else if (EqualsNoCase(pair, "Rd")) rights |= reg::Read;
        else if (EqualsNoCase(pair, "Wr")) rights |= reg::WriteRights;
    }
    return rights;
}

// Splits off the text before the first `separator`; `rest` keeps what follows
// it, or becomes nothing when there is no separator.
std::string_view TakeField(std::string_view& rest, bool& hadSeparator, char separator) {
    const std::size_t at = rest.find(separator);
    hadSeparator = at != std::string_view::npos;
    const std::string_view field = rest.substr(0, at);
    rest = hadSeparator ? rest.substr(at + 1) : std::string_view();
    return field;
}

std::uint32_t MergeIntoKeyAcl(ports::Registry& registry, ports::RegKey key, const ports::ExplicitAccess& entry) {
    ports::AccessListPtr current;
    if (const std::uint32_t rc = registry.getKeySecurity(key, current); rc != 0) return rc;
    ports::AccessListPtr merged;
    if (const std::uint32_t rc = registry.setEntriesInAcl(entry, current.get(), merged); rc != 0) return rc;
    if (!merged) return err::InvalidParameter;
    return registry.setKeySecurity(key, *merged);
}

std::uint32_t OpenParsedKeyPath(ports::Registry& registry, std::string_view keyPath, ports::RegKey& key) {
    BoundedText work(kKeyPathCapacity);
    BoundedText computer(kKeyPathCapacity);
    BoundedText subKey(kKeyPathCapacity);
    work.assign(keyPath);

    std::string_view rest = work.view();
    bool more = false;
    if (rest.starts_with("\\\\")) {
        rest.remove_prefix(2);
        computer.assign("\\\\");
        computer.append(TakeField(rest, more, '\\'));
    }
    const std::optional<ports::RegKey> hive = HiveByName(TakeField(rest, more, '\\'));
    if (!hive) return err::InvalidParameter;
    if (!computer.empty() && (*hive == ports::hkey::CurrentUser || *hive == ports::hkey::ClassesRoot))
        return err::InvalidParameter;
    subKey.assign(rest);

    ports::RegKey root = *hive;
    if (!computer.empty()) {
        if (const std::uint32_t rc = registry.connectRegistry(computer.view(), *hive, root); rc != 0) return rc;
    }
    if (subKey.empty()) {
        key = root;
        return 0;
    }
    const std::uint32_t rc =
        registry.openKey(root, subKey.view(), reg::EnumerateSubKeys | reg::ReadControl | reg::WriteDac, key);
    registry.closeKey(root);
    return rc;
}

}  // namespace

std::int32_t MyRegDeleteKeyEx(ports::Registry& registry, ports::RegKey root, std::string_view subKey,
                              std::uint32_t access, std::uint32_t reserved) {
    if (!registry.hasDeleteKeyEx()) return -1;
    return static_cast<std::int32_t>(registry.deleteKeyEx(root, subKey, access, reserved));
}

void DeleteRegKeyWithGrant(ports::Platform& platform, SetupLog& log, std::string_view keyPath,
                           std::string_view subKey, int wow64) {
    SetRegKeyPermission(platform.registry, keyPath, kDeletionGrantOption);  // a refusal shows in the deletion

    log.WriteLog("REGKEY_1 : %s", keyPath);
    log.WriteLog("REGKEY_2 : %s", subKey);

    if (wow64 != 0) {
        const std::int32_t rc =
            MyRegDeleteKeyEx(platform.registry, ports::hkey::LocalMachine, subKey, reg::Wow64_64Key, 0);
        const std::uint32_t lastError = platform.system.getLastError();
        if (rc != 0) log.WriteLog("MyRegDeleteKeyEx failed : %s (%d) ", subKey, lastError);
    } else {
        const std::uint32_t rc = platform.registry.shDeleteKey(ports::hkey::LocalMachine, subKey);
        const std::uint32_t lastError = platform.system.getLastError();
        if (rc != 0) log.WriteLog("SHDeleteKey failed : %s (%d) ", subKey, lastError);
    }
}

PermissionOption ParsePermissionOption(std::string_view option) {
    PermissionOption parsed;
    std::string_view rest = option;
    bool more = false;

    const std::string_view sw = TakeField(rest, more, ':');
    if (sw.size() >= 2 && Upper(sw[1]) == 'P') {
        const std::optional<ports::AccessMode> mode = sw.size() >= 3 ? ModeByLetter(sw[2]) : std::nullopt;
        if (!mode) {
            parsed.result = err::InvalidParameter;
            return parsed;
        }
        parsed.mode = *mode;
    }

    const bool hasTrusteeField = more;
    const std::string_view trustee = TakeField(rest, more, ':');
    if (!hasTrusteeField || trustee.empty()) {
        parsed.result = err::InvalidParameter;
        return parsed;
    }
    parsed.trustee = std::string(trustee);

    const bool readsRights = parsed.mode == ports::AccessMode::Grant || parsed.mode == ports::AccessMode::Set ||
                             parsed.mode == ports::AccessMode::Deny;
    if (readsRights) {
        if (!more) {
            parsed.result = err::InvalidParameter;
            return parsed;
        }
        parsed.rights = ParseRights(rest);
    }
    return parsed;
}

std::uint32_t SetRegKeyPermission(ports::Registry& registry, std::string_view keyPath, std::string_view option) {
    const PermissionOption parsed = ParsePermissionOption(option);
    if (parsed.result != 0) return parsed.result;

    ports::RegKey key;
    if (const std::uint32_t rc = OpenRegKeyPath(registry, keyPath, key); rc != 0) return rc;

    const ports::ExplicitAccess entry{parsed.trustee, parsed.rights, parsed.mode, acl::ContainerInherit};
    const std::uint32_t rc = MergeIntoKeyAcl(registry, key, entry);
    registry.closeKey(key);
    return rc;
}

std::uint32_t OpenRegKeyPath(ports::Registry& registry, std::string_view keyPath, ports::RegKey& key) {
    try {
        return OpenParsedKeyPath(registry, keyPath, key);
    } catch (const std::bad_alloc&) {
        return err::NotEnoughMemory;  // the work buffers could not be had
    }
}

ports::RegValue TextValue(std::string_view text) {
    ports::RegValue value;
    value.type = reg::TypeSz;
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    return value;
}

ports::RegValue DwordValue(std::uint32_t number) {
    ports::RegValue value;
    value.type = reg::TypeDword;
    for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<std::uint8_t>(number >> shift));
    return value;
}

}  // namespace kvt::setup
