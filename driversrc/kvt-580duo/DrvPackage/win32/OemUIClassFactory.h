#pragma once
// The minimal class factory of the plug-in object. It lives only inside
// DllGetClassObject and the host's use of it.
#include <windows.h>
#include <objbase.h>

namespace kvt::oemui {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM interfaces have none; Release deletes

class OemUIClassFactory final : public IClassFactory {
public:
    OemUIClassFactory() = default;
    ~OemUIClassFactory() = default;
    OemUIClassFactory(const OemUIClassFactory&) = delete;
    OemUIClassFactory& operator=(const OemUIClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    LONG volatile references_ = 1;
};

#pragma GCC diagnostic pop

}  // namespace kvt::oemui
