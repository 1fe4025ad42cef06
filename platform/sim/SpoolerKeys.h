#pragma once
// Where the print spooler keeps its objects, as Windows does: under
// HKLM\SYSTEM\CurrentControlSet\Control\Print
//   Monitors\<name>                                         "Driver"
//   Environments\<env>\Print Processors\<name>              "Driver"
//   Environments\<env>\Drivers\Version-<n>\<name>           the DRIVER_INFO_3 fields
//   Printers\<name>                                         the PRINTER_INFO_2 fields, "Default DevMode"
//   Printers\<name>\PrinterDriverData                       the printer data
// These keys are the spooler's only persistent store: it reads them when it
// starts and writes an object's key whenever it changes the object. A system
// image's "spooler" section is loaded into them and saved from them.
//
// Unknown fields of an image's record are kept in the object's key as the
// JSON text of the value kImageFieldsValue, which Windows never writes.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sim/RegistryStore.h"
#include "platform/sim/SpoolerRecords.h"

namespace kvt::sim {

inline constexpr std::string_view kPrintKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print";
inline constexpr std::string_view kImageFieldsValue = "KvtSim Image Fields";

std::string MonitorKeyPath(std::string_view name);
std::string PrintProcessorKeyPath(std::string_view environment, std::string_view name);
std::string DriverKeyPath(std::string_view environment, std::uint32_t version, std::string_view name);
std::string PrinterKeyPath(std::string_view name);
std::string PrinterDataKeyPath(std::string_view printerName);

// Each writes the object's key (with any missing parent) and sets the values
// that describe the record; values of the key that the record does not
// describe stay as they are. A printer's data replaces the values of its
// PrinterDriverData key; a printer without a device mode leaves its
// "Default DevMode" value alone.
void WriteMonitorKey(RegistryStore& store, const MonitorRecord& monitor);
void WritePrintProcessorKey(RegistryStore& store, const PrintProcessorRecord& processor);
void WriteDriverKey(RegistryStore& store, const DriverRecord& driver);
void WritePrinterKey(RegistryStore& store, const PrinterRecord& printer);

// Every object the keys describe, in the registry's (sorted) order. A value
// that is missing or of another type reads as the record's default.
// Monitors serve the system's own environment, `nativeEnvironment`.
SpoolerObjects ReadSpoolerObjects(const RegistryStore& store, std::string_view nativeEnvironment);

// Which object a key path describes, if any; with SpoolerCarriesValue, what
// a saved image writes in its "spooler" section rather than its "registry"
// section.
enum class SpoolerKeyKind { None, Monitor, PrintProcessor, Driver, Printer, PrinterData };
SpoolerKeyKind ClassifySpoolerKey(std::string_view path);
bool SpoolerCarriesValue(SpoolerKeyKind kind, std::string_view valueName);

}  // namespace kvt::sim
