// KVT580D.dll holds only resources; the universal driver loads it as a data
// file, and a loader that calls its entry point finds it succeed.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
