#include "driversrc/kvt-580duo/DrvRender/win32/OemUniClassFactory.h"

#include <new>

#include "driversrc/kvt-580duo/DrvRender/win32/OemUniPlugin.h"
#include "driversrc/kvt-580duo/DrvRender/win32/RenderModule.h"

namespace kvt::oemuni {

HRESULT STDMETHODCALLTYPE OemUniClassFactory::QueryInterface(REFIID interfaceId, void** object) {
    if (object == nullptr) return E_POINTER;
    if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OemUniClassFactory::AddRef() { return ::InterlockedIncrement(&references_); }

ULONG STDMETHODCALLTYPE OemUniClassFactory::Release() {
    const LONG remaining = ::InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT STDMETHODCALLTYPE OemUniClassFactory::CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* plugin = new (std::nothrow) OemUniPlugin;
    if (plugin == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = plugin->QueryInterface(interfaceId, object);
    plugin->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE OemUniClassFactory::LockServer(BOOL lock) {
    LockRenderModule(lock != FALSE);
    return S_OK;
}

}  // namespace kvt::oemuni
