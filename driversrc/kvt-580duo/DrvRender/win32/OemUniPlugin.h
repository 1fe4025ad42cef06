#pragma once
// The rendering plug-in object: IPrintOemUni over the portable renderer. A
// device context of the driver (EnablePDEV to DisablePDEV) owns one renderer,
// made from the printer's stored settings; its bytes go to the printer
// through the driver's DrvWriteSpoolBuf.
#include <cstddef>

#include "driversrc/kvt-580duo/DrvRender/win32/OemUniContract.h"

namespace kvt::oemuni {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // ends through Release

class OemUniPlugin final : public IPrintOemUni {
public:
    OemUniPlugin();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, PVOID param) override;
    HRESULT STDMETHODCALLTYPE EnableDriver(DWORD driverVersion, DWORD size, DrvEnableData* enableData) override;
    HRESULT STDMETHODCALLTYPE DisableDriver() override;
    HRESULT STDMETHODCALLTYPE EnablePDEV(DevObj* devobj, PWSTR printerName, ULONG patterns, PVOID surfacePatterns,
                                         ULONG gdiInfoSize, PVOID gdiInfo, ULONG devInfoSize, PVOID devInfo,
                                         DrvEnableData* enableData, PVOID* devOem) override;
    HRESULT STDMETHODCALLTYPE DisablePDEV(DevObj* devobj) override;
    HRESULT STDMETHODCALLTYPE ResetPDEV(DevObj* oldDevobj, DevObj* newDevobj) override;
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* driver) override;
    HRESULT STDMETHODCALLTYPE GetImplementedMethod(PSTR methodName) override;
    HRESULT STDMETHODCALLTYPE DriverDMS(PVOID devobj, PVOID buffer, DWORD size, PDWORD needed) override;
    HRESULT STDMETHODCALLTYPE CommandCallback(DevObj* devobj, DWORD callbackId, DWORD count, PDWORD params,
                                              INT* result) override;
    HRESULT STDMETHODCALLTYPE ImageProcessing(DevObj* devobj, PBYTE source, PVOID bitmapInfoHeader, PBYTE colorTable,
                                              DWORD callbackId, PVOID ipParams, PBYTE* resultBitmap) override;
    HRESULT STDMETHODCALLTYPE FilterGraphics(DevObj* devobj, PBYTE buffer, DWORD length) override;
    HRESULT STDMETHODCALLTYPE Compression(DevObj* devobj, PBYTE in, PBYTE out, DWORD inLength, DWORD outLength,
                                          INT* result) override;
    HRESULT STDMETHODCALLTYPE HalftonePattern(DevObj* devobj, PBYTE pattern, DWORD patternX, DWORD patternY,
                                              DWORD patterns, DWORD callbackId, PBYTE resource,
                                              DWORD resourceSize) override;
    HRESULT STDMETHODCALLTYPE MemoryUsage(DevObj* devobj, PVOID memoryUsage) override;
    HRESULT STDMETHODCALLTYPE TTYGetInfo(DevObj* devobj, DWORD infoIndex, PVOID output, DWORD size,
                                         DWORD* needed) override;
    HRESULT STDMETHODCALLTYPE DownloadFontHeader(DevObj* devobj, PVOID fontObject, DWORD* result) override;
    HRESULT STDMETHODCALLTYPE DownloadCharGlyph(DevObj* devobj, PVOID fontObject, ULONG glyph, PDWORD width,
                                                DWORD* result) override;
    HRESULT STDMETHODCALLTYPE TTDownloadMethod(DevObj* devobj, PVOID fontObject, DWORD* result) override;
    HRESULT STDMETHODCALLTYPE OutputCharStr(DevObj* devobj, PVOID fontObject, DWORD type, DWORD count,
                                            PVOID glyphs) override;
    HRESULT STDMETHODCALLTYPE SendFontCmd(DevObj* devobj, PVOID fontObject, PVOID invocation) override;
    HRESULT STDMETHODCALLTYPE TextOutAsBitmap(PVOID surface, PVOID strings, PVOID font, PVOID clip, PVOID extraRect,
                                              PVOID opaqueRect, PVOID foreBrush, PVOID opaqueBrush, PVOID origin,
                                              ULONG mix) override;

private:
    ~OemUniPlugin();
    HRESULT write(DevObj* devobj, const void* data, std::size_t size);

    LONG volatile references_ = 1;
    IPrintOemDriverUni* driver_ = nullptr;
};

#pragma GCC diagnostic pop

}  // namespace kvt::oemuni
