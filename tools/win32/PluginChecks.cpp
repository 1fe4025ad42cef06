#include "tools/win32/PluginChecks.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "tools/win32/HostReport.h"

namespace kvt::host {
namespace {

constexpr DWORD kUntouched = 0xDEADBEEF;

// A device-mode record as the host holds it: the five numbers, laid out as
// the plug-in's 20-byte private part.
struct Record {
    DWORD size, signature, version, value1, value2;
};

std::string RecordText(const Record& r) {
    return "{" + std::to_string(r.size) + ", " + Hex(r.signature) + ", " + std::to_string(r.version) + ", " +
           std::to_string(r.value1) + ", " + std::to_string(r.value2) + "}";
}

std::string NeededText(DWORD needed) {
    return needed == kUntouched ? std::string("untouched") : std::to_string(needed);
}

void ReportGetInfo(oemui::IPrintOemUI& plugin, const char* what, DWORD mode, DWORD bufferSize) {
    BYTE buffer[8] = {};
    DWORD needed = kUntouched;
    ::SetLastError(0);
    const HRESULT result = plugin.GetInfo(mode, buffer, bufferSize, &needed);
    const DWORD error = ::GetLastError();
    std::string text = ResultWithError(result, error) + " needed " + NeededText(needed);
    if (SUCCEEDED(result)) {
        DWORD value = 0;
        std::memcpy(&value, buffer, sizeof value);
        text += " value " + Hex(value);
    }
    Report(std::string("GetInfo ") + what, text);
}

void ReportDevMode(oemui::IPrintOemUI& plugin, const char* what, DWORD mode, const Record* in, Record* out) {
    oemui::OemDmParam param{};
    param.cbSize = sizeof param;
    param.pOEMDMIn = const_cast<Record*>(in);
    param.pOEMDMOut = out;
    ::SetLastError(0);
    const HRESULT result = plugin.DevMode(mode, &param);
    const DWORD error = ::GetLastError();
    std::string text = ResultWithError(result, error);
    if (mode == 1) text += " size " + std::to_string(param.cbBufSize);
    if (out != nullptr && mode != 1) text += " record " + RecordText(*out);
    Report(std::string("DevMode ") + what, text);
}

}  // namespace

void CheckGetInfo(oemui::IPrintOemUI& plugin) {
    ReportGetInfo(plugin, "signature", 1, 4);
    ReportGetInfo(plugin, "version", 3, 4);
    ReportGetInfo(plugin, "signature into 3 bytes", 1, 3);
    ReportGetInfo(plugin, "interface version", 2, 4);
    ReportGetInfo(plugin, "publisher info", 4, 4);
}

void CheckDevMode(oemui::IPrintOemUI& plugin) {
    ReportDevMode(plugin, "size", 1, nullptr, nullptr);
    Record out{7, 7, 7, 7, 7};
    ReportDevMode(plugin, "default", 2, nullptr, &out);
    const Record foreign{20, 0x12345678, 1, 5, 6};
    out = {20, 0x4D534654, 1, 9, 9};
    ReportDevMode(plugin, "convert another signature", 3, &foreign, &out);
    const Record tooLarge{20, 0x4D534654, 1, 101, 100};
    out = {20, 0x4D534654, 1, 0, 0};
    ReportDevMode(plugin, "merge 101 and 100", 4, &tooLarge, &out);
    ReportDevMode(plugin, "mode 5", 5, nullptr, &out);
}

void CheckQueryColorProfile(oemui::IPrintOemUI& plugin) {
    for (ULONG size : {31UL, 32UL}) {
        BYTE buffer[64] = {};
        ULONG cb = size;
        FLONG flags = 0;
        ::SetLastError(0);
        const HRESULT result = plugin.QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer, &cb, &flags);
        const DWORD error = ::GetLastError();
        std::string text = ResultWithError(result, error) + " size " + std::to_string(cb);
        if (SUCCEEDED(result))
            text += " profile " + Quoted(Utf8(reinterpret_cast<const wchar_t*>(buffer))) + " flags " +
                    std::to_string(flags);
        Report("QueryColorProfile into " + std::to_string(size) + " bytes", text);
    }
    ULONG cb = 32;
    Report("QueryColorProfile of query mode 1",
           ResultText(plugin.QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 1, nullptr, &cb, nullptr)));
}

void CheckCommonUIProp(oemui::IPrintOemUI& plugin) {
    oemui::OptItem items[3] = {};
    items[0].Flags = 0;
    items[1].Flags = 0x20;  // disabled
    items[2].Flags = 0x2;   // already hidden
    oemui::OemCuipParam param{};
    param.cbSize = sizeof param;
    param.pDrvOptItems = items;
    param.cDrvOptItems = 3;
    for (DWORD mode : {1UL, 2UL, 3UL}) {
        ::SetLastError(0);
        const HRESULT result = plugin.CommonUIProp(mode, &param);
        const DWORD error = ::GetLastError();
        Report("CommonUIProp mode " + std::to_string(mode),
               ResultWithError(result, error) + " item flags " + Hex(items[0].Flags) + " " + Hex(items[1].Flags) +
                   " " + Hex(items[2].Flags));
    }
}

void CheckUnimplemented(oemui::IPrintOemUI& plugin) {
    DWORD capability = 0;
    Report("DevQueryPrintEx", ResultText(plugin.DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr)));
    Report("DeviceCapabilities",
           ResultText(plugin.DeviceCapabilities(nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0,
                                                &capability)));
    Report("UpgradePrinter", ResultText(plugin.UpgradePrinter(1, nullptr)));
    Report("DriverEvent", ResultText(plugin.DriverEvent(1, 3, nullptr, 0)));
    Report("FontInstallerDlgProc", ResultText(plugin.FontInstallerDlgProc(nullptr, WM_INITDIALOG, 0, 0)));
    Report("UpdateExternalFonts", ResultText(plugin.UpdateExternalFonts(nullptr, nullptr, nullptr)));
}

void CheckSheetReasons(oemui::IPrintOemUI& plugin) {
    oemui::PropSheetUiInfo info{};
    info.cbSize = sizeof info;
    info.Version = 0x101;
    info.Result = 12345;
    ::SetLastError(0);
    HRESULT result = plugin.DocumentPropertySheets(&info, 0);
    Report("DocumentPropertySheets of version 0x0101",
           ResultWithError(result, ::GetLastError()) + " Result " + std::to_string(info.Result));

    info.Version = 0x100;
    info.Reason = 1;
    oemui::PropSheetUiInfoHeader header{};
    header.cbSize = sizeof header;
    result = plugin.DocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&header));
    Report("DocumentPropertySheets GET_INFO_HEADER",
           ResultText(result) + " Result " + std::to_string(info.Result) + " title " + Quoted(Utf8(header.pTitle)));

    info.Reason = 2;
    result = plugin.DevicePropertySheets(&info, 0);
    Report("DevicePropertySheets DESTROY", ResultText(result) + " Result " + std::to_string(info.Result));

    info.Reason = 3;
    oemui::SetResultInfo setResult{};
    setResult.cbSize = sizeof setResult;
    setResult.Result = 7;
    result = plugin.DevicePropertySheets(&info, reinterpret_cast<LPARAM>(&setResult));
    Report("DevicePropertySheets SET_RESULT 7", ResultText(result) + " Result " + std::to_string(info.Result));

    info.Reason = 4;
    result = plugin.DocumentPropertySheets(&info, 0);
    Report("DocumentPropertySheets GET_ICON", ResultText(result) + " Result " + std::to_string(info.Result));
}

}  // namespace kvt::host
