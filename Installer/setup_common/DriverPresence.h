#pragma once
// Whether the product's printer driver is registered with the spooler, as
// both setup programs ask it: the installer to choose between a full
// installation and one more printer, the uninstaller when it finds no printer.
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/Platform.h"
#include "platform/ports/SetupWindow.h"

namespace kvt::setup {

inline constexpr std::string_view kCheckingDriversText = "Checking existing drivers...\r\n";
inline constexpr std::uint32_t kCheckingDriversWaitMs = 500;

// 1 when a driver whose name equals `driverName` exactly (letter case
// included) is registered for the program's own environment ("Windows NT x86"
// for the 32-bit programs, also on 64-bit Windows), else 0; a failed
// enumeration counts as no driver. With a window (the installer's form) the
// check is announced first: step text, a step of the bar and 500 ms.
int PrinterDrvExist(ports::Platform& platform, SetupLog& log, std::string_view driverName,
                    ports::SetupWindow* announceTo);

}  // namespace kvt::setup
