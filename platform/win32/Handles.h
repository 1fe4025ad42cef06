#pragma once
// Owners for the Windows handles the adapters open. Each closes its handle on
// every path out of the scope that holds it, so no Close call stands alone.
#include <windows.h>

#include <utility>

namespace kvt::win32 {

template <typename Handle, typename Traits>
class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle) : handle_(handle) {}
    ~UniqueOwner() { reset(); }

    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::valid(handle_); }

    // For calls that return the handle through an out parameter.
    Handle* put() {
        reset();
        return &handle_;
    }

    Handle release() { return std::exchange(handle_, Traits::invalid()); }

    void reset(Handle handle = Traits::invalid()) {
        Handle old = std::exchange(handle_, handle);
        if (Traits::valid(old)) Traits::close(old);
    }

private:
    Handle handle_ = Traits::invalid();
};

struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool valid(HKEY key) { return key != nullptr; }
    static void close(HKEY key) { ::RegCloseKey(key); }
};

// Process, thread, token and file handles. Both null (OpenProcessToken,
// CreateProcess) and INVALID_HANDLE_VALUE (CreateFile) mean "none"; the
// current-process pseudo handle shares the latter's value and is never owned.
struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};

struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static void close(HANDLE handle) { ::FindClose(handle); }
};

// Memory that Windows hands out to be released with LocalFree: security
// descriptors from GetSecurityInfo, ACLs from SetEntriesInAclA.
template <typename Pointer>
struct LocalMemoryTraits {
    static Pointer invalid() { return nullptr; }
    static bool valid(Pointer memory) { return memory != nullptr; }
    static void close(Pointer memory) { ::LocalFree(reinterpret_cast<HLOCAL>(memory)); }
};

struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static bool valid(HMODULE module) { return module != nullptr; }
    static void close(HMODULE module) { ::FreeLibrary(module); }
};

struct EnvironmentStringsTraits {
    static LPCH invalid() { return nullptr; }
    static bool valid(LPCH block) { return block != nullptr; }
    static void close(LPCH block) { ::FreeEnvironmentStringsA(block); }
};

struct WideEnvironmentStringsTraits {
    static LPWCH invalid() { return nullptr; }
    static bool valid(LPWCH block) { return block != nullptr; }
    static void close(LPWCH block) { ::FreeEnvironmentStringsW(block); }
};

struct ServiceHandleTraits {
    static SC_HANDLE invalid() { return nullptr; }
    static bool valid(SC_HANDLE handle) { return handle != nullptr; }
    static void close(SC_HANDLE handle) { ::CloseServiceHandle(handle); }
};

using UniqueRegKey = UniqueOwner<HKEY, RegKeyTraits>;
using UniqueServiceHandle = UniqueOwner<SC_HANDLE, ServiceHandleTraits>;
using UniqueHandle = UniqueOwner<HANDLE, KernelHandleTraits>;
using UniqueToken = UniqueHandle;
using UniqueFindHandle = UniqueOwner<HANDLE, FindHandleTraits>;
template <typename Pointer>
using UniqueLocalMemory = UniqueOwner<Pointer, LocalMemoryTraits<Pointer>>;
using UniqueModule = UniqueOwner<HMODULE, ModuleTraits>;
using UniqueEnvironmentStrings = UniqueOwner<LPCH, EnvironmentStringsTraits>;
using UniqueWideEnvironmentStrings = UniqueOwner<LPWCH, WideEnvironmentStringsTraits>;

}  // namespace kvt::win32
