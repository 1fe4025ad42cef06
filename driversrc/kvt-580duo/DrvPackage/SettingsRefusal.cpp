#include "driversrc/kvt-580duo/DrvPackage/SettingsRefusal.h"

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {

std::uint32_t SettingsWrites::note(std::uint32_t result) {
    if (result == err::AccessDenied) refused_ = true;
    return result;
}

bool SettingsWrites::reportRefusal(ports::DialogControls& controls) const {
    if (!refused_) return true;
    ShowAdministratorRightsNeeded(controls);
    controls.markChanged();
    return false;
}

void ShowAdministratorRightsNeeded(ports::DialogControls& controls) {
    controls.messageBox(kAdministratorRightsText, kAdministratorRightsCaption, ports::MessageIcon::Error,
                        ports::MessageButtons::Ok);
}

}  // namespace kvt::plugin
