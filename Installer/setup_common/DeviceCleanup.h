#pragma once
// What Plug and Play and Setup keep about the printer: its USB device nodes,
// its device keys under the USBPRINT and LPTENUM enumerators, and the OEM
// INF copies in the system's INF store that carry the driver.
#include <string_view>

#include "Installer/setup_common/DeviceRemovalProgram.h"
#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// Capacity of RemoveUsbDevices' copy of the prefix and of the hardware-id
// buffer, terminators included.
inline constexpr std::size_t kUsbPrefixCapacity = 50;
inline constexpr std::size_t kHardwareIdBufferSize = 100;

// Removes the USB device nodes of the printer, plugged in or not. The
// install sequences run it quietly before they install. A program under
// WOW64 may not remove devices itself: there the 64-bit device removal
// program does it (RemoveDevicesInHelper).
void DeleteVidPid(const RemovalContext& context, Reporting reporting = Reporting::AsForm);

// Removes every node of the prefix's enumerator ("USB" for "USB\...")
// whose first hardware id begins with `prefix`, in any letter case. The walk stops at the first failure to
// build the list, fetch a device or remove one.
UsbNodeRemoval RemoveUsbDeviceNodes(ports::DeviceSetup& devices, std::string_view prefix);
// The same through the context's port: nonzero when the walk reached the end
// of the list and released it, 0 when it stopped.
int RemoveUsbDevices(const RemovalContext& context, std::string_view prefix);
// Starts the device removal program hidden, by its full path (where the
// form's site says), waits for it a bounded time and logs a failure to start,
// a time-out or a failing exit code with its code.
void RemoveDevicesInHelper(const RemovalContext& context, std::string_view prefix);

// Deletes the printer's device keys under Enum\USBPRINT and Enum\LPTENUM,
// which Windows protects, after granting the right to delete them. Where
// the system keeps that right to itself (Vista and later), the device
// removal takes the keys' device nodes and the keys with them; a key that
// still stays is logged. The uninstaller then deletes its copy of the device
// removal program. The install sequences run it quietly before they install.
void Delete_LPT_USB_Info(const RemovalContext& context, Reporting reporting = Reporting::AsForm);

// Removes every OEM INF in the store whose maker's models section (the
// ".NTamd64" one on 64-bit Windows) lists the driver, with its PNF file.
void DeleteINFFile(const RemovalContext& context);

}  // namespace kvt::setup
