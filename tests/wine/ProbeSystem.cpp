// System information, the checks of the support library, privileges and the
// clock. The restart itself is never asked for: it would end the test.
#include <string>

#include "Installer/setup_common/SystemChecks.h"
#include "platform/ports/WinCodes.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

void CheckVersionAndOsCode(win32::Win32Platform& windows, setup::SetupLog& log, ProbeReport& report) {
    ports::Platform platform = windows.platform();
    const int wow64 = setup::IsWow64(platform, log);
    report.check(wow64 != 0, "IsWow64 of a 64-bit build is nonzero");

    ports::OsVersionInfo version;
    report.code(windows.system().getVersionEx(version), err::Success, "GetVersionExA");
    report.check(version.platformId == 2 && version.majorVersion >= 5, "version is NT 5 or later",
                 std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) + "." +
                     std::to_string(version.buildNumber) + " type " + std::to_string(version.productType));

    const int osCode = setup::CheckOS(platform, log);
    report.check(osCode == setup::OsCodeFor(version) && osCode >= setup::oscode::FirstSupported,
                 "CheckOS agrees with the version record", std::to_string(osCode));
}

void CheckLastErrorAndTexts(win32::Win32Platform& windows, ProbeReport& report) {
    auto& system = windows.system();
    // Last errors are read before reporting: writing the report may change them.
    system.setLastError(1234);
    report.code(system.getLastError(), 1234, "SetLastError/GetLastError round trip");

    system.setLastError(1234);
    std::string text;
    const std::uint32_t found = system.formatMessage(err::InvalidParameter, 0x409, text);
    const std::uint32_t afterText = system.getLastError();
    report.code(found, err::Success, "FormatMessageA of 87 in English");
    report.check(!text.empty() && text.ends_with("\r\n"), "FormatMessageA text of 87", text.substr(0, text.find('\r')));
    report.code(afterText, 1234, "FormatMessageA leaves the caller's last error");
    std::string none = "stale";
    const std::uint32_t missing = system.formatMessage(0x2000ABCDu, 0, none);
    report.check(missing != err::Success && none.empty(), "FormatMessageA of a code without text fails, empty",
                 std::to_string(missing));
}

void CheckShutdownPrivilege(win32::Win32Platform& windows, ProbeReport& report) {
    auto& system = windows.system();
    ports::TokenHandle token;
    if (!report.code(system.openProcessToken(0x28, token), err::Success, "OpenProcessToken")) return;

    std::uint64_t luid = 0;
    report.code(system.lookupPrivilegeValue("SeShutdownPrivilege", luid), err::Success,
                "LookupPrivilegeValueA SeShutdownPrivilege");
    report.check(luid != 0, "the shutdown privilege has a LUID");
    std::uint64_t unknown = 0;
    report.code(system.lookupPrivilegeValue("SeNoSuchProbePrivilege", unknown), err::NoSuchPrivilege,
                "LookupPrivilegeValueA of an unknown name");

    system.setLastError(4242);
    const std::uint32_t adjusted = system.adjustTokenPrivileges(token, luid, 2);
    const std::uint32_t after = system.getLastError();
    report.code(adjusted, err::Success, "AdjustTokenPrivileges");
    report.check(after == err::Success || after == err::NotAllAssigned,
                 "AdjustTokenPrivileges sets the last error itself", std::to_string(after));

    system.closeToken(token);
    report.check(system.openTokenCount() == 0, "the token is closed");
    report.code(system.adjustTokenPrivileges(token, luid, 2), err::InvalidHandle, "a closed token is refused");
}

void CheckClock(win32::Win32Platform& windows, ProbeReport& report) {
    const ports::LocalTime now = windows.clock().localTime();
    report.check(now.year >= 2020 && now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31 &&
                     now.hour < 24 && now.minute < 60 && now.second < 62,
                 "GetLocalTime",
                 std::to_string(now.year) + "-" + std::to_string(now.month) + "-" + std::to_string(now.day));
    const DWORD before = ::GetTickCount();
    windows.clock().sleep(100);
    const DWORD slept = ::GetTickCount() - before;
    report.check(slept >= 80, "Sleep waits", std::to_string(slept) + " ms");
}

}  // namespace

void CheckSystemInfo(win32::Win32Platform& windows, setup::SetupLog& log, ProbeReport& report) {
    CheckVersionAndOsCode(windows, log, report);
    CheckLastErrorAndTexts(windows, report);
    CheckShutdownPrivilege(windows, report);
    CheckClock(windows, report);
}

}  // namespace kvt::probe
