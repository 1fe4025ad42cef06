// The library's entry points: attach, and the two exports the host calls.
#include <windows.h>
#include <objbase.h>

#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUIClassFactory.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUiContract.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) kvt::oemui::SetModuleHandle(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
    if (!::IsEqualGUID(classId, kvt::oemui::kClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return kvt::oemui::OemUIClassFactory::Hand(interfaceId, object);
}

STDAPI DllCanUnloadNow() { return kvt::oemui::ModuleInUse() ? S_FALSE : S_OK; }
