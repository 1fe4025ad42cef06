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

namespace kvt::uninstaller::timing {

// The completed text stays this long before a run that kept the driver ends.
inline constexpr std::uint32_t ClosingMs = 2000;
// After "Yes" to the restart question, before the restart.
inline constexpr std::uint32_t BeforeRestartMs = 1000;
// The spooler restart after the chosen printers went.
inline constexpr std::uint32_t AfterSpoolerStopMs = 2000;
inline constexpr std::uint32_t AfterSpoolerStartMs = 2000;

}  // namespace kvt::uninstaller::timing
