#pragma once
// What the uninstaller's own flow shows and logs, spelled exactly as
// customers and support staff see them. The removal steps' texts are the
// engine's (RemovalForm.h).
#include <cstdint>
#include <string_view>

namespace kvt::uninstaller::text {

// Between "The " and this, the model name.
inline constexpr std::string_view DriverDoesNotExistTail = " driver does not exist on this system.";
inline constexpr std::string_view RestartQuestion =
    "Restart the computer can take effect.\nPlease restart the computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";

}  // namespace kvt::uninstaller::text

