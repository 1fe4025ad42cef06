#include "Installer/KVT580duo_Uninstaller/NVXPOS_Uninstaller.h"

namespace kvt::uninstaller {

bool NVXPOS_Uninstaller::InitInstance() {
    // The count is never taken back: it returns to 0 only when no copy is
    // left and the system drops the shared record.
    if (record_.countThisStart() > 1) {
        record_.bringForward(kRunningCopyTitles);
        return false;
    }
    return true;
}

}  // namespace kvt::uninstaller
