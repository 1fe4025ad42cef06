// The language monitor loaded as the spooler loads it, its table driven
// against a recording port monitor: what the spooler hands the language
// monitor must reach the port unchanged, and failures of the port must come
// back with their own codes.
#include <windows.h>
#include <winsplp.h>

#include <string>
#include <vector>

#include "tests/package/wine/PackageChecks.h"

namespace kvt::package_check {
namespace {

// What reached the recording port monitor.
struct PortLog {
    std::wstring openedPort;
    DWORD startedJob = 0;
    std::string written;
    int endDocs = 0;
    int closes = 0;
    DWORD refuseOpenWith = 0;  // nonzero: OpenPort fails with this code
};
PortLog gPort;
int gPortToken = 0;  // its address is the port monitor's port handle

HANDLE PortHandle() { return static_cast<HANDLE>(&gPortToken); }

BOOL WINAPI RecordOpen(HANDLE, LPWSTR name, PHANDLE handle) {
    if (gPort.refuseOpenWith != 0) {
        SetLastError(gPort.refuseOpenWith);
        return FALSE;
    }
    gPort.openedPort = name != nullptr ? name : L"";
    *handle = PortHandle();
    return TRUE;
}

BOOL WINAPI RecordStartDoc(HANDLE port, LPWSTR, DWORD job, DWORD, LPBYTE) {
    if (port != PortHandle()) return FALSE;
    gPort.startedJob = job;
    return TRUE;
}

BOOL WINAPI RecordWrite(HANDLE port, LPBYTE data, DWORD size, LPDWORD written) {
    if (port != PortHandle()) return FALSE;
    gPort.written.append(reinterpret_cast<const char*>(data), size);
    *written = size;
    return TRUE;
}

BOOL WINAPI RecordEndDoc(HANDLE port) {
    if (port != PortHandle()) return FALSE;
    ++gPort.endDocs;
    return TRUE;
}

BOOL WINAPI RecordClose(HANDLE port) {
    if (port != PortHandle()) return FALSE;
    ++gPort.closes;
    return TRUE;
}

MONITOR2 RecordingPortMonitor() {
    MONITOR2 table{};
    table.cbSize = sizeof(MONITOR2);
    table.pfnOpenPort = RecordOpen;
    table.pfnStartDocPort = RecordStartDoc;
    table.pfnWritePort = RecordWrite;
    table.pfnEndDocPort = RecordEndDoc;
    table.pfnClosePort = RecordClose;
    return table;  // no ReadPort: the port cannot be read
}

using Initialize = LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE);

void CheckJobPassesThrough(MONITOR2& language, HANDLE monitor, probe::ProbeReport& report) {
    MONITOR2 port = RecordingPortMonitor();
    HANDLE handle = nullptr;
    wchar_t portName[] = L"COM2:";
    wchar_t printerName[] = L"NORVEX KVT-580duo";
    if (!report.check(language.pfnOpenPortEx(monitor, nullptr, portName, printerName, &handle, &port) != 0,
                      "OpenPortEx opens the port underneath"))
        return;
    report.check(gPort.openedPort == L"COM2:", "the port monitor was asked for COM2:");
    report.check(language.pfnStartDocPort(handle, printerName, 42, 1, nullptr) != 0 && gPort.startedJob == 42,
                 "StartDocPort reaches the port with the job id");
    // Printer commands are binary: a zero byte and ESC must get through.
    const std::string job("\x1b@receipt\0\x1dV\x01", 13);
    DWORD written = 0;
    std::vector<BYTE> bytes(job.begin(), job.end());
    const BOOL wrote = language.pfnWritePort(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written);
    report.check(wrote != 0 && written == job.size() && gPort.written == job, "WritePort hands the bytes on unchanged",
                 std::to_string(gPort.written.size()) + " bytes");
    BYTE readBuffer[8] = {};
    DWORD read = 0;
    const BOOL readOk = language.pfnReadPort(handle, readBuffer, sizeof readBuffer, &read);
    report.check(!readOk && GetLastError() == ERROR_NOT_SUPPORTED, "ReadPort of a port that cannot be read says so");
    report.check(language.pfnEndDocPort(handle) != 0 && gPort.endDocs == 1, "EndDocPort reaches the port");
    report.check(language.pfnClosePort(handle) != 0 && gPort.closes == 1, "ClosePort closes the port underneath");
}

void CheckRefusals(MONITOR2& language, HANDLE monitor, probe::ProbeReport& report) {
    MONITOR2 port = RecordingPortMonitor();
    HANDLE handle = nullptr;
    wchar_t portName[] = L"COM3:";
    gPort.refuseOpenWith = ERROR_BUSY;
    const BOOL opened = language.pfnOpenPortEx(monitor, nullptr, portName, nullptr, &handle, &port);
    report.check(!opened && GetLastError() == ERROR_BUSY, "a port that cannot be opened fails with its own code");
    gPort.refuseOpenWith = 0;
    const BOOL withoutPort = language.pfnOpenPortEx(monitor, nullptr, portName, nullptr, &handle, nullptr);
    report.check(!withoutPort && GetLastError() == ERROR_INVALID_PARAMETER,
                 "OpenPortEx without a port monitor is refused");
}

}  // namespace

void CheckMonitorTable(const std::string& dll, probe::ProbeReport& report) {
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!report.check(module != nullptr, "the language monitor loads", dll)) return;
    auto initialize = reinterpret_cast<Initialize>(
        reinterpret_cast<void*>(GetProcAddress(module, "InitializePrintMonitor2")));
    if (report.check(initialize != nullptr, "it exports InitializePrintMonitor2")) {
        MONITORINIT init{};
        init.cbSize = sizeof init;
        init.bLocal = TRUE;
        HANDLE monitor = nullptr;
        MONITOR2* table = initialize(&init, &monitor);
        if (report.check(table != nullptr && monitor != nullptr, "it returns a table and a handle") &&
            report.check(table->cbSize == sizeof(MONITOR2), "the table gives its size",
                         std::to_string(table->cbSize)) &&
            report.check(table->pfnOpenPortEx != nullptr && table->pfnOpenPort == nullptr &&
                             table->pfnEnumPorts == nullptr,
                         "a language monitor's table: OpenPortEx, no ports of its own")) {
            CheckJobPassesThrough(*table, monitor, report);
            CheckRefusals(*table, monitor, report);
            table->pfnShutdown(monitor);
        }
    }
    FreeLibrary(module);
}

}  // namespace kvt::package_check
