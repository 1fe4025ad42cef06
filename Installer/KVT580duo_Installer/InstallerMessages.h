#pragma once
// What the installer's flow and install sequences show and log, spelled
// exactly as customers and support staff see them.
#include <cstdint>
#include <string_view>

namespace kvt::installer::text {

// Flow.
inline constexpr std::string_view UnsupportedSystem = "THE DRIVER CAN NOT BE INSTALLED ON THIS OS.";
inline constexpr std::string_view InstallationCanceled = "The driver installation canceled.";
inline constexpr std::string_view DifferentVersionFound =
    "There is a different version driver in this system.\r\n\r\nThe installed driver will be removed.";
inline constexpr std::string_view DifferentVersionRemoved =
    "The installer has successfully removed the different version.\n"
    "Now it is going to restart your computer to take effect."
    "\nAfter restarting, you may reinstall the driver again.";

// Install sequences: step texts.
inline constexpr std::string_view PreparingInstallation = "Preparing for installation...\r\n";
inline constexpr std::string_view InstallingPrinter = "Installing printer...\r\n";
inline constexpr std::string_view CreatingProcess = "Creates a new process \r\n";
inline constexpr std::string_view ProcessRunning = "The new process is running...\r\n";
inline constexpr std::string_view WaitingForProcess = "Waiting until the process has finished processing ...\r\n";
inline constexpr std::string_view InstalledSuccessfully = "The driver has been successfully installed.";
inline constexpr std::string_view NotInstalled = "The driver could not be installed.";
inline constexpr std::string_view Completed = "Completed.";

// Install sequences: the closing messages.
inline constexpr std::string_view SwitchPrinterOffAndOn = "Please turn-off the printer and then turn-on again.";
inline constexpr std::string_view RestartQuestion =
    "Restarting your computer can take effect.\nPlease restart your computer."
    "\n\n[Yes] I want to restart my computer now.\n[No] I will restart my computer later.";
// In place of the two above when the installation left no driver (or, on a
// serial or parallel port, no printer of it).
inline constexpr std::string_view NotInstalledSeeLog =
    "The driver could not be installed.\nSee C:\\Temp\\KVT-580duo_Installer.txt for details.";
inline constexpr std::string_view CreateProcessFailed = "CreateProcess failed.";

}  // namespace kvt::installer::text

namespace kvt::installer::text {

// Logged by a quiet run that removed a different version: nothing of the
// product is installed until the installer runs again.
inline constexpr std::string_view RunAgainAfterRestart = "The installation must run again after the restart.";

}  // namespace kvt::installer::text
