#include "Installer/KVT580duo_Uninstaller/win32/Win32InstanceRecord.h"

#include "Installer/setup_common/win32/RunningCopy.h"

namespace kvt::uninstaller::shell {

long Win32InstanceRecord::countThisStart() { return setup::shell::CountThisStart(shared_.count); }

void Win32InstanceRecord::bringForward(std::span<const std::string_view> titles) {
    setup::shell::BringWindowForward(setup::shell::FindRunningCopyWindow(titles));
}

}  // namespace kvt::uninstaller::shell
