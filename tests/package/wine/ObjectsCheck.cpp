// What the spooler lists after the registration: the monitor with its DLL,
// the driver with its version-folder files, dependent files and monitor, and
// the printer on its port with the product's processor.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/package/wine/PackageChecks.h"

namespace kvt::package_check {
namespace {

constexpr const char* kDriver = "NORVEX KVT-580duo";
constexpr const char* kMonitor = "NVX Language Monitor KVT580duo";
constexpr const char* kProcessor = "NVX PRINT PROCESSOR KVT580duo";

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           lstrcmpiA(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

// The usual two calls: the size, then the records.
template <typename Enumerate>
std::vector<BYTE> Enumerated(Enumerate enumerate, DWORD& count) {
    DWORD needed = 0;
    count = 0;
    enumerate(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !enumerate(buffer.data(), needed, &needed, &count)) count = 0;
    return buffer;
}

void CheckMonitorListed(probe::ProbeReport& report) {
    DWORD count = 0;
    const std::vector<BYTE> buffer = Enumerated(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumMonitorsA(nullptr, 2, data, size, needed, returned);
        },
        count);
    const auto* monitors = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (monitors[i].pName == nullptr || std::strcmp(monitors[i].pName, kMonitor) != 0) continue;
        const std::string dll = monitors[i].pDLLName != nullptr ? monitors[i].pDLLName : "";
        report.check(lstrcmpiA(dll.c_str(), "MON580D.dll") == 0, "the monitor is listed with its DLL", dll);
        return;
    }
    report.check(false, "the monitor is listed", std::to_string(count) + " monitors");
}

void CheckProcessorListed(probe::ProbeReport& report) {
    DWORD count = 0;
    const std::vector<BYTE> buffer = Enumerated(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintProcessorsA(nullptr, nullptr, 1, data, size, needed, returned);
        },
        count);
    const auto* processors = reinterpret_cast<const PRINTPROCESSOR_INFO_1A*>(buffer.data());
    std::string names;
    bool listed = false;
    for (DWORD i = 0; i < count; ++i) {
        names += std::string(names.empty() ? "" : ", ") + processors[i].pName;
        listed = listed || std::strcmp(processors[i].pName, kProcessor) == 0;
    }
    report.check(listed, "the print processor is listed", names);
}

std::vector<std::string> Names(const char* list) {
    std::vector<std::string> names;
    for (; list != nullptr && *list != '\0'; list += std::strlen(list) + 1) names.emplace_back(list);
    return names;
}

void CheckDriverRecord(const DRIVER_INFO_3A& driver, probe::ProbeReport& report) {
    report.check(driver.cVersion == 3, "the driver is version 3", std::to_string(driver.cVersion));
    report.check(EndsWithNoCase(driver.pDriverPath, "\\3\\UNIDRV.DLL"), "its driver file is in the version folder",
                 driver.pDriverPath);
    report.check(EndsWithNoCase(driver.pDataFile, "\\3\\KVT580D.GPD"), "its data file is the GPD", driver.pDataFile);
    report.check(EndsWithNoCase(driver.pConfigFile, "\\3\\UNIDRVUI.DLL"), "its configuration file",
                 driver.pConfigFile);
    report.check(driver.pMonitorName != nullptr && std::strcmp(driver.pMonitorName, kMonitor) == 0,
                 "it names the language monitor");
    const std::vector<std::string> dependent = Names(driver.pDependentFiles);
    report.check(dependent.size() == 6, "six dependent files", std::to_string(dependent.size()));
    bool plugin = false;
    for (const std::string& name : dependent) plugin = plugin || EndsWithNoCase(name, "UI580D.DLL");
    report.check(plugin, "the plug-in is among them");
}

void CheckDriverListed(probe::ProbeReport& report) {
    DWORD count = 0;
    const std::vector<BYTE> buffer = Enumerated(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, nullptr, 3, data, size, needed, returned);
        },
        count);
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (drivers[i].pName != nullptr && std::strcmp(drivers[i].pName, kDriver) == 0)
            return CheckDriverRecord(drivers[i], report);
    report.check(false, "the driver is listed", std::to_string(count) + " drivers");
}

void CheckPrinter(probe::ProbeReport& report) {
    HANDLE printer = nullptr;
    if (!report.check(OpenPrinterA(const_cast<char*>(kDriver), &printer, nullptr) != 0, "the printer opens")) return;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (report.check(needed != 0 && GetPrinterA(printer, 2, buffer.data(), needed, &needed) != 0,
                     "GetPrinterA level 2")) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        report.check(std::strcmp(info->pPortName, "COM2:") == 0, "the printer is on COM2:", info->pPortName);
        report.check(std::strcmp(info->pDriverName, kDriver) == 0, "with the product's driver", info->pDriverName);
        const std::string processor = info->pPrintProcessor != nullptr ? info->pPrintProcessor : "";
        report.check(processor == kProcessor, "and the product's print processor", processor);
        report.check(info->Attributes == 0x1800, "bidirectional, raw data only (0x1800)",
                     std::to_string(info->Attributes));
    }
    ClosePrinter(printer);
}

}  // namespace

void CheckRegisteredObjects(probe::ProbeReport& report) {
    CheckMonitorListed(report);
    CheckProcessorListed(report);
    CheckDriverListed(report);
    CheckPrinter(report);
}

}  // namespace kvt::package_check
