// The language monitor of the NORVEX KVT-580duo. A language monitor sits
// between the spooler and the port monitor of the printer's port; this one
// adds nothing to the data stream and hands every call to the port monitor
// as it came, so a job reaches the printer byte for byte.
#include <windows.h>
#include <winsplp.h>

namespace {

// One open port: the port monitor's own handle and its function table.
struct PassThroughPort {
    HANDLE portHandle;
    MONITOR2* portMonitor;
};

PassThroughPort* PortOf(HANDLE handle) { return static_cast<PassThroughPort*>(handle); }

BOOL Refuse(DWORD code) {
    SetLastError(code);
    return FALSE;
}

BOOL WINAPI OpenPortEx(HANDLE, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR, PHANDLE pHandle,
                       MONITOR2* pMonitor2) {
    if (pHandle == nullptr || pMonitor2 == nullptr || pMonitor2->pfnOpenPort == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    HANDLE portHandle = nullptr;
    if (!pMonitor2->pfnOpenPort(hMonitorPort, pPortName, &portHandle)) return FALSE;
    auto* port = static_cast<PassThroughPort*>(HeapAlloc(GetProcessHeap(), 0, sizeof(PassThroughPort)));
    if (port == nullptr) {
        if (pMonitor2->pfnClosePort != nullptr) pMonitor2->pfnClosePort(portHandle);
        return Refuse(ERROR_NOT_ENOUGH_MEMORY);
    }
    *port = PassThroughPort{portHandle, pMonitor2};
    *pHandle = port;
    return TRUE;
}

BOOL WINAPI StartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD jobId, DWORD level, LPBYTE pDocInfo) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    if (port->portMonitor->pfnStartDocPort == nullptr) return TRUE;
    return port->portMonitor->pfnStartDocPort(port->portHandle, pPrinterName, jobId, level, pDocInfo);
}

BOOL WINAPI WritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    if (port->portMonitor->pfnWritePort == nullptr) return Refuse(ERROR_NOT_SUPPORTED);
    return port->portMonitor->pfnWritePort(port->portHandle, pBuffer, cbBuf, pcbWritten);
}

BOOL WINAPI ReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    if (port->portMonitor->pfnReadPort == nullptr) return Refuse(ERROR_NOT_SUPPORTED);
    return port->portMonitor->pfnReadPort(port->portHandle, pBuffer, cbBuffer, pcbRead);
}

BOOL WINAPI EndDocPort(HANDLE hPort) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    if (port->portMonitor->pfnEndDocPort == nullptr) return TRUE;
    return port->portMonitor->pfnEndDocPort(port->portHandle);
}

BOOL WINAPI ClosePort(HANDLE hPort) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    BOOL closed = TRUE;
    if (port->portMonitor->pfnClosePort != nullptr) closed = port->portMonitor->pfnClosePort(port->portHandle);
    HeapFree(GetProcessHeap(), 0, port);
    return closed;
}

BOOL WINAPI GetPrinterDataFromPort(HANDLE hPort, DWORD controlId, LPWSTR pValueName, LPWSTR lpInBuffer,
                                   DWORD cbInBuffer, LPWSTR lpOutBuffer, DWORD cbOutBuffer,
                                   LPDWORD lpcbReturned) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    if (port->portMonitor->pfnGetPrinterDataFromPort == nullptr) return Refuse(ERROR_NOT_SUPPORTED);
    return port->portMonitor->pfnGetPrinterDataFromPort(port->portHandle, controlId, pValueName, lpInBuffer,
                                                        cbInBuffer, lpOutBuffer, cbOutBuffer, lpcbReturned);
}

BOOL WINAPI SetPortTimeOuts(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD reserved) {
    PassThroughPort* port = PortOf(hPort);
    if (port == nullptr) return Refuse(ERROR_INVALID_HANDLE);
    if (port->portMonitor->pfnSetPortTimeOuts == nullptr) return Refuse(ERROR_NOT_SUPPORTED);
    return port->portMonitor->pfnSetPortTimeOuts(port->portHandle, lpCTO, reserved);
}

// The monitor keeps no state of its own beyond the open ports.
VOID WINAPI Shutdown(HANDLE) {}

MONITOR2 MakeMonitorTable() {
    MONITOR2 table{};
    table.cbSize = sizeof(MONITOR2);
    table.pfnOpenPortEx = OpenPortEx;
    table.pfnStartDocPort = StartDocPort;
    table.pfnWritePort = WritePort;
    table.pfnReadPort = ReadPort;
    table.pfnEndDocPort = EndDocPort;
    table.pfnClosePort = ClosePort;
    table.pfnGetPrinterDataFromPort = GetPrinterDataFromPort;
    table.pfnSetPortTimeOuts = SetPortTimeOuts;
    table.pfnShutdown = Shutdown;
    return table;
}

MONITOR2 gMonitorTable = MakeMonitorTable();

}  // namespace

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT pMonitorInit, PHANDLE phMonitor) {
    if (pMonitorInit == nullptr || phMonitor == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The handle only has to be distinct and stable: nothing is kept per spooler.
    *phMonitor = static_cast<HANDLE>(&gMonitorTable);
    return &gMonitorTable;
}
