#include "platform/win32/Win32SystemInfo.h"

#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

IsWow64ProcessFn FindIsWow64Process() { return LookupProc<IsWow64ProcessFn>("kernel32", "IsWow64Process"); }

// A 64-bit build runs only on 64-bit Windows and must take its 64-bit paths,
// so it answers as a 32-bit program under WOW64 would.
#ifdef _WIN64
constexpr bool kBuiltFor64Bit = true;
#else
constexpr bool kBuiltFor64Bit = false;
#endif

// FormatMessage writes at most 64 KiB into a caller's buffer.
constexpr std::size_t kLargestMessage = 65536;

}  // namespace

std::uint32_t Win32SystemInfo::getVersionEx(ports::OsVersionInfo& info) {
    OSVERSIONINFOEXA version{};
    static_assert(sizeof version == 156, "the extended record is the one that carries the product type");
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return FailureCode();
    info.platformId = version.dwPlatformId;
    info.majorVersion = version.dwMajorVersion;
    info.minorVersion = version.dwMinorVersion;
    info.buildNumber = version.dwBuildNumber;
    info.productType = version.wProductType;
    return err::Success;
}

bool Win32SystemInfo::hasIsWow64Process() { return kBuiltFor64Bit || FindIsWow64Process() != nullptr; }

std::uint32_t Win32SystemInfo::isWow64Process(bool& wow64) {
    wow64 = kBuiltFor64Bit;
    if constexpr (kBuiltFor64Bit) return err::Success;
    const IsWow64ProcessFn isWow64 = FindIsWow64Process();
    if (isWow64 == nullptr) return Fail(err::ProcNotFound);
    BOOL result = FALSE;
    if (!isWow64(::GetCurrentProcess(), &result)) return FailureCode();
    wow64 = result != FALSE;
    return err::Success;
}

std::uint32_t Win32SystemInfo::getLastError() { return ::GetLastError(); }

void Win32SystemInfo::setLastError(std::uint32_t code) { ::SetLastError(code); }

std::uint32_t Win32SystemInfo::formatMessage(std::uint32_t code, std::uint32_t languageId, std::string& text) {
    // Asking for a text must not disturb the error the caller is reporting.
    const DWORD callersError = ::GetLastError();
    std::vector<char> buffer(512);
    text.clear();
    DWORD result = ERROR_SUCCESS;
    for (;;) {
        const DWORD length =
            ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, languageId,
                             buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
        if (length != 0) {
            text.assign(buffer.data(), length);
            break;
        }
        result = ::GetLastError();
        if (result != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= kLargestMessage) break;
        buffer.resize(buffer.size() * 2);
    }
    ::SetLastError(callersError);
    return text.empty() && result == ERROR_SUCCESS ? static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND) : result;
}

std::uint32_t Win32SystemInfo::openProcessToken(std::uint32_t access, ports::TokenHandle& token) {
    UniqueToken opened;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, opened.put())) return FailureCode();
    token.value = tokens_.add(std::move(opened));
    return err::Success;
}

std::uint32_t Win32SystemInfo::lookupPrivilegeValue(std::string_view name, std::uint64_t& luid) {
    LUID found{};
    if (!::LookupPrivilegeValueA(nullptr, Terminated(name).c_str(), &found)) return FailureCode();
    luid = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(found.HighPart)) << 32) | found.LowPart;
    return err::Success;
}

std::uint32_t Win32SystemInfo::adjustTokenPrivileges(ports::TokenHandle token, std::uint64_t luid,
                                                     std::uint32_t attributes) {
    HANDLE handle = tokens_.find(token.value);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = static_cast<DWORD>(luid & 0xFFFFFFFFu);
    privileges.Privileges[0].Luid.HighPart = static_cast<LONG>(luid >> 32);
    privileges.Privileges[0].Attributes = attributes;
    // Success leaves 0 or ERROR_NOT_ALL_ASSIGNED as the last error; the caller reads it.
    return ResultOf(::AdjustTokenPrivileges(handle, FALSE, &privileges, 0, nullptr, nullptr));
}

void Win32SystemInfo::closeToken(ports::TokenHandle token) { tokens_.remove(token.value); }

std::uint32_t Win32SystemInfo::exitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ResultOf(::ExitWindowsEx(flags, reason));
}

}  // namespace kvt::win32
