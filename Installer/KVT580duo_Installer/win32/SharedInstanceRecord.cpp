#include "Installer/KVT580duo_Installer/win32/SharedInstanceRecord.h"

#include <string_view>

#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"

namespace kvt::installer::shell {

namespace {

template <std::size_t N>
constexpr void CopyTitle(std::string_view title, char (&field)[N]) {
    // The terminator must fit too.
    if (title.size() >= N) throw "title longer than its field";
    for (std::size_t i = 0; i < title.size(); ++i) field[i] = title[i];
}

constexpr SharedInstanceRecord InitialRecord() {
    SharedInstanceRecord record{};
    CopyTitle(kProgramTitle, record.programTitle);
    CopyTitle(kProgressWindowTitle, record.progressTitle);
    CopyTitle(kPortDialogTitle, record.portTitle);
    return record;
}

// Constant-initialised: the image carries the record, so a starting copy
// never writes it; a dynamic initialiser would reset the count at every start.
__attribute__((section("DataSeg"), shared)) constinit SharedInstanceRecord sharedRecord = InitialRecord();

}  // namespace

SharedInstanceRecord& SharedInstance() { return sharedRecord; }

}  // namespace kvt::installer::shell
