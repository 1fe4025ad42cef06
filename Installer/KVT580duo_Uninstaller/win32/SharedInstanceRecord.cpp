#include "Installer/KVT580duo_Uninstaller/win32/SharedInstanceRecord.h"

#include "Installer/KVT580duo_Uninstaller/NVXPOS_Uninstaller.h"
#include "Installer/setup_common/win32/SharedTitleField.h"

namespace kvt::uninstaller::shell {

namespace {

using setup::shell::CopyTitle;

constexpr SharedInstanceRecord InitialRecord() {
    SharedInstanceRecord record{};
    CopyTitle(kProgramTitle, record.programTitle);
    CopyTitle(kMainWindowTitle, record.windowTitle);
    return record;
}

__attribute__((section("DataSeg"), shared)) constinit SharedInstanceRecord sharedRecord = InitialRecord();

}  // namespace

SharedInstanceRecord& SharedInstance() { return sharedRecord; }

}  // namespace kvt::uninstaller::shell
