#pragma once
// The rendering plug-in's module-wide counts, for DllCanUnloadNow: server
// locks taken through the class factory and live plug-in objects.
namespace kvt::oemuni {

void LockRenderModule(bool lock);
void CountRenderObject(bool created);
bool RenderModuleInUse();

}  // namespace kvt::oemuni
