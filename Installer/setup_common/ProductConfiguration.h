#pragma once
// The product record: every name that the setup programs give to the
// spooler, the file system and the registry, by the entry numbers of the
// programs' string tables. The installer and the uninstaller number entries
// 1 to 20 alike and the later ones differently; the uninstaller has no
// version entries. Entries 10 and 19 do not exist.
#include <optional>
#include <span>
#include <string_view>

#include "Installer/setup_common/SetupProgram.h"

namespace kvt::setup {

namespace product {
inline constexpr std::string_view ModelName = "KVT-580duo";
inline constexpr std::string_view DriverName = "NORVEX KVT-580duo";
inline constexpr std::string_view LanguageMonitorName = "NVX Language Monitor KVT580duo";
inline constexpr std::string_view PrintProcessorName = "NVX PRINT PROCESSOR KVT580duo";
inline constexpr std::string_view DriverDll = "KVT580D.dll";
inline constexpr std::string_view LanguageMonitorDll = "MON580D.dll";
inline constexpr std::string_view PrintProcessorDll = "PRO580D.dll";
inline constexpr std::string_view UiPluginDll = "UI580D.dll";
inline constexpr std::string_view SecondDriverDll = "UNI580D.dll";
inline constexpr std::string_view InfFileName = "kvt580d.inf";
inline constexpr std::string_view UsbHardwareId = "Vid_2E9C&Pid_000b";
inline constexpr std::string_view FirstPackageDirectory = "norvexkvt_580duoaed9";
inline constexpr std::string_view SecondPackageDirectory = "norvex_kvt_580duobc99";
inline constexpr std::string_view UsbDeviceKey = "SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo";
inline constexpr std::string_view ParallelDeviceKey = "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo";
inline constexpr std::string_view InstallerProgramFile = "KVT580duo_Installer.exe";
inline constexpr std::string_view UninstallerProgramFile = "KVT580duo_Uninstaller.exe";
inline constexpr std::string_view UninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo";
inline constexpr std::string_view MajorVersion = "3";
inline constexpr std::string_view MinorVersion = "4";
inline constexpr std::string_view BuildVersion = "3";
inline constexpr std::string_view ExtraVersion = "0";
inline constexpr std::string_view MakerName = "NORVEX";
inline constexpr std::string_view GpdFile = "KVT580D.GPD";
inline constexpr std::string_view BudFile = "KVT580D.BUD";
inline constexpr std::string_view PluginIniFile = "UI580D.INI";
inline constexpr std::string_view ModelTag = "[580duo]";
}  // namespace product

// Entry numbers of the installer's table that code loads by number.
namespace entry {
inline constexpr int ModelName = 1;
inline constexpr int DriverName = 2;
inline constexpr int LanguageMonitorName = 3;
inline constexpr int PrintProcessorName = 4;
inline constexpr int DriverDll = 5;
inline constexpr int LanguageMonitorDll = 6;
inline constexpr int PrintProcessorDll = 7;
inline constexpr int UiPluginDll = 8;
inline constexpr int SecondDriverDll = 9;
inline constexpr int InfFileName = 11;
inline constexpr int UsbHardwareId = 12;
inline constexpr int FirstPackageDirectory = 13;
inline constexpr int SecondPackageDirectory = 14;
inline constexpr int UsbDeviceKey = 15;
inline constexpr int ParallelDeviceKey = 16;
inline constexpr int InstallerProgramFile = 17;
inline constexpr int UninstallerProgramFile = 18;
inline constexpr int UninstallKey = 20;
inline constexpr int MajorVersion = 21;
inline constexpr int MinorVersion = 22;
inline constexpr int BuildVersion = 23;
inline constexpr int ExtraVersion = 24;
inline constexpr int MakerName = 25;
inline constexpr int GpdFile = 26;
inline constexpr int BudFile = 27;
inline constexpr int PluginIniFile = 28;
inline constexpr int ModelTag = 29;
}  // namespace entry

struct ProductEntryRow {
    int installerEntry;
    int uninstallerEntry;  // 0: the uninstaller does not have it
    std::string_view value;
};

// Every row of the record, in the installer's order.
std::span<const ProductEntryRow> ProductEntries();

// The value of entry `number` in the given program's numbering; nothing for
// numbers that the program's table does not have.
std::optional<std::string_view> ProductEntry(SetupProgram program, int number);

struct ProductVersion {
    unsigned major = 0, minor = 0, build = 0, extra = 0;
    friend bool operator==(const ProductVersion&, const ProductVersion&) = default;
};

// Decimal value of the leading digits, as the C library's conversion reads
// them (leading blanks and a sign allowed); no digits give 0.
unsigned LeadingDecimal(std::string_view text);

// The installer's product version from entries 21 to 24.
ProductVersion InstallerProductVersion();

}  // namespace kvt::setup
