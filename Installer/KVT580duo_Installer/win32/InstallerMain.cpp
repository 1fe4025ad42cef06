// KVT580duo_Installer.exe: the single-copy rule, then the main window.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/KVT580duo_Installer/win32/InstallerWindow.h"
#include "Installer/KVT580duo_Installer/win32/SharedInstanceRecord.h"
#include "Installer/KVT580duo_Installer/win32/Win32InstanceRecord.h"
#include "Installer/setup_common/win32/Win32SetupWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace kvt::installer;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    shell::SharedInstanceRecord& shared = shell::SharedInstance();
    shell::Win32InstanceRecord record(shared);
    // Another copy runs: its window has come forward, this one shows nothing.
    if (!NVXPOS_Installer(record).InitInstance()) return 0;

    const std::string caption = kvt::setup::shell::ProgramFileTitle(shared.programTitle);
    shell::InstallerWindow window(instance, caption.c_str());
    const int code = window.run();
    // The worker may still be running: end the process here, before the
    // window object it works on goes away.
    ::ExitProcess(static_cast<UINT>(code));
}
