#pragma once
// The registry port over the simulated registry: both views with
// WOW6432Node redirection, protected keys, key access lists, remote
// registries that cannot be reached.
#include <cstdint>
#include <map>
#include <string>

#include "platform/ports/Registry.h"

namespace kvt::sim {

class Simulation;

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
    Simulation& sim_;
    struct OpenKey {
        std::string path;  // canonical path of the key ("HKLM\SOFTWARE\WOW6432Node\X")
        std::uint32_t access = 0;
    };
    std::map<std::uint64_t, OpenKey> handles_;
    std::uint64_t nextHandle_ = 0x1000;
};

}  // namespace kvt::sim
