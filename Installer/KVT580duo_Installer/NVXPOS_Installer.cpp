#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"

namespace kvt::installer {

bool NVXPOS_Installer::InitInstance() {
    // The count only grows while any copy runs; it is back at 0 only once
    // no copy is left and the system drops the shared record.
    if (record_.countThisStart() > 1) {
        record_.bringForward(kRunningCopyTitles);
        return false;
    }
    return true;
}

}  // namespace kvt::installer
