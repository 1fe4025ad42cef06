#include "Installer/KVT580duo_Installer/win32/Win32InstanceRecord.h"

#include "Installer/setup_common/win32/RunningCopy.h"

namespace kvt::installer::shell {

long Win32InstanceRecord::countThisStart() { return setup::shell::CountThisStart(shared_.count); }

void Win32InstanceRecord::bringForward(const std::array<std::string_view, 3>& titles) {
    setup::shell::BringWindowForward(setup::shell::FindRunningCopyWindow(titles));
}

}  // namespace kvt::installer::shell
