#include "driversrc/kvt-580duo/DrvPackage/win32/ModuleState.h"

namespace kvt::oemui {
namespace {

HINSTANCE g_module = nullptr;
LONG volatile g_locks = 0;
LONG volatile g_objects = 0;

}  // namespace

HINSTANCE ModuleHandle() { return g_module; }

void SetModuleHandle(HINSTANCE module) { g_module = module; }

void LockModule(bool lock) {
    if (lock) {
        ::InterlockedIncrement(&g_locks);
    } else {
        ::InterlockedDecrement(&g_locks);
    }
}

void ObjectCreated() { ::InterlockedIncrement(&g_objects); }

void ObjectDestroyed() { ::InterlockedDecrement(&g_objects); }

bool ModuleInUse() {
    // An interlocked read: adding 0 returns the current count.
    return ::InterlockedExchangeAdd(&g_locks, 0) != 0 || ::InterlockedExchangeAdd(&g_objects, 0) != 0;
}

}  // namespace kvt::oemui
