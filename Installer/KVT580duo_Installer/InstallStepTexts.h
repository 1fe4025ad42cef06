#pragma once
// What the install steps show and report: step texts, the heads of their
// error reports, and the file names that are fixed text rather than entries
// of the product record.
#include <array>
#include <cstdint>
#include <string_view>

namespace kvt::installer::steptext {

inline constexpr std::string_view InstallingLanguageMonitor = "Installing L/M...\r\n";
inline constexpr std::string_view InstallingPrintProcessor = "Installing printer processor...\r\n";
inline constexpr std::string_view InstallingPrinterDriver = "Installing printer driver...\r\n";
inline constexpr std::string_view AddingPrinter = "Adding printer...\r\n";
inline constexpr std::string_view WaitForAddingPrinter = "Please wait for adding printer.\r\nIt takes a couple of minutes.";
inline constexpr std::string_view CopyingFiles = "Copying files...\r\n";
inline constexpr std::string_view DeletingFilesUsed = "Deleting files used to install...\r\n";

}  // namespace kvt::installer::steptext

namespace kvt::installer::reporthead {

inline constexpr std::string_view AddMonitor = "AddMonitor, ERR CODE: %d\n\n";
inline constexpr std::string_view AddPrintProcessor = "AddPrintProcessor, ERR CODE: %d\n\n";
inline constexpr std::string_view AddPrinterDriver = "AddPrinterDriver, ERR CODE: %d\n\n";
inline constexpr std::string_view AddPrinter = "AddPrinter, Error Code: %d\n\n";
inline constexpr std::string_view SetupCopyOEMInf = "SetupCopyOEMInf, ERR CODE: %d\n\n";

}  // namespace kvt::installer::reporthead

namespace kvt::installer::stepfile {

// The universal driver's files and the standard names that every driver
// built on it carries; the spooler, not the product, owns them.
inline constexpr std::string_view UniversalDriver = "UNIDRV.DLL";
inline constexpr std::string_view UniversalDriverUi = "UNIDRVUI.DLL";
inline constexpr std::string_view UniversalDriverHelp = "UNIDRV.HLP";
inline constexpr std::string_view UniversalResources = "UNIRES.DLL";
inline constexpr std::string_view StandardNames = "STDNAMES.GPD";

// The driver record's dependent files, as the spooler is given them.
inline constexpr std::array<std::string_view, 6> DependentFiles{
    "UNIRES.DLL", "STDNAMES.GPD", "KVT580D.DLL", "UI580D.DLL", "UNI580D.DLL", "UI580D.INI"};

inline constexpr std::string_view ConfigurationFile = "KVT580duo_Config.NVX";
// Needed by the spooler of older systems to load a driver's configuration
// file; some systems keep it only below "wbem".
inline constexpr std::string_view FrameworkDll = "framedyn.dll";

}  // namespace kvt::installer::stepfile
