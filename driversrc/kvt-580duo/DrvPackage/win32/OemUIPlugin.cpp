#include "driversrc/kvt-580duo/DrvPackage/win32/OemUIPlugin.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/HostBoundary.h"
#include "driversrc/kvt-580duo/DrvPackage/OemPrivateDevMode.h"
#include "driversrc/kvt-580duo/DrvPackage/PluginAnswers.h"
#include "driversrc/kvt-580duo/DrvPackage/PrinterSetup.h"
#include "driversrc/kvt-580duo/DrvPackage/PropertySheets.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/PageRegistration.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/PluginSpoolerInstance.h"

namespace kvt::oemui {
namespace {

HRESULT Give(const plugin::Answer& answer) {
    if (answer.lastError) ::SetLastError(*answer.lastError);
    return answer.result;
}

// The host's counters are DWORD or ULONG, the core's std::uint32_t: both 32
// bits, distinct types. The core works on a copy that goes back only when
// it changed, so an untouched counter stays untouched.
template <typename Counter>
class CounterCopy {
public:
    explicit CounterCopy(Counter* counter) : counter_(counter), value_(counter ? *counter : 0) {}
    ~CounterCopy() {
        if (counter_ != nullptr && *counter_ != value_) *counter_ = value_;
    }
    CounterCopy(const CounterCopy&) = delete;
    CounterCopy& operator=(const CounterCopy&) = delete;
    std::uint32_t* get() { return counter_ ? &value_ : nullptr; }

private:
    Counter* counter_;
    std::uint32_t value_;
};

HRESULT PropertySheets(PropSheetUiInfo* info, LPARAM lParam, std::span<const plugin::PageDescription> pages) {
    PageRegistrar steps(info, lParam, pages);
    std::optional<plugin::SheetRequest> request;
    if (info != nullptr) request = plugin::SheetRequest{info->Version, info->Reason};
    const plugin::SheetAnswer answer = plugin::AnswerPropertySheet(request ? &*request : nullptr, steps);
    if (info != nullptr && answer.result) info->Result = static_cast<ULONG_PTR>(*answer.result);
    return Give(answer.answer);
}

}  // namespace

OemUIPlugin::OemUIPlugin() { ObjectCreated(); }

OemUIPlugin::~OemUIPlugin() {
    if (driver_ != nullptr) driver_->Release();
    ObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) return E_POINTER;
    if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, kIidPrintOemUI)) {
        *object = static_cast<IPrintOemUI*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUIPlugin::AddRef() { return ::InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE OemUIPlugin::Release() {
    const LONG remaining = ::InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return remaining;
}

// Every method that does work runs it through plugin::GuardedComCall: no C++
// exception reaches the host.

HRESULT STDMETHODCALLTYPE OemUIPlugin::GetInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
    return plugin::GuardedComCall([&] {
        CounterCopy neededCopy(needed);
        return Give(plugin::GetInfo(mode, buffer, size, neededCopy.get()));
    });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::DevMode(DWORD mode, OemDmParam* param) {
    return plugin::GuardedComCall([&] {
        if (param == nullptr) return Give(plugin::DevMode(mode, nullptr));
        plugin::OemDevModeParam core{param->pOEMDMIn, param->pOEMDMOut, param->cbBufSize};
        const plugin::Answer answer = plugin::DevMode(mode, &core);
        param->cbBufSize = core.bufferSize;
        return Give(answer);
    });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::PublishDriverInterface(IUnknown* driver) {
    // Only COM calls here, which do not throw.
    if (driver_ != nullptr) return S_OK;
    if (driver == nullptr) return E_FAIL;
    void* found = nullptr;
    if (FAILED(driver->QueryInterface(kIidPrintOemDriverUI, &found)) || found == nullptr) {
        driver_ = nullptr;
        return E_FAIL;
    }
    driver_ = static_cast<IUnknown*>(found);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::CommonUIProp(DWORD mode, OemCuipParam* param) {
    return plugin::GuardedComCall([&] {
        return Give(plugin::CommonUIProp(mode, param != nullptr, param ? param->pDrvOptItems : nullptr,
                                         param ? param->cDrvOptItems : 0));
    });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::DocumentPropertySheets(PropSheetUiInfo* info, LPARAM lParam) {
    return plugin::GuardedComCall([&] { return PropertySheets(info, lParam, plugin::kDocumentPages); });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::DevicePropertySheets(PropSheetUiInfo* info, LPARAM lParam) {
    return plugin::GuardedComCall([&] { return PropertySheets(info, lParam, plugin::kDevicePages); });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::DevQueryPrintEx(PVOID, PVOID, DEVMODEW*, PVOID) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OemUIPlugin::DeviceCapabilities(PVOID, HANDLE, PWSTR, WORD, PVOID, DEVMODEW*, PVOID, DWORD,
                                                          DWORD*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::UpgradePrinter(DWORD, PBYTE) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OemUIPlugin::PrinterEvent(PWSTR printerName, INT driverEvent, DWORD, LPARAM) {
    if (driverEvent != plugin::printer_event::Initialize) return S_OK;
    // No name, no printer to open.
    if (printerName == nullptr) return E_FAIL;
    const std::u16string_view name(reinterpret_cast<const char16_t*>(printerName));
    return plugin::GuardedComCall(
        [&]() -> HRESULT { return plugin::PrinterEvent(PluginSpooler(), name, driverEvent); });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OemUIPlugin::QueryColorProfile(HANDLE, PVOID, DEVMODEW*, PVOID, ULONG queryMode,
                                                         VOID* profileData, ULONG* profileSize, FLONG* profileFlags) {
    return plugin::GuardedComCall([&] {
        CounterCopy size(profileSize);
        CounterCopy flags(profileFlags);
        return Give(plugin::QueryColorProfile(queryMode, profileData, size.get(), flags.get()));
    });
}

HRESULT STDMETHODCALLTYPE OemUIPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OemUIPlugin::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) { return E_NOTIMPL; }

}  // namespace kvt::oemui
