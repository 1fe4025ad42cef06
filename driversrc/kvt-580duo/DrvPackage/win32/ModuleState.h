#pragma once
// State of the loaded library: its module handle (the instance of its
// resources), the server lock count and the number of live plug-in objects.
// The counts are interlocked: the host may create and release objects on
// several threads.
#include <windows.h>

namespace kvt::oemui {

HINSTANCE ModuleHandle();
void SetModuleHandle(HINSTANCE module);

// IClassFactory::LockServer.
void LockModule(bool lock);

void ObjectCreated();
void ObjectDestroyed();

// True while a lock or a plug-in object keeps the library in use.
bool ModuleInUse();

}  // namespace kvt::oemui
