#pragma once
// What Plug and Play and Setup keep about the printer: its USB device nodes,
// its device keys under the USBPRINT and LPTENUM enumerators, and the OEM
// INF copies in the system's INF store that carry the driver.
#include <string_view>

#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// Capacity of RemoveUsbDevices' copy of the prefix and of the hardware-id
// buffer, terminators included.
inline constexpr std::size_t kUsbPrefixCapacity = 50;
inline constexpr std::size_t kHardwareIdBufferSize = 100;

// Removes the USB device nodes of the printer, plugged in or not. The
// install sequences run it quietly before they install.
void DeleteVidPid(const RemovalContext& context, Reporting reporting = Reporting::AsForm);

// Removes every node of the "USB" enumerator whose first hardware id begins
// with `prefix`, in any letter case. Nonzero when the walk reached the end
// of the list and released it; 0 when the list could not be built, a device
// could not be fetched or removed (the walk then stops there).
int RemoveUsbDevices(const RemovalContext& context, std::string_view prefix);

// Deletes the printer's device keys under Enum\USBPRINT and Enum\LPTENUM,
// which Windows protects, after granting the right to delete them. The
// install sequences run it quietly before they install.
void Delete_LPT_USB_Info(const RemovalContext& context, Reporting reporting = Reporting::AsForm);

// Removes every OEM INF in the store whose maker's models section (the
// ".NTamd64" one on 64-bit Windows) lists the driver, with its PNF file.
void DeleteINFFile(const RemovalContext& context);

}  // namespace kvt::setup
