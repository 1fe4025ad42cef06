#include "Installer/KVT580duo_Installer/win32/SharedInstanceRecord.h"

#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/setup_common/win32/SharedTitleField.h"

namespace kvt::installer::shell {

namespace {

using setup::shell::CopyTitle;

constexpr SharedInstanceRecord InitialRecord() {
    SharedInstanceRecord record{};
    CopyTitle(kProgramTitle, record.programTitle);
    CopyTitle(kProgressWindowTitle, record.progressTitle);
    CopyTitle(kPortDialogTitle, record.portTitle);
    return record;
}

__attribute__((section("DataSeg"), shared)) constinit SharedInstanceRecord sharedRecord = InitialRecord();

}  // namespace

SharedInstanceRecord& SharedInstance() { return sharedRecord; }

}  // namespace kvt::installer::shell
