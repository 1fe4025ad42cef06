#pragma once
// Small pieces every adapter needs around a Windows call: run-time lookup of
// functions that older systems lack, the error code of a BOOL call, and
// strings read into a buffer that grows when Windows says it is too small.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::win32 {

// Looks `name` up in an already loaded module at every call, so the program
// starts on systems without it. Null when the module or function is missing.
template <typename Function>
Function LookupProc(const char* module, const char* name) {
    HMODULE loaded = ::GetModuleHandleA(module);
    if (loaded == nullptr) return nullptr;
    FARPROC proc = ::GetProcAddress(loaded, name);
    // Through the generic function type, which the compiler accepts for any target.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// The code a call that has just failed left as the thread's last error.
// Some calls fail without setting one and leave 0 there; read as it is, that
// failure would pass for a success and the caller's fallback would never
// run. Such a failure reads as ERROR_GEN_FAILURE, both here and as the last
// error, so a later getLastError() agrees with the code returned.
inline std::uint32_t FailureCode() {
    const DWORD code = ::GetLastError();
    if (code != ERROR_SUCCESS) return code;
    ::SetLastError(ERROR_GEN_FAILURE);
    return ERROR_GEN_FAILURE;
}

// 0 when a BOOL-returning call succeeded, else the code it left (never 0).
inline std::uint32_t ResultOf(BOOL ok) { return ok ? err::Success : FailureCode(); }

// Fails with `code` the way the file API does: as result and as last error.
inline std::uint32_t Fail(std::uint32_t code) {
    ::SetLastError(code);
    return code;
}

// The A functions want terminated strings; views may not be.
inline std::string Terminated(std::string_view text) { return std::string(text); }

// For the Get...DirectoryA family: `call(buffer, size)` returns the length
// copied (below size), the size needed (terminator included) when the buffer
// is too small, or 0 on failure.
template <typename Call>
std::uint32_t ReadSizedString(Call call, std::string& text) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return FailureCode();
        if (length < buffer.size()) {
            text.assign(buffer.data(), length);
            return err::Success;
        }
        buffer.resize(length);
    }
    return Fail(err::InsufficientBuffer);
}

}  // namespace kvt::win32
