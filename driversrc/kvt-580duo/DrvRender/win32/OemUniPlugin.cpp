#include "driversrc/kvt-580duo/DrvRender/win32/OemUniPlugin.h"

#include <cstdint>
#include <new>
#include <span>
#include <vector>

#include "driversrc/kvt-580duo/DrvRender/JobSettings.h"
#include "driversrc/kvt-580duo/DrvRender/RenderAnswers.h"
#include "driversrc/kvt-580duo/DrvRender/ReceiptRenderer.h"
#include "driversrc/kvt-580duo/DrvRender/win32/RenderModule.h"
#include "platform/win32/Win32PluginSpooler.h"

namespace kvt::oemuni {

namespace {

render::ReceiptRenderer* RendererOf(DevObj* devobj) {
    return devobj == nullptr ? nullptr : static_cast<render::ReceiptRenderer*>(devobj->pdevOEM);
}

}  // namespace

OemUniPlugin::OemUniPlugin() { CountRenderObject(true); }

OemUniPlugin::~OemUniPlugin() {
    if (driver_ != nullptr) driver_->Release();
    CountRenderObject(false);
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) return E_POINTER;
    if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, kIidPrintOemUni)) {
        *object = static_cast<IPrintOemUni*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUniPlugin::AddRef() { return ::InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE OemUniPlugin::Release() {
    const LONG remaining = ::InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
    // DWORD is a long on Windows, not the core's 32-bit type.
    std::uint32_t count = needed != nullptr ? *needed : 0;
    const plugin::Answer answer = render::GetInfo(mode, buffer, size, needed != nullptr ? &count : nullptr);
    if (needed != nullptr) *needed = count;
    if (answer.lastError) ::SetLastError(*answer.lastError);
    return answer.result;
}

// The plug-in keeps nothing in the device mode.
HRESULT STDMETHODCALLTYPE OemUniPlugin::DevMode(DWORD, PVOID) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OemUniPlugin::EnableDriver(DWORD, DWORD size, DrvEnableData* enableData) {
    if (enableData == nullptr || size < sizeof(DrvEnableData)) return E_INVALIDARG;
    // No drawing functions of its own: the driver draws, the plug-in only
    // adds commands and passes the raster on.
    enableData->iDriverVersion = render::kOemInterfaceVersion;
    enableData->c = 0;
    enableData->pdrvfn = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::DisableDriver() { return S_OK; }

HRESULT STDMETHODCALLTYPE OemUniPlugin::EnablePDEV(DevObj* devobj, PWSTR, ULONG, PVOID, ULONG, PVOID, ULONG, PVOID,
                                                   DrvEnableData*, PVOID* devOem) {
    if (devobj == nullptr || devOem == nullptr) return E_INVALIDARG;
    win32::Win32PluginSpooler spooler;
    const ports::PrinterHandle printer = spooler.borrow(devobj->hPrinter);
    auto* renderer = new (std::nothrow) render::ReceiptRenderer(render::LoadJobSettings(spooler, printer));
    spooler.release(printer);
    if (renderer == nullptr) return E_OUTOFMEMORY;
    *devOem = renderer;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::DisablePDEV(DevObj* devobj) {
    delete RendererOf(devobj);
    if (devobj != nullptr) devobj->pdevOEM = nullptr;
    return S_OK;
}

// The new context has its own renderer from its EnablePDEV.
HRESULT STDMETHODCALLTYPE OemUniPlugin::ResetPDEV(DevObj*, DevObj*) { return S_OK; }

HRESULT STDMETHODCALLTYPE OemUniPlugin::PublishDriverInterface(IUnknown* driver) {
    if (driver_ != nullptr) return S_OK;
    if (driver == nullptr) return E_FAIL;
    void* services = nullptr;
    if (FAILED(driver->QueryInterface(kIidPrintOemDriverUni, &services)) || services == nullptr) return E_FAIL;
    driver_ = static_cast<IPrintOemDriverUni*>(services);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::GetImplementedMethod(PSTR methodName) {
    return methodName != nullptr && render::ImplementsMethod(methodName) ? S_OK : S_FALSE;
}

HRESULT OemUniPlugin::write(DevObj* devobj, const void* data, std::size_t size) {
    if (size == 0) return S_OK;
    if (driver_ == nullptr) return E_FAIL;
    DWORD written = 0;
    const HRESULT result = driver_->DrvWriteSpoolBuf(devobj, const_cast<void*>(data), static_cast<DWORD>(size), &written);
    return SUCCEEDED(result) && written == size ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::CommandCallback(DevObj* devobj, DWORD callbackId, DWORD count, PDWORD params,
                                                        INT* result) {
    render::ReceiptRenderer* renderer = RendererOf(devobj);
    if (renderer == nullptr || result == nullptr || (count != 0 && params == nullptr)) return E_INVALIDARG;
    // DWORD is a long on Windows, not the core's 32-bit type.
    const std::vector<std::uint32_t> values(params, params + count);
    bool handled = false;
    int moved = 0;
    const render::Bytes bytes = renderer->commandCallback(callbackId, values, moved, handled);
    *result = moved;
    if (!handled) return E_NOTIMPL;
    return write(devobj, bytes.data(), bytes.size());
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::FilterGraphics(DevObj* devobj, PBYTE buffer, DWORD length) {
    render::ReceiptRenderer* renderer = RendererOf(devobj);
    if (renderer == nullptr || (length != 0 && buffer == nullptr)) return E_INVALIDARG;
    render::Bytes bytes;
    if (!renderer->filterGraphics(std::span<const std::uint8_t>(buffer, length), bytes)) return E_FAIL;
    return write(devobj, bytes.data(), bytes.size());
}

HRESULT STDMETHODCALLTYPE OemUniPlugin::DriverDMS(PVOID, PVOID, DWORD, PDWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::ImageProcessing(DevObj*, PBYTE, PVOID, PBYTE, DWORD, PVOID, PBYTE*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUniPlugin::Compression(DevObj*, PBYTE, PBYTE, DWORD, DWORD, INT*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::HalftonePattern(DevObj*, PBYTE, DWORD, DWORD, DWORD, DWORD, PBYTE, DWORD) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE OemUniPlugin::MemoryUsage(DevObj*, PVOID) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::TTYGetInfo(DevObj*, DWORD, PVOID, DWORD, DWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::DownloadFontHeader(DevObj*, PVOID, DWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::DownloadCharGlyph(DevObj*, PVOID, ULONG, PDWORD, DWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::TTDownloadMethod(DevObj*, PVOID, DWORD*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::OutputCharStr(DevObj*, PVOID, DWORD, DWORD, PVOID) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::SendFontCmd(DevObj*, PVOID, PVOID) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE OemUniPlugin::TextOutAsBitmap(PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, PVOID, PVOID,
                                                        ULONG) {
    return E_NOTIMPL;
}

}  // namespace kvt::oemuni
