// The driver package against a real spooler, the way the installer registers
// it on a 64-bit system before Vista: the package folder's files staged into
// the driver directory, the language monitor DLL into the Windows directory,
// the print processor DLL into its directory; then the monitor (level 2),
// the print processor, the driver (level 3, bare file names) and a printer
// on COM2:. Every call's result goes into the report as "CALL name: code N",
// so what the spooler did stays visible beside the checks.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/package/wine/PackageChecks.h"

namespace kvt::package_check {
namespace {

constexpr const char* kEnvironment = "Windows x64";
constexpr const char* kDriver = "NORVEX KVT-580duo";
constexpr const char* kMonitor = "NVX Language Monitor KVT580duo";
constexpr const char* kMonitorDll = "MON580D.dll";
constexpr const char* kProcessor = "NVX PRINT PROCESSOR KVT580duo";
constexpr const char* kProcessorDll = "PRO580D.dll";
constexpr const char* kStagedFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "KVT580D.dll",
                                        "UI580D.dll", "UNI580D.dll",  "UI580D.INI", "KVT580D.GPD", "STDNAMES.GPD"};
// Each name ends with a zero, the list with one more.
constexpr char kDependentFiles[] = "UNIRES.DLL\0STDNAMES.GPD\0KVT580D.DLL\0UI580D.DLL\0UNI580D.DLL\0UI580D.INI\0";

std::uint32_t Outcome(BOOL succeeded) { return succeeded ? ERROR_SUCCESS : GetLastError(); }

void Call(std::uint32_t code, const char* name) {
    const std::string line = std::string("CALL ") + name + ": code " + std::to_string(code) + "\n";
    std::fputs(line.c_str(), stdout);
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

std::string DriverDirectory() {
    char buffer[MAX_PATH] = {};
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer), MAX_PATH, &needed);
    return buffer;
}

std::string ProcessorDirectory() {
    char buffer[MAX_PATH] = {};
    DWORD needed = 0;
    GetPrintProcessorDirectoryA(nullptr, const_cast<char*>(kEnvironment), 1, reinterpret_cast<BYTE*>(buffer),
                                MAX_PATH, &needed);
    return buffer;
}

bool CopyInto(const std::string& package, const std::string& name, const std::string& folder,
              probe::ProbeReport& report) {
    const std::string source = package + "\\" + name;
    const std::string target = folder + "\\" + name;
    return report.code(Outcome(CopyFileA(source.c_str(), target.c_str(), FALSE)), ERROR_SUCCESS,
                       "copy " + name + " to " + folder);
}

void StageFiles(const std::string& package, probe::ProbeReport& report) {
    const std::string drivers = DriverDirectory();
    report.check(!drivers.empty(), "the driver directory is known", drivers);
    for (const char* name : kStagedFiles) CopyInto(package, name, drivers, report);
}

void RegisterMonitor(const std::string& package, probe::ProbeReport& report) {
    CopyInto(package, kMonitorDll, WindowsDirectory(), report);
    MONITOR_INFO_2A monitor{};
    monitor.pName = const_cast<char*>(kMonitor);
    monitor.pEnvironment = const_cast<char*>(kEnvironment);
    monitor.pDLLName = const_cast<char*>(kMonitorDll);
    const std::uint32_t first = Outcome(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&monitor)));
    Call(first, "AddMonitorA level 2");
    report.code(first, ERROR_SUCCESS, "the language monitor is registered");
    const std::uint32_t again = Outcome(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&monitor)));
    Call(again, "AddMonitorA level 2, again");
    report.code(again, ERROR_PRINT_MONITOR_ALREADY_INSTALLED, "a second registration says it is there already");
}

void RegisterProcessor(const std::string& package, probe::ProbeReport& report) {
    CopyInto(package, kProcessorDll, ProcessorDirectory(), report);
    const std::uint32_t code =
        Outcome(AddPrintProcessorA(nullptr, const_cast<char*>(kEnvironment), const_cast<char*>(kProcessorDll),
                                   const_cast<char*>(kProcessor)));
    Call(code, "AddPrintProcessorA");
    report.code(code, ERROR_SUCCESS, "the print processor is registered");
}

bool RegisterDriver(probe::ProbeReport& report) {
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pEnvironment = const_cast<char*>(kEnvironment);
    driver.pDriverPath = const_cast<char*>("UNIDRV.DLL");
    driver.pDataFile = const_cast<char*>("KVT580D.GPD");
    driver.pConfigFile = const_cast<char*>("UNIDRVUI.DLL");
    driver.pHelpFile = const_cast<char*>("UNIDRV.HLP");
    driver.pDependentFiles = const_cast<char*>(kDependentFiles);
    driver.pMonitorName = const_cast<char*>(kMonitor);
    driver.pDefaultDataType = const_cast<char*>("RAW");
    const std::uint32_t code = Outcome(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)));
    Call(code, "AddPrinterDriverA level 3");
    return report.code(code, ERROR_SUCCESS, "the printer driver is registered");
}

bool CreatePrinter(probe::ProbeReport& report) {
    PRINTER_INFO_2A printer{};
    printer.pPrinterName = const_cast<char*>(kDriver);
    printer.pPortName = const_cast<char*>("COM2:");
    printer.pDriverName = const_cast<char*>(kDriver);
    printer.pPrintProcessor = const_cast<char*>(kProcessor);
    printer.pDatatype = const_cast<char*>("RAW");
    printer.Attributes = 0x1800;
    printer.Priority = 1;
    printer.Status = 0x80;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    const std::uint32_t code = handle != nullptr ? ERROR_SUCCESS : GetLastError();
    Call(code, "AddPrinterA level 2 on COM2:");
    if (handle != nullptr) ClosePrinter(handle);
    return report.code(code, ERROR_SUCCESS, "the printer is created");
}

}  // namespace

void CheckRegistration(const std::string& package, probe::ProbeReport& report) {
    StageFiles(package, report);
    RegisterMonitor(package, report);
    RegisterProcessor(package, report);
    if (!RegisterDriver(report)) return;
    if (!CreatePrinter(report)) return;
    CheckRegisteredObjects(report);
}

}  // namespace kvt::package_check
