#pragma once
// What the rendering plug-in and the universal printer driver's rendering
// module exchange: the class and interface identifiers, IPrintOemUni and the
// driver's services IPrintOemDriverUni in their slot order, and the driver's
// records as the plug-in reads them. Declared here from the driver contract
// so that the plug-in and the substitute host share one copy. Parameters the
// plug-in never reads are declared as the pointers they are.
#include <windows.h>
#include <objbase.h>

namespace kvt::oemuni {

// {6D6ABF26-9F38-11D1-882A-00C04FB961EC}: the class the driver asks for.
inline constexpr GUID kClassId = {0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {D67EBBF0-78BF-11D1-9480-00A0C90640B8}
inline constexpr GUID kIidPrintOemUni = {0xD67EBBF0, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
// {92B05D51-78BC-11D1-9480-00A0C90640B8}
inline constexpr GUID kIidPrintOemDriverUni = {
    0x92B05D51, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// DEVOBJ, the driver's description of one device context. `pdevOEM` holds
// what the plug-in's EnablePDEV returned.
struct DevObj {
    DWORD dwSize;
    PVOID pdevOEM;
    HANDLE hEngine;
    HANDLE hPrinter;
    HANDLE hOEM;
    DEVMODEW* pPublicDM;
    PVOID pOEMDM;
    PVOID pDrvProcs;
};

// DRVENABLEDATA.
struct DrvEnableData {
    ULONG iDriverVersion;
    ULONG c;
    PVOID pdrvfn;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM objects end through Release

// IPrintOemUni after IUnknown's three slots: the common methods, the engine
// methods, then the universal driver's own, in the driver's order.
struct IPrintOemUni : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, PVOID param) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableDriver(DWORD driverVersion, DWORD size, DrvEnableData* enableData) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisableDriver() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnablePDEV(DevObj* devobj, PWSTR printerName, ULONG patterns,
                                                 PVOID surfacePatterns, ULONG gdiInfoSize, PVOID gdiInfo,
                                                 ULONG devInfoSize, PVOID devInfo, DrvEnableData* enableData,
                                                 PVOID* devOem) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisablePDEV(DevObj* devobj) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResetPDEV(DevObj* oldDevobj, DevObj* newDevobj) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* driver) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImplementedMethod(PSTR methodName) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverDMS(PVOID devobj, PVOID buffer, DWORD size, PDWORD needed) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommandCallback(DevObj* devobj, DWORD callbackId, DWORD count, PDWORD params,
                                                      INT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE ImageProcessing(DevObj* devobj, PBYTE source, PVOID bitmapInfoHeader,
                                                      PBYTE colorTable, DWORD callbackId, PVOID ipParams,
                                                      PBYTE* resultBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE FilterGraphics(DevObj* devobj, PBYTE buffer, DWORD length) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compression(DevObj* devobj, PBYTE in, PBYTE out, DWORD inLength,
                                                  DWORD outLength, INT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE HalftonePattern(DevObj* devobj, PBYTE pattern, DWORD patternX, DWORD patternY,
                                                      DWORD patterns, DWORD callbackId, PBYTE resource,
                                                      DWORD resourceSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE MemoryUsage(DevObj* devobj, PVOID memoryUsage) = 0;
    virtual HRESULT STDMETHODCALLTYPE TTYGetInfo(DevObj* devobj, DWORD infoIndex, PVOID output, DWORD size,
                                                 DWORD* needed) = 0;
    virtual HRESULT STDMETHODCALLTYPE DownloadFontHeader(DevObj* devobj, PVOID fontObject, DWORD* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DownloadCharGlyph(DevObj* devobj, PVOID fontObject, ULONG glyph,
                                                        PDWORD width, DWORD* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE TTDownloadMethod(DevObj* devobj, PVOID fontObject, DWORD* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE OutputCharStr(DevObj* devobj, PVOID fontObject, DWORD type, DWORD count,
                                                    PVOID glyphs) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendFontCmd(DevObj* devobj, PVOID fontObject, PVOID invocation) = 0;
    virtual HRESULT STDMETHODCALLTYPE TextOutAsBitmap(PVOID surface, PVOID strings, PVOID font, PVOID clip,
                                                      PVOID extraRect, PVOID opaqueRect, PVOID foreBrush,
                                                      PVOID opaqueBrush, PVOID origin, ULONG mix) = 0;
};

// IPrintOemDriverUni, the services the driver publishes to the plug-in.
struct IPrintOemDriverUni : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID driverObject, PCSTR feature, PVOID output,
                                                          DWORD size, PDWORD needed, PDWORD optionsReturned) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(DevObj* devobj, PVOID buffer, DWORD size, DWORD* written) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvXMoveTo(DevObj* devobj, INT x, DWORD flags, INT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvYMoveTo(DevObj* devobj, INT y, DWORD flags, INT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvGetStandardVariable(DevObj* devobj, DWORD index, PVOID buffer, DWORD size,
                                                             PDWORD needed) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvGetGPDData(DevObj* devobj, DWORD type, PVOID input, PVOID buffer,
                                                    DWORD size, PDWORD needed) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUniTextOut(PVOID surface, PVOID strings, PVOID font, PVOID clip,
                                                    PVOID extraRect, PVOID opaqueRect, PVOID foreBrush,
                                                    PVOID opaqueBrush, PVOID origin, ULONG mix) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvWriteAbortBuf(DevObj* devobj, PVOID buffer, DWORD size, DWORD wait) = 0;
};

#pragma GCC diagnostic pop

}  // namespace kvt::oemuni
