#pragma once
// The class factory of the plug-in object. It lives only inside
// DllGetClassObject and the host's use of it.
#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"
#include "driversrc/kvt-580duo/DrvPackage/win32/OemUIPlugin.h"
#include "platform/win32/ComClassFactory.h"

namespace kvt::oemui {

using OemUIClassFactory = win32::ComClassFactory<OemUIPlugin, LockModule>;

}  // namespace kvt::oemui
