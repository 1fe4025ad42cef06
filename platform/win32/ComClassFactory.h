#pragma once
// The class factory that a plug-in DLL hands out from DllGetClassObject: it
// makes one `Object` per CreateInstance and keeps the DLL loaded through
// `Lock` while a host holds it with LockServer. `Object` starts with one
// reference, which CreateInstance gives up once the host has its own.
#include <windows.h>
#include <objbase.h>

#include <new>

namespace kvt::win32 {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM interfaces have none; Release deletes

template <class Object, void (*Lock)(bool)>
class ComClassFactory final : public IClassFactory {
public:
    // DllGetClassObject's answer: a new factory, held only by the caller.
    static HRESULT Hand(REFIID interfaceId, void** object) {
        auto* factory = new (std::nothrow) ComClassFactory;
        if (factory == nullptr) return E_OUTOFMEMORY;
        const HRESULT result = factory->QueryInterface(interfaceId, object);
        factory->Release();
        return result;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (::IsEqualGUID(interfaceId, IID_IUnknown) || ::IsEqualGUID(interfaceId, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }

    ULONG STDMETHODCALLTYPE Release() override {
        const LONG remaining = ::InterlockedDecrement(&references_);
        if (remaining == 0) delete this;
        return remaining;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override {
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* created = new (std::nothrow) Object;
        if (created == nullptr) return E_OUTOFMEMORY;
        const HRESULT result = created->QueryInterface(interfaceId, object);
        created->Release();
        return result;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        Lock(lock != FALSE);
        return S_OK;
    }

private:
    LONG volatile references_ = 1;
};

#pragma GCC diagnostic pop

}  // namespace kvt::win32
