// A substitute for the printer driver's user-interface host: loads the
// plug-in, drives its class factory and object as the host does, prepares a
// printer through PrinterEvent and shows the plug-in's pages in a real
// property sheet. Every result is printed as a "name: value" line.
//
//   kvt_plugin_host.exe PATH\UI580D.dll [--auto]
//
// --auto creates every page, reports it and closes the sheets by itself;
// without it the sheets stay until the user closes them.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"
#include "platform/win32/Handles.h"
#include "tools/win32/HostDriverInterface.h"
#include "tools/win32/HostPageScript.h"
#include "tools/win32/HostPrinter.h"
#include "tools/win32/HostPropertySheet.h"
#include "tools/win32/HostReport.h"
#include "tools/win32/PluginChecks.h"

namespace kvt::host {
namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

// {0E6C3A1B-5B7E-4C2D-9A34-7D1F0B2C5E61}: a class the plug-in does not serve.
constexpr GUID kOtherClass = {0x0E6C3A1B, 0x5B7E, 0x4C2D, {0x9A, 0x34, 0x7D, 0x1F, 0x0B, 0x2C, 0x5E, 0x61}};

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

void ReportProductVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<BYTE> data(size);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&text),
                          &length)) {
        Report("ProductVersion", "missing");
        return;
    }
    Report("ProductVersion", Quoted(Utf8(text)));
}

struct Exports {
    GetClassObjectFunction getClassObject;
    CanUnloadNowFunction canUnloadNow;
};

IClassFactory* ClassFactory(const Exports& exports) {
    void* factory = nullptr;
    const HRESULT result = exports.getClassObject(oemui::kClassId, IID_IClassFactory, &factory);
    Report("DllGetClassObject", ResultText(result));
    return SUCCEEDED(result) ? static_cast<IClassFactory*>(factory) : nullptr;
}

void CheckClassFactory(const Exports& exports) {
    void* const marker = reinterpret_cast<void*>(1);
    void* object = marker;
    const HRESULT refused = exports.getClassObject(kOtherClass, IID_IClassFactory, &object);
    Report("DllGetClassObject of another class",
           ResultText(refused) + (object == marker ? " object untouched" : " object changed"));
    IClassFactory* factory = ClassFactory(exports);
    if (factory == nullptr) return;
    object = marker;
    const HRESULT noInterface = factory->QueryInterface(oemui::kIidPrintOemUI, &object);
    Report("IClassFactory QueryInterface IPrintOemUI",
           ResultText(noInterface) + (object == nullptr ? " object null" : " object set"));
    HostDriverInterface outer;
    Report("CreateInstance with an outer object",
           ResultText(factory->CreateInstance(&outer, oemui::kIidPrintOemUI, &object)));
    factory->LockServer(TRUE);
    factory->Release();
    Report("DllCanUnloadNow with a server lock", ResultText(exports.canUnloadNow()));
    factory = ClassFactory(exports);
    if (factory == nullptr) return;
    factory->LockServer(FALSE);
    factory->Release();
    Report("DllCanUnloadNow without lock or object", ResultText(exports.canUnloadNow()));
}

oemui::IPrintOemUI* CreatePlugin(const Exports& exports) {
    IClassFactory* factory = ClassFactory(exports);
    if (factory == nullptr) return nullptr;
    void* object = nullptr;
    const HRESULT result = factory->CreateInstance(nullptr, oemui::kIidPrintOemUI, &object);
    Report("CreateInstance IPrintOemUI", ResultText(result));
    factory->Release();
    return SUCCEEDED(result) ? static_cast<oemui::IPrintOemUI*>(object) : nullptr;
}

void CheckDriverInterface(oemui::IPrintOemUI& plugin, HostDriverInterface& driver, HostDriverInterface& second) {
    Report("PublishDriverInterface", ResultText(plugin.PublishDriverInterface(&driver)));
    Report("PublishDriverInterface again", ResultText(plugin.PublishDriverInterface(&second)));
    Report("driver interface references held",
           std::to_string(driver.references()) + " first, " + std::to_string(second.references()) + " second");
}

void CheckPrinterEvent(oemui::IPrintOemUI& plugin, HostPrinter& printer) {
    printer.reportSettings("printer before PrinterEvent");
    wchar_t name[128] = {};
    lstrcpynW(name, kHostPrinterName, static_cast<int>(std::size(name)));
    Report("PrinterEvent PRINTER_EVENT_ADD_CONNECTION", ResultText(plugin.PrinterEvent(name, 1, 0, 0)));
    printer.reportSettings("printer after PRINTER_EVENT_ADD_CONNECTION");
    Report("PrinterEvent PRINTER_EVENT_INITIALIZE", ResultText(plugin.PrinterEvent(name, 3, 0, 0)));
    printer.reportSettings("printer after PRINTER_EVENT_INITIALIZE");
}

// INIT of one sheet method: the pages it adds, then the sheet that shows them.
template <typename Method>
void ShowSheet(oemui::IPrintOemUI& plugin, Method method, const char* methodName, const wchar_t* caption,
               HANDLE printer, bool automatic, HostPropertySheet::Script script) {
    wchar_t name[128] = {};
    lstrcpynW(name, kHostPrinterName, static_cast<int>(std::size(name)));
    oemui::OemUiPsParam param{};
    param.cbSize = sizeof param;
    param.hPrinter = printer;
    param.pPrinterName = name;
    HostPropertySheet sheet;
    oemui::PropSheetUiInfo info = sheet.request(0, reinterpret_cast<LPARAM>(&param));
    const HRESULT result = (plugin.*method)(&info, 0);
    Report(std::string(methodName) + " INIT", ResultText(result) + " Result " +
                                                   std::to_string(static_cast<LONG_PTR>(info.Result)) + " pages " +
                                                   std::to_string(sheet.pageCount()));
    sheet.show(caption, automatic, script);
}

// The user's steps on the document sheet: the paper-size dialog opened and
// closed, then the document settings changed and applied.
void EditDocumentSheet(HWND sheet) {
    ShowUserPaperSizeDialog(sheet);
    EditDocumentSettings(sheet);
}

void PictureOfVersionPage(HWND sheet) { PauseForPicture(sheet, "version"); }

int Run(const std::wstring& path, bool automatic) {
    ReportProductVersion(path);
    win32::UniqueModule module(::LoadLibraryW(path.c_str()));
    if (!module) {
        Report("LoadLibrary", "error " + std::to_string(::GetLastError()));
        return 1;
    }
    Report("LoadLibrary", "ok");
    const Exports exports{Export<GetClassObjectFunction>(module.get(), "DllGetClassObject"),
                          Export<CanUnloadNowFunction>(module.get(), "DllCanUnloadNow")};
    if (exports.getClassObject == nullptr || exports.canUnloadNow == nullptr) {
        Report("exports", "missing");
        return 1;
    }
    CheckClassFactory(exports);

    oemui::IPrintOemUI* plugin = CreatePlugin(exports);
    if (plugin == nullptr) return 1;
    Report("DllCanUnloadNow with a live object", ResultText(exports.canUnloadNow()));

    HostDriverInterface driver, second;
    CheckDriverInterface(*plugin, driver, second);
    CheckGetInfo(*plugin);
    CheckDevMode(*plugin);
    CheckQueryColorProfile(*plugin);
    CheckCommonUIProp(*plugin);
    CheckUnimplemented(*plugin);
    CheckSheetReasons(*plugin);

    {
        HostPrinter printer;
        if (printer.create(path)) {
            CheckPrinterEvent(*plugin, printer);
            ShowSheet(*plugin, &oemui::IPrintOemUI::DocumentPropertySheets, "DocumentPropertySheets",
                      L"KVT-580duo Printing Preferences", printer.handle(), automatic, EditDocumentSheet);
            ReportPrinterData(printer.handle(), L"MISC");
            ReportPrinterData(printer.handle(), L"StartDoc");
            ReportDefaultDevMode(printer.handle());
            ShowSheet(*plugin, &oemui::IPrintOemUI::DevicePropertySheets, "DevicePropertySheets",
                      L"KVT-580duo Properties", printer.handle(), automatic, PictureOfVersionPage);
        }
    }

    Report("Release of the plug-in object", std::to_string(plugin->Release()));
    Report("driver interface references after the release", std::to_string(driver.references()));
    Report("DllCanUnloadNow after the last release", ResultText(exports.canUnloadNow()));
    return 0;
}

}  // namespace
}  // namespace kvt::host

int main() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (args == nullptr || count < 2) {
        kvt::host::Report("usage", "kvt_plugin_host.exe PATH\\UI580D.dll [--auto]");
        return 2;
    }
    const std::wstring path = args[1];
    const bool automatic = count > 2 && std::wstring(args[2]) == L"--auto";
    ::LocalFree(args);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    return kvt::host::Run(path, automatic);
}
