#pragma once
// The plug-in object the host creates through the class factory: IPrintOemUI
// over the portable core. It holds the host's driver interface from
// PublishDriverInterface until it dies.
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"

namespace kvt::oemui {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM interfaces have none; Release deletes

class OemUIPlugin final : public IPrintOemUI {
public:
    OemUIPlugin();
    ~OemUIPlugin();
    OemUIPlugin(const OemUIPlugin&) = delete;
    OemUIPlugin& operator=(const OemUIPlugin&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, OemDmParam* param) override;
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* driver) override;
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD mode, OemCuipParam* param) override;
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PropSheetUiInfo* info, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PropSheetUiInfo* info, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(PVOID uiObject, PVOID queryInfo, DEVMODEW* publicDevMode,
                                              PVOID oemDevMode) override;
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(PVOID uiObject, HANDLE printer, PWSTR deviceName, WORD capability,
                                                 PVOID output, DEVMODEW* publicDevMode, PVOID oemDevMode, DWORD old,
                                                 DWORD* result) override;
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD level, PBYTE upgradeInfo) override;
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR printerName, INT driverEvent, DWORD flags, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD driverEvent, DWORD level, LPBYTE driverInfo, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE printer, PVOID uiObject, DEVMODEW* publicDevMode,
                                                PVOID oemDevMode, ULONG queryMode, VOID* profileData,
                                                ULONG* profileSize, FLONG* profileFlags) override;
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE printer, HANDLE heap, PWSTR cartridges) override;

private:
    LONG volatile references_ = 1;
    // The host's IPrintOemDriverUI; never called, only held.
    IUnknown* driver_ = nullptr;
};

#pragma GCC diagnostic pop

}  // namespace kvt::oemui
