#include "tools/win32/HostPrinter.h"

#include <winspool.h>

#include <vector>

#include "tools/win32/HostReport.h"

namespace kvt::host {
namespace {

constexpr const wchar_t* kEnvironment = L"Windows x64";  // the host is a 64-bit program
constexpr const wchar_t* kDriverName = L"NORVEX KVT-580duo";
constexpr const wchar_t* kProcessorName = L"NVX PRINT PROCESSOR KVT580duo";
constexpr const wchar_t* kProcessorDll = L"PRO580D.dll";
// The driver's files that are not the plug-in: only their names matter here.
constexpr const wchar_t* kStandInFiles[] = {L"UNIDRV.DLL",   L"UNIDRVUI.DLL", L"UNIDRV.HLP",  L"KVT580D.GPD",
                                            L"UNIRES.DLL",   L"STDNAMES.GPD", L"KVT580D.DLL", L"UNI580D.DLL",
                                            L"UI580D.INI"};

bool WriteStandIn(const std::wstring& path) {
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    static const char content[] = "stand-in of a driver file\r\n";
    DWORD written = 0;
    return ::WriteFile(file.get(), content, sizeof content - 1, &written, nullptr) != FALSE;
}

std::wstring Directory(BOOL(WINAPI* query)(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD)) {
    std::vector<BYTE> buffer(MAX_PATH * sizeof(wchar_t) * 2);
    DWORD needed = 0;
    if (!query(nullptr, const_cast<LPWSTR>(kEnvironment), 1, buffer.data(), static_cast<DWORD>(buffer.size()),
               &needed))
        return {};
    return reinterpret_cast<const wchar_t*>(buffer.data());
}

std::string ErrorText(BOOL ok) { return ok ? "ok" : "error " + std::to_string(::GetLastError()); }

// A REG_DWORD printer data value, or "missing (code)".
std::string DwordValue(HANDLE printer, const wchar_t* name) {
    DWORD type = 0, value = 0, needed = 0;
    const DWORD error = ::GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, reinterpret_cast<BYTE*>(&value),
                                          sizeof value, &needed);
    if (error != ERROR_SUCCESS) return "missing (" + std::to_string(error) + ")";
    if (type != REG_DWORD || needed != sizeof value) return "type " + std::to_string(type);
    return std::to_string(value);
}

}  // namespace

bool HostPrinter::create(const std::wstring& pluginPath) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    staging_ = std::wstring(temp) + L"kvt-plugin-host";
    ::CreateDirectoryW(staging_.c_str(), nullptr);
    for (const wchar_t* name : kStandInFiles) WriteStandIn(staging_ + L"\\" + name);
    const std::wstring pluginCopy = staging_ + L"\\UI580D.DLL";
    Report("stage the plug-in among the driver files", ErrorText(::CopyFileW(pluginPath.c_str(), pluginCopy.c_str(), FALSE)));

    // The product's print processor, where the spooler takes a stand-in DLL.
    const std::wstring processors = Directory(::GetPrintProcessorDirectoryW);
    if (!processors.empty()) {
        processorFile_ = processors + L"\\" + kProcessorDll;
        WriteStandIn(processorFile_);
        processorAdded_ = ::AddPrintProcessorW(nullptr, const_cast<LPWSTR>(kEnvironment),
                                               const_cast<LPWSTR>(kProcessorDll),
                                               const_cast<LPWSTR>(kProcessorName)) != FALSE;
        Report("AddPrintProcessorW", ErrorText(processorAdded_));
    }

    auto staged = [this](const wchar_t* name) { return staging_ + L"\\" + name; };
    std::wstring driverPath = staged(L"UNIDRV.DLL"), dataFile = staged(L"KVT580D.GPD"),
                 configFile = staged(L"UNIDRVUI.DLL"), helpFile = staged(L"UNIDRV.HLP");
    std::wstring dependents;
    for (const wchar_t* name : {L"UNIRES.DLL", L"STDNAMES.GPD", L"KVT580D.DLL", L"UI580D.DLL", L"UNI580D.DLL",
                                L"UI580D.INI"}) {
        dependents += staged(name);
        dependents += L'\0';
    }
    dependents += L'\0';
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(kDriverName);
    driver.pEnvironment = const_cast<LPWSTR>(kEnvironment);
    driver.pDriverPath = driverPath.data();
    driver.pDataFile = dataFile.data();
    driver.pConfigFile = configFile.data();
    driver.pHelpFile = helpFile.data();
    driver.pDependentFiles = dependents.data();
    driver.pDefaultDataType = const_cast<LPWSTR>(L"RAW");
    driverAdded_ = ::AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver)) != FALSE;
    Report("AddPrinterDriverW", ErrorText(driverAdded_));
    if (!driverAdded_) return false;

    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<LPWSTR>(kHostPrinterName);
    info.pPortName = const_cast<LPWSTR>(L"COM1:");
    info.pDriverName = const_cast<LPWSTR>(kDriverName);
    info.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    info.Attributes = kHostPrinterAttributes;
    info.Priority = 1;
    printer_.reset(::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info)));
    Report("AddPrinterW", ErrorText(static_cast<bool>(printer_)));
    return static_cast<bool>(printer_);
}

void HostPrinter::reportSettings(const std::string& prefix) const {
    DWORD needed = 0;
    ::GetPrinterW(printer_.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !::GetPrinterW(printer_.get(), 2, buffer.data(), needed, &needed)) {
        Report(prefix + " GetPrinterW", "error " + std::to_string(::GetLastError()));
        return;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    Report(prefix + " attributes", Hex(info->Attributes));
    Report(prefix + " print processor", Quoted(Utf8(info->pPrintProcessor)));
    std::string versions;
    for (const wchar_t* name : {L"MajorVersion", L"MinorVersion", L"BuildVersion", L"ExtraVersion"})
        versions += (versions.empty() ? "" : ", ") + DwordValue(printer_.get(), name);
    Report(prefix + " version values", versions);
}

HostPrinter::~HostPrinter() {
    if (printer_) ::DeletePrinter(printer_.get());
    printer_.reset();
    if (driverAdded_)
        ::DeletePrinterDriverW(nullptr, const_cast<LPWSTR>(kEnvironment), const_cast<LPWSTR>(kDriverName));
    if (processorAdded_)
        ::DeletePrintProcessorW(nullptr, const_cast<LPWSTR>(kEnvironment), const_cast<LPWSTR>(kProcessorName));
    if (!processorFile_.empty()) ::DeleteFileW(processorFile_.c_str());
    if (staging_.empty()) return;
    for (const wchar_t* name : kStandInFiles) ::DeleteFileW((staging_ + L"\\" + name).c_str());
    ::DeleteFileW((staging_ + L"\\UI580D.DLL").c_str());
    ::RemoveDirectoryW(staging_.c_str());
}

}  // namespace kvt::host
