#pragma once
// The registry port over the simulated registry: both views with
// WOW6432Node redirection, protected keys, key access lists, remote
// registries that cannot be reached.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports/AccessControl.h"
#include "platform/ports/Registry.h"

namespace kvt::sim {

class Simulation;

// A key's access list as the simulated registry hands it out and takes it back.
class RegistryAccessList final : public ports::AccessList {
public:
    explicit RegistryAccessList(std::vector<ports::ExplicitAccess> list) : entries(std::move(list)) {}
    std::vector<ports::ExplicitAccess> entries;
};

// SetEntriesInAcl with one entry: the list that results from merging `entry`
// into `list`.
std::vector<ports::ExplicitAccess> MergeAccessEntry(std::vector<ports::ExplicitAccess> list,
                                                    const ports::ExplicitAccess& entry);

class SimRegistry final : public ports::Registry {
public:
    explicit SimRegistry(Simulation& sim) : sim_(sim) {}

    std::uint32_t openKey(ports::RegKey root, std::string_view subKey, std::uint32_t access,
                          ports::RegKey& key) override;
    std::uint32_t createKey(ports::RegKey root, std::string_view subKey, std::uint32_t access,
                            ports::RegKey& key) override;
    std::uint32_t closeKey(ports::RegKey key) override;
    std::uint32_t setValue(ports::RegKey key, std::string_view name, const ports::RegValue& value) override;
    std::uint32_t queryValue(ports::RegKey key, std::string_view name, ports::RegValue& value) override;
    std::uint32_t enumKey(ports::RegKey key, std::uint32_t index, std::string& name) override;
    std::uint32_t connectRegistry(std::string_view machine, ports::RegKey hive, ports::RegKey& key) override;
    std::uint32_t shDeleteKey(ports::RegKey root, std::string_view subKey) override;
    bool hasDeleteKeyEx() override;
    std::uint32_t deleteKeyEx(ports::RegKey root, std::string_view subKey, std::uint32_t access,
                              std::uint32_t reserved) override;
    std::uint32_t getKeySecurity(ports::RegKey key, ports::AccessListPtr& dacl) override;
    std::uint32_t setEntriesInAcl(const ports::ExplicitAccess& entry, const ports::AccessList* old,
                                  ports::AccessListPtr& merged) override;
    std::uint32_t setKeySecurity(ports::RegKey key, const ports::AccessList& dacl) override;

    std::size_t openHandleCount() const { return handles_.size(); }

private:
    // A key as a program names it: the path it asked for and the view it
    // asked in. Where it lives in the store follows from both.
    struct KeyName {
        std::string path;     // logical path ("HKLM\SOFTWARE\X"), never redirected
        bool view32 = false;  // the 32-bit view of 64-bit Windows
    };
    struct OpenKey {
        KeyName name;
        std::uint32_t access = 0;
    };

    std::uint32_t resolve(ports::RegKey root, std::string_view subKey, std::uint32_t access, KeyName& name) const;
    std::uint32_t lookupHandle(ports::RegKey key, KeyName& name, std::uint32_t& rights) const;
    std::string storePath(const KeyName& name) const;
    ports::RegKey addHandle(KeyName name, std::uint32_t access);

    Simulation& sim_;
    std::map<std::uint64_t, OpenKey> handles_;
    std::uint64_t nextHandle_ = 0x1000;
};

}  // namespace kvt::sim
