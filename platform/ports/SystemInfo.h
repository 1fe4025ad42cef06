#pragma once
// What the setup programs ask about the running system: version, WOW64,
// the thread's last error, error texts, the shutdown privilege and the
// restart itself.
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt::ports {

// The fields of OSVERSIONINFOEXA that the programs read.
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    std::uint8_t productType = 0;
    friend bool operator==(const OsVersionInfo&, const OsVersionInfo&) = default;
};

struct TokenHandle {
    std::uint64_t value = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // GetVersionExA with the 156-byte extended record.
    virtual std::uint32_t getVersionEx(OsVersionInfo& info) = 0;

    // IsWow64Process is looked up in "kernel32" at run time.
    virtual bool hasIsWow64Process() = 0;
    virtual std::uint32_t isWow64Process(bool& wow64) = 0;

    virtual std::uint32_t getLastError() = 0;
    virtual void setLastError(std::uint32_t code) = 0;
    // FormatMessageA from the system table in `languageId` (0: the system's
    // own language): 0 with the text, or the error FormatMessage left (15100
    // where that language's texts are not installed, 317 for a code the
    // table lacks). The thread's last error stays as it was.
    virtual std::uint32_t formatMessage(std::uint32_t code, std::uint32_t languageId, std::string& text) = 0;

    // OpenProcessToken / LookupPrivilegeValueA / AdjustTokenPrivileges /
    // CloseHandle. AdjustTokenPrivileges succeeds even when the privilege is
    // not held and then leaves 1300 (ERROR_NOT_ALL_ASSIGNED) as last error.
    virtual std::uint32_t openProcessToken(std::uint32_t access, TokenHandle& token) = 0;
    virtual std::uint32_t lookupPrivilegeValue(std::string_view name, std::uint64_t& luid) = 0;
    virtual std::uint32_t adjustTokenPrivileges(TokenHandle token, std::uint64_t luid, std::uint32_t attributes) = 0;
    virtual void closeToken(TokenHandle token) = 0;

    // ExitWindowsEx.
    virtual std::uint32_t exitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace kvt::ports
