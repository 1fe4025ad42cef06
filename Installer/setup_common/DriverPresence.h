#pragma once
// Whether the product's printer driver is registered with the spooler, as
// both setup programs ask it: the installer to choose between a full
// installation and one more printer, the uninstaller when it finds no printer.
#include <optional>
#include <string>
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"
#include "platform/ports/SetupWindow.h"

namespace kvt::setup {

inline constexpr std::string_view kCheckingDriversText = "Checking existing drivers...\r\n";

// Whether a driver whose name equals `driverName` exactly (letter case
// included) is registered for `environment` (std::nullopt: the program's own
// environment, "Windows NT x86" for the 32-bit programs, also on 64-bit
// Windows). A failed enumeration counts as no driver. Nothing is logged.
bool DriverRegistered(ports::Spooler& spooler, const std::optional<std::string>& environment,
                      std::string_view driverName);

// 1 when DriverRegistered finds the driver for `environment`, else 0, with
// the check's block in the log. The installer asks for its own environment;
// the uninstaller for the system's ("Windows x64" on 64-bit Windows), where
// the driver it removes lives. With a window (the installer's form) the
// check is announced first: step text, a step of the bar and 500 ms.
int PrinterDrvExist(ports::Platform& platform, SetupLog& log, std::string_view driverName,
                    ports::SetupWindow* announceTo, const std::optional<std::string>& environment);

}  // namespace kvt::setup
