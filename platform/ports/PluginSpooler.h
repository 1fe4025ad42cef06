#pragma once
// The print spooler as the driver's user-interface plug-in uses it (winspool,
// wide-character calls). Texts are UTF-16 (wchar_t is 16 bits on Windows; the
// Win32 adapter casts). Methods return 0 or the Windows error code the call
// leaves as last error.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ports/Spooler.h"

namespace kvt::ports {

// PRINTER_INFO_2W without the device mode and security descriptor, which a
// write-back leaves as they are.
struct PrinterInfo2W {
    std::u16string serverName, printerName, shareName, portName, driverName, comment, location, sepFile,
        printProcessor, dataType, parameters;
    std::uint32_t attributes = 0, priority = 0, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0,
                  jobs = 0, averagePpm = 0;
    friend bool operator==(const PrinterInfo2W&, const PrinterInfo2W&) = default;
};

class PluginSpooler {
public:
    virtual ~PluginSpooler() = default;

    // OpenPrinterW with printer defaults that name no data type and no device
    // mode, only `desiredAccess`.
    virtual std::uint32_t openPrinter(std::u16string_view name, std::uint32_t desiredAccess,
                                      PrinterHandle& printer) = 0;
    // GetPrinterW level 2 into a buffer of `bufferSize` bytes. `needed` is the
    // size of the whole record with its texts; a buffer below it (a size query
    // with 0 included) fails with 122 and leaves `info` alone.
    virtual std::uint32_t getPrinter(PrinterHandle printer, std::uint32_t bufferSize, PrinterInfo2W& info,
                                     std::uint32_t& needed) = 0;
    // SetPrinterW level 2, command 0.
    virtual std::uint32_t setPrinter(PrinterHandle printer, const PrinterInfo2W& info) = 0;
    // GetPrinterDataW into a buffer of `bufferSize` bytes: 234 (more data)
    // with `needed` set when the value does not fit; 2 when it is missing.
    virtual std::uint32_t getPrinterData(PrinterHandle printer, std::u16string_view name, std::uint32_t bufferSize,
                                         PrinterDataValue& value, std::uint32_t& needed) = 0;
    virtual std::uint32_t setPrinterData(PrinterHandle printer, std::u16string_view name,
                                         const PrinterDataValue& value) = 0;
    virtual std::uint32_t closePrinter(PrinterHandle printer) = 0;
};

}  // namespace kvt::ports
