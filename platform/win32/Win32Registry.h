#pragma once
// The registry port over the registry API. Keys opened through the port are
// owned here until the core closes them.
#include <windows.h>

#include "platform/ports/Registry.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

class Win32Registry final : public ports::Registry {
public:
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

    std::size_t openKeyCount() { return keys_.size(); }

private:
    // The HKEY behind a port key: a predefined root or a key opened here;
    // null for a number this adapter never handed out (or already closed).
    HKEY toHkey(ports::RegKey key);
    ports::RegKey adopt(UniqueRegKey key);

    HandleTable<UniqueRegKey> keys_;
};

}  // namespace kvt::win32
