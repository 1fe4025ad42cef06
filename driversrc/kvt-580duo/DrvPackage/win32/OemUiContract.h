#pragma once
// What the plug-in and the printer driver's user-interface host exchange:
// the class and interface identifiers, IPrintOemUI in its slot order, and the
// host's records as the plug-in reads them. Declared here from the driver
// contract so that the plug-in and the substitute host share one copy.
#include <windows.h>
#include <objbase.h>

namespace kvt::oemui {

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}: the class the host asks for.
inline constexpr GUID kClassId = {0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
// {C6A7A9D0-774C-11D1-947F-00A0C90640B8}
inline constexpr GUID kIidPrintOemUI = {0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
// {92B05D50-78BC-11D1-9480-00A0C90640B8}
inline constexpr GUID kIidPrintOemDriverUI = {
    0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// OEMDMPARAM.
struct OemDmParam {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    DEVMODEW* pPublicDMIn;
    DEVMODEW* pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
};

// OPTITEM, one item of the host's option tree.
struct OptItem {
    WORD cbSize;
    BYTE Level;
    BYTE DlgPageIdx;
    DWORD Flags;
    ULONG_PTR UserData;
    LPWSTR pName;
    union {
        LONG Sel;
        LPWSTR pSel;
    };
    PVOID pExtension;  // check box or push button of the item
    PVOID pOptType;
    DWORD HelpIndex;
    BYTE DMPubID;
    BYTE UserItemID;
    WORD wReserved;
    PVOID pOIExt;
    ULONG_PTR dwReserved[3];
};

// OEMCUIPPARAM.
struct OemCuipParam {
    DWORD cbSize;
    PVOID poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    DEVMODEW* pPublicDM;
    PVOID pOEMDM;
    DWORD dwFlags;
    OptItem* pDrvOptItems;
    DWORD cDrvOptItems;
    OptItem* pOEMOptItems;
    DWORD cOEMOptItems;
    PVOID pOEMUserData;
    PVOID OEMCUIPCallback;
};

// OEMUIPSPARAM, the lParamInit of a property-sheet call.
struct OemUiPsParam {
    DWORD cbSize;
    PVOID poemuiobj;
    HANDLE hPrinter;
    PWSTR pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    DEVMODEW* pPublicDM;
    PVOID pOEMDM;
    PVOID pOEMUserData;
    DWORD dwFlags;
    PVOID pOemEntry;
};

// The host's common property-sheet callback (PFNCOMPROPSHEET).
using ComPropSheetFunction = LONG_PTR(CALLBACK*)(HANDLE hComPropSheet, UINT function, LPARAM lParam1,
                                                 LPARAM lParam2);
inline constexpr UINT kAddPropSheetPageW = 1;  // CPSFUNC_ADD_PROPSHEETPAGEW

// PROPSHEETUI_INFO.
struct PropSheetUiInfo {
    WORD cbSize;
    WORD Version;
    WORD Flags;
    WORD Reason;
    HANDLE hComPropSheet;
    ComPropSheetFunction pfnComPropSheet;
    LPARAM lParamInit;
    ULONG_PTR UserData;
    ULONG_PTR Result;
};

// PROPSHEETUI_INFO_HEADER, the lParam of PROPSHEETUI_REASON_GET_INFO_HEADER.
struct PropSheetUiInfoHeader {
    WORD cbSize;
    WORD Flags;
    LPWSTR pTitle;
    HWND hWndParent;
    HINSTANCE hInst;
    union {
        HICON hIcon;
        ULONG_PTR IconID;
    };
};

// SETRESULT_INFO, the lParam of PROPSHEETUI_REASON_SET_RESULT.
struct SetResultInfo {
    WORD cbSize;
    WORD wReserved;
    HANDLE hSetResult;
    LRESULT Result;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM objects end through Release

// IPrintOemUI after IUnknown's three slots, in the host's order.
struct IPrintOemUI : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, OemDmParam* param) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* driver) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD mode, OemCuipParam* param) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PropSheetUiInfo* info, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevicePropertySheets(PropSheetUiInfo* info, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevQueryPrintEx(PVOID uiObject, PVOID queryInfo, DEVMODEW* publicDevMode,
                                                      PVOID oemDevMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceCapabilities(PVOID uiObject, HANDLE printer, PWSTR deviceName,
                                                         WORD capability, PVOID output, DEVMODEW* publicDevMode,
                                                         PVOID oemDevMode, DWORD old, DWORD* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD level, PBYTE upgradeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR printerName, INT driverEvent, DWORD flags,
                                                   LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverEvent(DWORD driverEvent, DWORD level, LPBYTE driverInfo,
                                                  LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE printer, PVOID uiObject, DEVMODEW* publicDevMode,
                                                        PVOID oemDevMode, ULONG queryMode, VOID* profileData,
                                                        ULONG* profileSize, FLONG* profileFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND window, UINT message, WPARAM wParam,
                                                           LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE printer, HANDLE heap, PWSTR cartridges) = 0;
};

#pragma GCC diagnostic pop

}  // namespace kvt::oemui
