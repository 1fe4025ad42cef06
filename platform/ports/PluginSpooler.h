#pragma once
// The print spooler as the driver's user-interface plug-in uses it (winspool,
// wide-character calls). Texts are UTF-16 (wchar_t is 16 bits on Windows; the
// Win32 adapter casts). Methods return 0 or the Windows error code the call
// leaves as last error.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// FORM_INFO_1W; sizes in thousandths of a millimetre.
struct FormInfo1W {
    std::uint32_t flags = 0;
    std::u16string name;
    std::int32_t width = 0, length = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const FormInfo1W&, const FormInfo1W&) = default;
};

// The fields of a printer's default DEVMODEW that the pages read and change.
// `record` is the whole structure as the driver handed it out (public part
// and the driver's private bytes) for the Win32 adapter to write the fields
// back into; the simulation leaves it empty.
struct DevModeW {
    std::int16_t copies = 1, color = 1, defaultSource = 0;
    std::u16string formName;  // at most 31 characters
    std::int16_t paperSize = 0, paperLength = 0, paperWidth = 0;
    std::vector<std::uint8_t> record;
};

namespace devmode_color {
inline constexpr std::int16_t Monochrome = 1;  // DMCOLOR_MONOCHROME
inline constexpr std::int16_t Color = 2;       // DMCOLOR_COLOR
}  // namespace devmode_color

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
    // SetPrinterDataW with the caller's buffer as it is: `data` points to
    // `size` bytes and is never null, even when `size` is 0.
    virtual std::uint32_t setPrinterData(PrinterHandle printer, std::u16string_view name, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t size) = 0;
    virtual std::uint32_t closePrinter(PrinterHandle printer) = 0;

    // Forms at level 1, on the printer's handle. The enumeration returns the
    // whole list (the adapter asks for the size first).
    virtual std::uint32_t enumForms(PrinterHandle printer, std::vector<FormInfo1W>& forms) = 0;
    virtual std::uint32_t getForm(PrinterHandle printer, std::u16string_view name, FormInfo1W& form) = 0;
    virtual std::uint32_t addForm(PrinterHandle printer, const FormInfo1W& form) = 0;
    virtual std::uint32_t setForm(PrinterHandle printer, std::u16string_view name, const FormInfo1W& form) = 0;
    virtual std::uint32_t deleteForm(PrinterHandle printer, std::u16string_view name) = 0;

    // The printer's current default device mode: DocumentPropertiesW without
    // a window, first for the size (mode 0), then into a buffer of that size
    // with DM_OUT_BUFFER.
    virtual std::uint32_t getDefaultDevMode(PrinterHandle printer, std::u16string_view printerName,
                                            DevModeW& devmode) = 0;
    // DocumentPropertiesW with `devmode` as input and output
    // (DM_IN_BUFFER | DM_OUT_BUFFER): the driver merges and validates it.
    virtual std::uint32_t validateDevMode(PrinterHandle printer, std::u16string_view printerName,
                                          DevModeW& devmode) = 0;
    // SetPrinterW level 2, command 0, with `devmode` as the printer's default
    // device mode and no security descriptor.
    virtual std::uint32_t setPrinterDevMode(PrinterHandle printer, const PrinterInfo2W& info,
                                            const DevModeW& devmode) = 0;
};

}  // namespace kvt::ports
