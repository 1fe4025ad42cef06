// KVT580duo_DeviceRemoval.exe: removes the USB device nodes whose first
// hardware id begins with the prefix on its command line, for the 32-bit
// setup programs, which 64-bit Windows does not let remove devices. It shows
// nothing; the exit code tells what happened (DeviceRemovalProgram.h).
#include <windows.h>

#include "Installer/setup_common/DeviceRemovalProgram.h"
#include "platform/win32/Win32DeviceSetup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    kvt::win32::Win32DeviceSetup devices;
    ::ExitProcess(static_cast<UINT>(kvt::setup::RunDeviceRemoval(devices, ::GetCommandLineA())));
}
