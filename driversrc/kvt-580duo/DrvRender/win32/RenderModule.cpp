#include "driversrc/kvt-580duo/DrvRender/win32/RenderModule.h"

#include <windows.h>

namespace kvt::oemuni {
namespace {
LONG volatile locks = 0;
LONG volatile objects = 0;
}  // namespace

void LockRenderModule(bool lock) { lock ? ::InterlockedIncrement(&locks) : ::InterlockedDecrement(&locks); }
void CountRenderObject(bool created) { created ? ::InterlockedIncrement(&objects) : ::InterlockedDecrement(&objects); }
bool RenderModuleInUse() { return locks != 0 || objects != 0; }

}  // namespace kvt::oemuni
