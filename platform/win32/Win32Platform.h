#pragma once
// The Win32 adapters of one setup program, and the ports over them.
#include "platform/ports/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DeviceSetup.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessExit.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Spooler.h"
#include "platform/win32/Win32SystemInfo.h"

namespace kvt::win32 {

class Win32Platform {
public:
    Win32Platform() = default;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    ports::Platform platform() {
        return ports::Platform{registry_, files_, system_, clock_, processes_, exit_, spooler_, deviceSetup_};
    }

    Win32Registry& registry() { return registry_; }
    Win32FileSystem& files() { return files_; }
    Win32SystemInfo& system() { return system_; }
    Win32Clock& clock() { return clock_; }
    Win32Processes& processes() { return processes_; }
    Win32ProcessExit& exit() { return exit_; }
    Win32Spooler& spooler() { return spooler_; }
    Win32DeviceSetup& deviceSetup() { return deviceSetup_; }

private:
    Win32Registry registry_;
    Win32FileSystem files_;
    Win32SystemInfo system_;
    Win32Clock clock_;
    Win32Processes processes_;
    Win32ProcessExit exit_;
    Win32Spooler spooler_;
    Win32DeviceSetup deviceSetup_;
};

}  // namespace kvt::win32
