// KVT580duo_Uninstaller.exe: the single-copy rule, then the main window.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Installer/KVT580duo_Uninstaller/NVXPOS_Uninstaller.h"
#include "Installer/KVT580duo_Uninstaller/win32/SharedInstanceRecord.h"
#include "Installer/KVT580duo_Uninstaller/win32/UninstallerWindow.h"
#include "Installer/KVT580duo_Uninstaller/win32/Win32InstanceRecord.h"
#include "Installer/setup_common/SetupCommandLine.h"
#include "Installer/setup_common/SetupExitCode.h"
#include "Installer/setup_common/win32/Win32SetupWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLineText, int) {
    using namespace kvt::uninstaller;

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    shell::SharedInstanceRecord& shared = shell::SharedInstance();
    shell::Win32InstanceRecord record(shared);
    kvt::setup::SetupCommandLine commandLine =
        kvt::setup::ParseSetupCommandLine(commandLineText != nullptr ? commandLineText : "",
                                          kvt::setup::SetupProgram::Uninstaller);
    // Another copy runs: its window has come forward, this one shows nothing.
    if (!NVXPOS_Uninstaller(record).InitInstance())
        return static_cast<int>(kvt::setup::ExitCodeOf(kvt::setup::RunOutcome::AlreadyRunning, commandLine.quiet));

    const std::string caption = kvt::setup::shell::ProgramFileTitle(shared.programTitle);
    shell::UninstallerWindow window(instance, caption.c_str(), std::move(commandLine));
    const int code = window.run();
    // The worker may still be running (it closes its run after "No"): end the
    // process here, before the window object it works on goes away.
    ::ExitProcess(static_cast<UINT>(code));
}
