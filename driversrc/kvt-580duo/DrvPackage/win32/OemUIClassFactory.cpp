#include "driversrc/kvt-580duo/DrvPackage/win32/OemUIClassFactory.h"

#include <new>

#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUIPlugin.h"

namespace kvt::oemui {

HRESULT STDMETHODCALLTYPE OemUIClassFactory::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) return E_POINTER;
    if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUIClassFactory::AddRef() { return ::InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE OemUIClassFactory::Release() {
    const LONG remaining = ::InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT STDMETHODCALLTYPE OemUIClassFactory::CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* plugin = new (std::nothrow) OemUIPlugin;
    if (plugin == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = plugin->QueryInterface(interfaceId, object);
    plugin->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE OemUIClassFactory::LockServer(BOOL lock) {
    LockModule(lock != FALSE);
    return S_OK;
}

}  // namespace kvt::oemui
