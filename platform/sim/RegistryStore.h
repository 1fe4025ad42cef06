#pragma once
// The simulated registry's content: keys by their canonical path, written as
// in a system image ("HKLM\SOFTWARE\...", the 64-bit view on 64-bit systems).
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/ports/AccessControl.h"
#include "platform/ports/Registry.h"
#include "platform/sim/CaseInsensitive.h"

namespace kvt::sim {

struct RegistryKeyRecord {
    std::string path;  // canonical, original case
    bool isProtected = false;
    std::vector<std::pair<std::string, ports::RegValue>> values;  // in creation order
    std::vector<ports::ExplicitAccess> acl;
    nlohmann::json extra = nlohmann::json::object();  // unknown image fields, kept as they came
};

class RegistryStore {
public:
    using KeyMap = std::map<std::string, RegistryKeyRecord, CaseInsensitiveLess>;

    RegistryStore() = default;
    RegistryStore(const RegistryStore& other);
    RegistryStore(RegistryStore&& other) noexcept;
    RegistryStore& operator=(const RegistryStore& other);
    RegistryStore& operator=(RegistryStore&& other) noexcept;
    ~RegistryStore() = default;

    // Finds a key by canonical path.
    RegistryKeyRecord* find(std::string_view path);
    const RegistryKeyRecord* find(std::string_view path) const;
    // A hive root, a key with a record, or a key implied by a deeper one.
    bool exists(std::string_view path) const;
    // Creates the key and any missing ancestor; returns the key.
    RegistryKeyRecord& ensure(std::string_view path);
    // Direct children (their canonical paths), in the registry's sorted order.
    std::vector<std::string> children(std::string_view path) const;
    bool hasChildren(std::string_view path) const;
    // Removes the key and everything below it.
    void eraseTree(std::string_view path);
    void erase(std::string_view path);

    const KeyMap& keys() const { return keys_; }

private:
    RegistryKeyRecord& findOrAdd(const std::string& path);
    void reindex();

    // The sorted map gives the registry's order of enumeration; the index,
    // by the same names, finds a key without walking the tree (every
    // registry call looks its key up, and a large system holds hundreds of
    // thousands). Its names point into the map's own keys.
    KeyMap keys_;
    std::unordered_map<std::string_view, KeyMap::iterator, CaseInsensitiveHash, CaseInsensitiveEqual> index_;
};

// Canonical hive prefixes as images write them.
std::string_view HiveName(ports::RegKey root);  // "HKLM", "HKCU", "HKCR", "HKU"; empty when not a root
// True for a bare canonical hive prefix such as "HKLM" (any case).
bool IsHiveRoot(std::string_view path);

}  // namespace kvt::sim
