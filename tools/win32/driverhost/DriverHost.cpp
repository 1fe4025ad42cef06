// kvt_driver_host UNI580D.dll PRO580D.dll: stands in for the universal
// printer driver and the spooler around the printer's own binaries. It
// loads the rendering plug-in, calls it in the order the driver does for a
// two-page job on a printer whose Document Settings are stored, and reports
// the bytes the plug-in writes through the driver's DrvWriteSpoolBuf; then
// it loads the print processor and reports what its exports answer. One
// "name: value" line per result (HostReport.h).
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "driversrc/kvt-580duo/DrvRender/RenderAnswers.h"
#include "driversrc/kvt-580duo/DrvRender/RenderCallbacks.h"
#include "driversrc/kvt-580duo/DrvRender/win32/OemUniContract.h"
#include "driversrc/kvt-580duo/PrintProcessor/win32/PrintProcessorRecords.h"
#include "tools/win32/HostPrinter.h"
#include "tools/win32/HostReport.h"

namespace kvt::host {
namespace {

using oemuni::DevObj;
using Bytes = std::vector<BYTE>;

std::string HexBytes(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (BYTE byte : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text.empty() ? "nothing" : text;
}

// An export as the function type it has; the detour through a plain
// function pointer keeps the compiler from comparing the two types.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

std::string LastErrorText(BOOL ok) { return ok ? "TRUE" : "FALSE last error " + std::to_string(::GetLastError()); }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM interfaces have none

// The driver's services as the plug-in sees them: DrvWriteSpoolBuf keeps
// what it is given; the other services are not the plug-in's to call.
class CapturingDriver final : public oemuni::IPrintOemDriverUni {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, oemuni::kIidPrintOemDriverUni)) {
            *object = static_cast<oemuni::IPrintOemDriverUni*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(::InterlockedDecrement(&references_)); }

    HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(DevObj* devobj, PVOID buffer, DWORD size, DWORD* written) override {
        if (devobj != expected || buffer == nullptr || written == nullptr) return E_INVALIDARG;
        const auto* bytes = static_cast<const BYTE*>(buffer);
        spooled.insert(spooled.end(), bytes, bytes + size);
        *written = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override { return unexpected(); }
    HRESULT STDMETHODCALLTYPE DrvXMoveTo(DevObj*, INT, DWORD, INT*) override { return unexpected(); }
    HRESULT STDMETHODCALLTYPE DrvYMoveTo(DevObj*, INT, DWORD, INT*) override { return unexpected(); }
    HRESULT STDMETHODCALLTYPE DrvGetStandardVariable(DevObj*, DWORD, PVOID, DWORD, PDWORD) override { return unexpected(); }
    HRESULT STDMETHODCALLTYPE DrvGetGPDData(DevObj*, DWORD, PVOID, PVOID, DWORD, PDWORD) override { return unexpected(); }
    HRESULT STDMETHODCALLTYPE DrvUniTextOut(PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, ULONG) override {
        return unexpected();
    }
    HRESULT STDMETHODCALLTYPE DrvWriteAbortBuf(DevObj*, PVOID, DWORD, DWORD) override { return unexpected(); }

    LONG references() const { return references_; }
    DevObj* expected = nullptr;
    Bytes spooled;
    int unexpectedCalls = 0;

private:
    HRESULT unexpected() {
        ++unexpectedCalls;
        return E_NOTIMPL;
    }
    LONG volatile references_ = 0;
};

#pragma GCC diagnostic pop

// What the Document Settings page would have stored: one line feed more than
// two, drawer #1 before printing at 100 ms, drawer #2 after printing at
// 250 ms, a partial cut after every page, and the four commands.
void StoreDocumentSettings(HANDLE printer) {
    Bytes misc(20, 0);
    misc[0] = 3;
    misc[1] = 1;
    misc[2] = 50;
    misc[7] = 1;
    misc[8] = 125;
    misc[10] = 2;
    misc[15] = 1;
    const std::pair<const wchar_t*, Bytes> values[] = {{L"MISC", misc},
                                                       {L"StartDoc", {0x1B, 0x61, 0x01}},
                                                       {L"StartPage", {'S', 'P'}},
                                                       {L"EndPage", {0x0C}},
                                                       {L"EndDoc", {'E', 'D'}}};
    for (auto [name, bytes] : values) {
        const DWORD error = ::SetPrinterDataW(printer, const_cast<LPWSTR>(name), REG_BINARY, bytes.data(),
                                              static_cast<DWORD>(bytes.size()));
        Report("SetPrinterDataW " + Utf8(name), error == ERROR_SUCCESS ? "ok" : "error " + std::to_string(error));
    }
}

class RenderJob {
public:
    RenderJob(oemuni::IPrintOemUni& plugin, CapturingDriver& driver, DevObj& devobj)
        : plugin_(plugin), driver_(driver), devobj_(devobj) {}

    void callback(const char* name, DWORD id, std::vector<DWORD> params) {
        const std::size_t before = driver_.spooled.size();
        INT result = -1;
        const HRESULT status = plugin_.CommandCallback(&devobj_, id, static_cast<DWORD>(params.size()),
                                                       params.empty() ? nullptr : params.data(), &result);
        Report(std::string("CommandCallback ") + name,
               ResultText(status) + " result " + std::to_string(result) + " wrote " + written(before));
    }
    void graphics(const char* name, Bytes rows) {
        const std::size_t before = driver_.spooled.size();
        const HRESULT status = plugin_.FilterGraphics(&devobj_, rows.data(), static_cast<DWORD>(rows.size()));
        Report(std::string("FilterGraphics ") + name, ResultText(status) + " wrote " + written(before));
    }

private:
    std::string written(std::size_t before) const {
        return HexBytes(Bytes(driver_.spooled.begin() + static_cast<std::ptrdiff_t>(before), driver_.spooled.end()));
    }
    oemuni::IPrintOemUni& plugin_;
    CapturingDriver& driver_;
    DevObj& devobj_;
};

bool RunRenderPlugin(const std::wstring& path, HANDLE printer) {
    HMODULE module = ::LoadLibraryW(path.c_str());
    Report("LoadLibrary UNI580D", module != nullptr ? "ok" : "error " + std::to_string(::GetLastError()));
    if (module == nullptr) return false;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject = Export<GetClassObject>(module, "DllGetClassObject");
    auto canUnloadNow = Export<CanUnloadNow>(module, "DllCanUnloadNow");
    if (getClassObject == nullptr || canUnloadNow == nullptr) {
        Report("exports of UNI580D", "missing");
        return false;
    }
    IClassFactory* factory = nullptr;
    Report("DllGetClassObject", ResultText(getClassObject(oemuni::kClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory))));
    if (factory == nullptr) return false;
    oemuni::IPrintOemUni* plugin = nullptr;
    Report("CreateInstance IPrintOemUni",
           ResultText(factory->CreateInstance(nullptr, oemuni::kIidPrintOemUni, reinterpret_cast<void**>(&plugin))));
    factory->Release();
    if (plugin == nullptr) return false;

    for (const char* method : {"CommandCallback", "FilterGraphics", "ImageProcessing", "DevMode"}) {
        std::string name = method;
        Report(std::string("GetImplementedMethod ") + method, ResultText(plugin->GetImplementedMethod(name.data())));
    }
    CapturingDriver driver;
    Report("PublishDriverInterface", ResultText(plugin->PublishDriverInterface(&driver)));
    DWORD value = 0, needed = 0;
    const HRESULT info = plugin->GetInfo(render::getinfo::InterfaceVersion, &value, sizeof value, &needed);
    Report("GetInfo interface version", ResultText(info) + " value " + Hex(value));
    oemuni::DrvEnableData enableData{};
    const HRESULT enabled = plugin->EnableDriver(render::kOemInterfaceVersion, sizeof enableData, &enableData);
    Report("EnableDriver", ResultText(enabled) + " version " + Hex(enableData.iDriverVersion) + " functions " +
                               std::to_string(enableData.c));

    DevObj devobj{};
    devobj.dwSize = sizeof devobj;
    devobj.hPrinter = printer;
    driver.expected = &devobj;
    PVOID devOem = nullptr;
    std::wstring printerName = kHostPrinterName;
    Report("EnablePDEV", ResultText(plugin->EnablePDEV(&devobj, printerName.data(), 0, nullptr, 0, nullptr, 0,
                                                       nullptr, &enableData, &devOem)));
    devobj.pdevOEM = devOem;  // as the driver keeps it for the plug-in

    RenderJob job(*plugin, driver, devobj);
    job.callback("StartDoc", render::callback::StartDoc, {});
    job.callback("StartPage", render::callback::StartPage, {});
    job.callback("SendBlockData", render::callback::SendBlockData, {2, 2, 1});
    job.graphics("row 1", {0xF0, 0x0F});
    job.callback("YMoveRelDown", render::callback::YMoveRelDown, {20});
    job.callback("SendBlockData", render::callback::SendBlockData, {4, 2, 2});
    job.graphics("rows 2 and 3", {0x01, 0x80, 0x00, 0x00});
    job.callback("EndPage", render::callback::EndPage, {});
    job.callback("StartPage", render::callback::StartPage, {});
    job.callback("SendBlockData", render::callback::SendBlockData, {1, 1, 1});
    job.graphics("row 4", {0xFF});
    job.callback("EndPage", render::callback::EndPage, {});
    job.callback("EndDoc", render::callback::EndDoc, {});
    job.callback("unknown id 99", 99, {});
    Report("job bytes", HexBytes(driver.spooled));
    Report("driver services called besides DrvWriteSpoolBuf", std::to_string(driver.unexpectedCalls));

    Report("DisablePDEV", ResultText(plugin->DisablePDEV(&devobj)));
    Report("DisableDriver", ResultText(plugin->DisableDriver()));
    Report("DllCanUnloadNow with a live object", ResultText(canUnloadNow()));
    Report("Release of the rendering plug-in", std::to_string(plugin->Release()));
    Report("driver services references after the release", std::to_string(driver.references()));
    Report("DllCanUnloadNow after the last release", ResultText(canUnloadNow()));
    return true;
}

void RunPrintProcessor(const std::wstring& path) {
    HMODULE module = ::LoadLibraryW(path.c_str());
    Report("LoadLibrary PRO580D", module != nullptr ? "ok" : "error " + std::to_string(::GetLastError()));
    if (module == nullptr) return;
    using EnumDatatypes = BOOL(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
    using Open = HANDLE(WINAPI*)(LPWSTR, kvt::processor::PrintProcessorOpenData*);
    using PrintDocument = BOOL(WINAPI*)(HANDLE, LPWSTR);
    using Close = BOOL(WINAPI*)(HANDLE);
    using Control = BOOL(WINAPI*)(HANDLE, DWORD);
    using Capabilities = DWORD(WINAPI*)(LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD);
    auto enumDatatypes = Export<EnumDatatypes>(module, "EnumPrintProcessorDatatypesW");
    auto open = Export<Open>(module, "OpenPrintProcessor");
    auto print = Export<PrintDocument>(module, "PrintDocumentOnPrintProcessor");
    auto close = Export<Close>(module, "ClosePrintProcessor");
    auto control = Export<Control>(module, "ControlPrintProcessor");
    auto capabilities = Export<Capabilities>(module, "GetPrintProcessorCapabilities");
    if (!enumDatatypes || !open || !print || !close || !control || !capabilities) {
        Report("exports of PRO580D", "missing");
        return;
    }
    Report("exports of PRO580D", "all six found");

    DWORD needed = 0, returned = 0;
    BOOL ok = enumDatatypes(nullptr, nullptr, 1, nullptr, 0, &needed, &returned);
    Report("EnumPrintProcessorDatatypesW size", LastErrorText(ok) + " needed " + std::to_string(needed));
    Bytes buffer(needed);
    ok = enumDatatypes(nullptr, nullptr, 1, buffer.data(), needed, &needed, &returned);
    std::string names;
    for (DWORD i = 0; ok && i < returned; ++i)
        names += " " + Quoted(Utf8(reinterpret_cast<DATATYPES_INFO_1W*>(buffer.data())[i].pName));
    Report("EnumPrintProcessorDatatypesW", LastErrorText(ok) + " returned " + std::to_string(returned) + names);
    ok = enumDatatypes(nullptr, nullptr, 2, buffer.data(), needed, &needed, &returned);
    Report("EnumPrintProcessorDatatypesW level 2", LastErrorText(ok));

    DWORD caps[4] = {};
    std::wstring raw = L"RAW", emf = L"NT EMF 1.008";
    DWORD status = capabilities(raw.data(), 0, reinterpret_cast<LPBYTE>(caps), sizeof caps, &needed);
    Report("GetPrintProcessorCapabilities RAW", std::to_string(status) + " needed " + std::to_string(needed) +
                                                    " caps " + std::to_string(caps[0]) + " " + std::to_string(caps[1]) +
                                                    " " + std::to_string(caps[2]) + " " + std::to_string(caps[3]));
    status = capabilities(emf.data(), 0, reinterpret_cast<LPBYTE>(caps), sizeof caps, &needed);
    Report("GetPrintProcessorCapabilities NT EMF 1.008", std::to_string(status));

    std::wstring printerName = kHostPrinterName, document = L"Receipt";
    kvt::processor::PrintProcessorOpenData data{nullptr, emf.data(), nullptr, document.data(), 4711, nullptr, printerName.data()};
    HANDLE handle = open(printerName.data(), &data);
    Report("OpenPrintProcessor NT EMF 1.008", handle == nullptr ? LastErrorText(FALSE) : "opened");
    if (handle != nullptr) close(handle);
    data.pDatatype = raw.data();
    handle = open(printerName.data(), &data);
    Report("OpenPrintProcessor RAW", handle == nullptr ? LastErrorText(FALSE) : "opened");
    if (handle == nullptr) return;
    Report("ControlPrintProcessor pause", LastErrorText(control(handle, JOB_CONTROL_PAUSE)));
    Report("ControlPrintProcessor resume", LastErrorText(control(handle, JOB_CONTROL_RESUME)));
    Report("ControlPrintProcessor 9", LastErrorText(control(handle, 9)));
    // Wine's spooler keeps no job 4711 to read: the processor must report
    // the failed call rather than claim the job printed.
    Report("PrintDocumentOnPrintProcessor of a job the spooler lacks", LastErrorText(print(handle, document.data())));
    Report("ControlPrintProcessor cancel", LastErrorText(control(handle, JOB_CONTROL_CANCEL)));
    Report("PrintDocumentOnPrintProcessor after cancel", LastErrorText(print(handle, document.data())));
    Report("ClosePrintProcessor", LastErrorText(close(handle)));
    int foreign = 0;
    Report("ClosePrintProcessor of a foreign handle", LastErrorText(close(&foreign)));
}

}  // namespace
}  // namespace kvt::host

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) {
        std::fputs("usage: kvt_driver_host UNI580D.dll PRO580D.dll\n", stderr);
        return 2;
    }
    kvt::host::HostPrinter printer;
    if (!printer.create(argv[1])) return 1;
    kvt::host::StoreDocumentSettings(printer.handle());
    const bool rendered = kvt::host::RunRenderPlugin(argv[1], printer.handle());
    kvt::host::RunPrintProcessor(argv[2]);
    return rendered ? 0 : 1;
}
