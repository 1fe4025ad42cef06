// The rendering plug-in's exports: the two that the universal driver calls.
#include <windows.h>
#include <objbase.h>

#include "driversrc/kvt-580duo/DrvRender/win32/OemUniClassFactory.h"
#include "driversrc/kvt-580duo/DrvRender/win32/OemUniContract.h"
#include "driversrc/kvt-580duo/DrvRender/win32/RenderModule.h"

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
    if (!::IsEqualGUID(classId, kvt::oemuni::kClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return kvt::oemuni::OemUniClassFactory::Hand(interfaceId, object);
}

STDAPI DllCanUnloadNow() { return kvt::oemuni::RenderModuleInUse() ? S_FALSE : S_OK; }
