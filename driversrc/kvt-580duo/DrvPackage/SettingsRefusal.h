#pragma once
// What a page does when the spooler refuses one of its writes for lack of
// rights: a printer's handle opened without PRINTER_ACCESS_ADMINISTER takes
// no printer data and no default device mode, and a user who may not
// administer the print server changes no form. The user is told, and what
// was typed stays in the controls, so nothing is lost without a word.
// Other failures of a write stay unreported, as before.
#include <cstdint>
#include <string_view>

#include "platform/ports/DialogControls.h"

namespace kvt::plugin {

inline constexpr std::u16string_view kAdministratorRightsText =
    u"Changing the printer's settings needs administrator rights. Your changes have not been saved.";
inline constexpr std::u16string_view kAdministratorRightsCaption = u"Error";

// Gathers the results of the writes that one Apply or Save makes.
class SettingsWrites {
public:
    // Passes the result through.
    std::uint32_t note(std::uint32_t result);
    bool refused() const { return refused_; }
    // When a write was refused: the message, and the sheet marked changed
    // again so that Apply stays available. Returns whether all was written.
    bool reportRefusal(ports::DialogControls& controls) const;

private:
    bool refused_ = false;
};

// The message alone, for a dialog whose own controls keep the entries.
void ShowAdministratorRightsNeeded(ports::DialogControls& controls);

}  // namespace kvt::plugin
