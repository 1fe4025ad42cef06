#pragma once
// Systems for the removal tests: a fresh image with other makers' printers,
// drivers, forms, INF files, devices and folders (which the removal must not
// touch), and the same system with the product fully installed on it.
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/sim/World.h"

namespace kvt::test {

inline constexpr std::string_view kProductDriver = "NORVEX KVT-580duo";
inline constexpr std::string_view kUninstallKey =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
inline constexpr std::string_view kUsbDeviceKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo";
inline constexpr std::string_view kLptDeviceKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo";

// A fresh image of `os` with the driver package in C:\Setup and other
// makers' things beside it.
sim::World SystemBeforeProduct(std::string_view os);

// `before` with the product installed as the installer leaves it: the
// printers "NORVEX KVT-580duo" (two jobs waiting) and "Receipt 2", the
// driver, monitor and processor with their files, two "[580duo]" forms, two
// OEM INF copies, two USB device nodes, the device keys, both package
// directories, the uninstall entry and the utilities.
sim::World InstallProduct(sim::World before);

// A fresh image of `os` with only the product's language monitor and print
// processor registered, their DLLs where the 64-bit or 32-bit spooler loads
// them from.
sim::World SystemWithComponents(std::string_view os);

// The driver directory of the system's own environment.
std::string NativeDriverDirectory(const sim::World& world);

// An INF whose models sections `sections` list `model`.
std::string ModelsInf(std::string_view model, std::initializer_list<std::string_view> sections,
                      std::string_view version = "1.0.0.0");

}  // namespace kvt::test
