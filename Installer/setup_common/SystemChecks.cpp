#include "Installer/setup_common/SystemChecks.h"

#include <cstdint>

namespace kvt::setup {
namespace {

constexpr std::uint32_t kPlatform9x = 1;
constexpr std::uint32_t kPlatformNT = 2;
constexpr std::uint8_t kWorkstation = 1;

constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
constexpr std::uint32_t kTokenQuery = 0x08;
constexpr std::uint32_t kPrivilegeEnabled = 2;
constexpr std::string_view kShutdownPrivilege = "SeShutdownPrivilege";

// EWX_REBOOT | EWX_FORCEIFHUNG: applications that still answer are asked to
// close and can let their users save their work; only hung ones are ended.
constexpr std::uint32_t kRebootFlags = 0x02 | 0x10;
constexpr std::uint32_t kRebootReason = 0;

int OsCodeFor9x(const ports::OsVersionInfo& v) {
    if (v.majorVersion != 4) return oscode::Unrecognised;
    switch (v.minorVersion) {
        case 0: return oscode::Windows95;
        case 10: return oscode::Windows98;
        case 90: return oscode::WindowsMe;
        default: return oscode::Unrecognised;
    }
}

int OsCodeForNT(const ports::OsVersionInfo& v) {
    if (v.majorVersion <= 4) return oscode::WindowsNT4;
    const bool workstation = v.productType == kWorkstation;
    if (v.majorVersion == 5) {
        switch (v.minorVersion) {
            case 0: return oscode::Windows2000;
            case 1: return oscode::WindowsXP;
            case 2: return oscode::WindowsXP64;
            default: return oscode::Unrecognised;
        }
    }
    if (v.majorVersion == 6) {
        if (v.minorVersion == 0) return workstation ? oscode::WindowsVista : oscode::WindowsServer2008;
        if (v.minorVersion == 1) return workstation ? oscode::Windows7 : oscode::WindowsServer2008R2;
    }
    return oscode::Unrecognised;
}

// Closes the token on every way out of RestartSystem.
class TokenCloser {
public:
    TokenCloser(ports::SystemInfo& system, ports::TokenHandle token) : system_(system), token_(token) {}
    ~TokenCloser() { system_.closeToken(token_); }
    TokenCloser(const TokenCloser&) = delete;
    TokenCloser& operator=(const TokenCloser&) = delete;

private:
    ports::SystemInfo& system_;
    ports::TokenHandle token_;
};

}  // namespace

int OsCodeFor(const ports::OsVersionInfo& version) {
    switch (version.platformId) {
        case kPlatform9x: return OsCodeFor9x(version);
        case kPlatformNT: return OsCodeForNT(version);
        default: return oscode::Unrecognised;
    }
}

int CheckOS(ports::Platform& platform, SetupLog& log) {
    log.WriteLog("\r\n");
    log.WriteLog("CheckOS BEGIN");

    ports::OsVersionInfo version{};
    if (platform.system.getVersionEx(version) != 0) {
        version = {};
        if (platform.system.getVersionEx(version) != 0) version = {};
    }

    log.WriteLog("osvi.dwPlatformID   : %d", version.platformId);
    log.WriteLog("osvi.dwMajorVersion : %d", version.majorVersion);
    log.WriteLog("osvi.dwMinorVersion : %d", version.minorVersion);
    log.WriteLog("osvi.dwBuildNumber  : %d", version.buildNumber);

    const int code = OsCodeFor(version);
    log.WriteLog("CheckOS END");
    return code;
}

int IsWow64(ports::Platform& platform, SetupLog& log) {
    int flag = 0;
    if (platform.system.hasIsWow64Process()) {
        bool wow64 = false;
        if (platform.system.isWow64Process(wow64) == 0 && wow64) flag = 1;
    }
    if (flag != 0)
        log.WriteLog("The process is running under WOW64.");
    else
        log.WriteLog("The process is not running under WOW64.");
    return flag;
}

int RestartSystem(ports::Platform& platform) {
    ports::SystemInfo& system = platform.system;
    ports::TokenHandle token;
    if (system.openProcessToken(kTokenAdjustPrivileges | kTokenQuery, token) != 0) return 0;
    TokenCloser closer(system, token);

    std::uint64_t luid = 0;
    if (system.lookupPrivilegeValue(kShutdownPrivilege, luid) != 0) return 0;
    // AdjustTokenPrivileges reports success even when the privilege is not
    // held; only the last error it leaves tells.
    if (system.adjustTokenPrivileges(token, luid, kPrivilegeEnabled) != 0) return 0;
    if (system.getLastError() != 0) return 0;

    return system.exitWindowsEx(kRebootFlags, kRebootReason) == 0 ? 1 : 0;
}

}  // namespace kvt::setup
