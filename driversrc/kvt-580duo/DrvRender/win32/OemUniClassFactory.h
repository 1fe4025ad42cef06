#pragma once
// The class factory of the rendering plug-in object.
#include "driversrc/kvt-580duo/DrvRender/win32/RenderModule.h"
#include "driversrc/kvt-580duo/DrvRender/win32/OemUniPlugin.h"
#include "platform/win32/ComClassFactory.h"

namespace kvt::oemuni {

using OemUniClassFactory = win32::ComClassFactory<OemUniPlugin, LockRenderModule>;

}  // namespace kvt::oemuni
