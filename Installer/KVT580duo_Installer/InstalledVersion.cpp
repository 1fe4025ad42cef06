#include "Installer/KVT580duo_Installer/InstalledVersion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::installer {
namespace {

constexpr std::uint32_t kDwordSize = 4;

std::optional<std::string> FirstPrinterOfDriver(ports::Spooler& spooler, std::string_view driverName) {
    std::vector<ports::PrinterInfo2> printers;
    // A failed enumeration counts as an empty one.
    if (spooler.enumPrinters(ports::spool::EnumLocal, printers) != err::Success) return std::nullopt;
    for (const ports::PrinterInfo2& printer : printers)
        if (printer.driverName == driverName) return printer.printerName;
    return std::nullopt;
}

// GetPrinterDataA into a 4-byte integer that keeps its value when the read
// fails. Returns whether the read succeeded.
bool ReadDword(ports::Spooler& spooler, ports::PrinterHandle printer, std::string_view name,
               std::uint32_t& number) {
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    if (spooler.getPrinterData(printer, name, kDwordSize, value, needed) != err::Success) return false;
    // Whatever the value's type, its bytes land in the integer, as they land
    // in the caller's buffer on Windows.
    std::array<std::uint8_t, kDwordSize> bytes{};
    const std::size_t count = std::min<std::size_t>(value.data.size(), kDwordSize);
    std::copy_n(value.data.begin(), count, bytes.begin());
    if (count > 0)
        number = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                 static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

struct InstalledVersionValues {
    std::array<std::uint32_t, 4> fields{};  // major, minor, build, extra
    bool extraRead = false;
};

InstalledVersionValues ReadInstalledVersion(ports::Spooler& spooler, const std::string& printerName) {
    InstalledVersionValues installed;
    ports::PrinterDefaults defaults{std::string("RAW"), ports::spool::PrinterAllAccess};
    ports::PrinterHandle printer;
    // A printer that cannot be opened leaves every read failed.
    if (spooler.openPrinter(printerName, &defaults, printer) != err::Success) return installed;
    ReadDword(spooler, printer, "MajorVersion", installed.fields[0]);
    ReadDword(spooler, printer, "MinorVersion", installed.fields[1]);
    ReadDword(spooler, printer, "BuildVersion", installed.fields[2]);
    installed.extraRead = ReadDword(spooler, printer, "ExtraVersion", installed.fields[3]);
    spooler.closePrinter(printer);
    return installed;
}

int CompareFields(const setup::ProductVersion& product, const std::array<std::uint32_t, 4>& installed) {
    const std::array<std::uint32_t, 4> ours{product.major, product.minor, product.build, product.extra};
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (ours[i] > installed[i]) return installed::OlderOrUnknown;
        if (ours[i] < installed[i]) return installed::Newer;
    }
    return installed::Same;
}

bool HasLeftovers(ports::Spooler& spooler, std::string_view driverName, std::string_view processorName) {
    std::vector<ports::DriverInfo3> drivers;
    if (spooler.enumPrinterDrivers(std::nullopt, drivers) == err::Success &&
        std::any_of(drivers.begin(), drivers.end(),
                    [&](const ports::DriverInfo3& driver) { return driver.name == driverName; }))
        return true;
    std::vector<std::string> processors;
    return spooler.enumPrintProcessors(std::nullopt, processors) == err::Success &&
           std::find(processors.begin(), processors.end(), processorName) != processors.end();
}

}  // namespace

int CompareInstalledDriverVersion(ports::Spooler& spooler, std::string_view driverName,
                                  std::string_view processorName, const setup::ProductVersion& product) {
    if (std::optional<std::string> printerName = FirstPrinterOfDriver(spooler, driverName)) {
        const InstalledVersionValues installed = ReadInstalledVersion(spooler, *printerName);
        // A printer without the last value was not set up by a plug-in that
        // we can compare with: treat it as another version.
        if (!installed.extraRead) return installed::OlderOrUnknown;
        return CompareFields(product, installed.fields);
    }
    if (HasLeftovers(spooler, driverName, processorName)) return installed::OlderOrUnknown;
    return installed::Nothing;
}

}  // namespace kvt::installer
