#include "platform/win32/Win32Registry.h"

#include <aclapi.h>
#include <shlwapi.h>

#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/win32/ExplicitAccessEntries.h"
#include "platform/win32/Win32AccessList.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

using RegDeleteKeyExAFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

RegDeleteKeyExAFn FindRegDeleteKeyEx() { return LookupProc<RegDeleteKeyExAFn>("Advapi32", "RegDeleteKeyExA"); }

// The registry API reports through its result and leaves the last error alone.
std::uint32_t Code(LONG result) { return static_cast<std::uint32_t>(result); }

HKEY PredefinedKey(ports::RegKey key) {
    // The port carries the 32-bit values; on 64-bit Windows the HKEY
    // constants are their sign extension, which the cast through LONG gives.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key.value))));
}

}  // namespace

HKEY Win32Registry::toHkey(ports::RegKey key) {
    if (ports::IsPredefinedKey(key)) return PredefinedKey(key);
    return keys_.find(key.value);
}

ports::RegKey Win32Registry::adopt(UniqueRegKey key) { return ports::RegKey{keys_.add(std::move(key))}; }

std::uint32_t Win32Registry::openKey(ports::RegKey root, std::string_view subKey, std::uint32_t access,
                                     ports::RegKey& key) {
    HKEY parent = toHkey(root);
    if (parent == nullptr) return err::InvalidHandle;
    UniqueRegKey opened;
    const LONG result = ::RegOpenKeyExA(parent, Terminated(subKey).c_str(), 0, access, opened.put());
    if (result != ERROR_SUCCESS) return Code(result);
    key = adopt(std::move(opened));
    return err::Success;
}

std::uint32_t Win32Registry::createKey(ports::RegKey root, std::string_view subKey, std::uint32_t access,
                                       ports::RegKey& key) {
    HKEY parent = toHkey(root);
    if (parent == nullptr) return err::InvalidHandle;
    UniqueRegKey created;
    const LONG result = ::RegCreateKeyExA(parent, Terminated(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          access, nullptr, created.put(), nullptr);
    if (result != ERROR_SUCCESS) return Code(result);
    key = adopt(std::move(created));
    return err::Success;
}

std::uint32_t Win32Registry::closeKey(ports::RegKey key) {
    if (ports::IsPredefinedKey(key)) return err::Success;  // as RegCloseKey treats the roots
    return keys_.remove(key.value) ? err::Success : err::InvalidHandle;
}

std::uint32_t Win32Registry::setValue(ports::RegKey key, std::string_view name, const ports::RegValue& value) {
    HKEY target = toHkey(key);
    if (target == nullptr) return err::InvalidHandle;
    return Code(::RegSetValueExA(target, Terminated(name).c_str(), 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size())));
}

std::uint32_t Win32Registry::queryValue(ports::RegKey key, std::string_view name, ports::RegValue& value) {
    HKEY source = toHkey(key);
    if (source == nullptr) return err::InvalidHandle;
    const std::string valueName = Terminated(name);
    std::vector<std::uint8_t> data(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG result = ::RegQueryValueExA(source, valueName.c_str(), nullptr, &type, data.data(), &size);
        if (result == ERROR_MORE_DATA && size > data.size()) {
            data.resize(size);  // the value may grow again before the next try
            continue;
        }
        if (result != ERROR_SUCCESS) return Code(result);
        data.resize(size);
        value.type = type;
        value.data = std::move(data);
        return err::Success;
    }
}

std::uint32_t Win32Registry::enumKey(ports::RegKey key, std::uint32_t index, std::string& name) {
    HKEY parent = toHkey(key);
    if (parent == nullptr) return err::InvalidHandle;
    // Key names have at most 255 characters; RegEnumKeyExA does not say how
    // much it needs, so a longer name (a remote or future system) doubles it.
    std::vector<char> buffer(256);
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result =
            ::RegEnumKeyExA(parent, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA && buffer.size() < 65536) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (result != ERROR_SUCCESS) return Code(result);
        name.assign(buffer.data(), length);
        return err::Success;
    }
}

std::uint32_t Win32Registry::connectRegistry(std::string_view machine, ports::RegKey hive, ports::RegKey& key) {
    if (!ports::IsPredefinedKey(hive)) return err::InvalidHandle;
    UniqueRegKey connected;
    const LONG result = ::RegConnectRegistryA(Terminated(machine).c_str(), PredefinedKey(hive), connected.put());
    if (result != ERROR_SUCCESS) return Code(result);
    key = adopt(std::move(connected));
    return err::Success;
}

std::uint32_t Win32Registry::shDeleteKey(ports::RegKey root, std::string_view subKey) {
    HKEY parent = toHkey(root);
    if (parent == nullptr) return err::InvalidHandle;
    return Code(static_cast<LONG>(::SHDeleteKeyA(parent, Terminated(subKey).c_str())));
}

bool Win32Registry::hasDeleteKeyEx() { return FindRegDeleteKeyEx() != nullptr; }

std::uint32_t Win32Registry::deleteKeyEx(ports::RegKey root, std::string_view subKey, std::uint32_t access,
                                         std::uint32_t reserved) {
    const RegDeleteKeyExAFn deleteKeyExA = FindRegDeleteKeyEx();
    if (deleteKeyExA == nullptr) return err::ProcNotFound;
    HKEY parent = toHkey(root);
    if (parent == nullptr) return err::InvalidHandle;
    return Code(deleteKeyExA(parent, Terminated(subKey).c_str(), access, reserved));
}

std::uint32_t Win32Registry::getKeySecurity(ports::RegKey key, ports::AccessListPtr& dacl) {
    HKEY target = toHkey(key);
    if (target == nullptr) return err::InvalidHandle;
    PACL list = nullptr;
    UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    const DWORD result = ::GetSecurityInfo(target, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                           &list, nullptr, descriptor.put());
    if (result != ERROR_SUCCESS) return result;
    dacl = Win32AccessList::FromDescriptor(std::move(descriptor), list);
    return err::Success;
}

std::uint32_t Win32Registry::setEntriesInAcl(const ports::ExplicitAccess& entry, const ports::AccessList* old,
                                             ports::AccessListPtr& merged) {
    PACL oldAcl = nullptr;
    if (old != nullptr) {
        const auto* own = dynamic_cast<const Win32AccessList*>(old);
        if (own == nullptr) return err::InvalidParameter;
        oldAcl = own->dacl();
    }
    ExplicitAccessEntries entries({entry});
    UniqueLocalMemory<PACL> result;
    const std::uint32_t code = entries.mergeInto(oldAcl, result);
    if (code != err::Success) return code;
    merged = Win32AccessList::FromAcl(std::move(result));
    return err::Success;
}

std::uint32_t Win32Registry::setKeySecurity(ports::RegKey key, const ports::AccessList& dacl) {
    const auto* own = dynamic_cast<const Win32AccessList*>(&dacl);
    if (own == nullptr) return err::InvalidParameter;
    HKEY target = toHkey(key);
    if (target == nullptr) return err::InvalidHandle;
    return ::SetSecurityInfo(target, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, own->dacl(),
                             nullptr);
}

}  // namespace kvt::win32
