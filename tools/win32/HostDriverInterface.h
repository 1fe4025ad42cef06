#pragma once
// The driver interface the host publishes to the plug-in: an object that
// answers for IPrintOemDriverUI and counts its references, so the report
// shows whether the plug-in holds and releases it.
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"

namespace kvt::host {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM interfaces have none; Release deletes

class HostDriverInterface final : public IUnknown {
public:
    ~HostDriverInterface() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, oemui::kIidPrintOemDriverUI)) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The host owns the object on its stack; only the count matters.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(::InterlockedDecrement(&references_)); }

    LONG references() const { return references_; }

private:
    LONG volatile references_ = 0;
};

#pragma GCC diagnostic pop

}  // namespace kvt::host
