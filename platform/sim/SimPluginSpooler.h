#pragma once
// The wide-character spooler calls of the driver's plug-in over the
// simulated spooler. The spooler keeps ANSI texts; the simulated systems'
// ANSI code page maps the bytes 0..255 to U+0000..U+00FF, and a character
// outside it becomes "?", as WideCharToMultiByte's default character.
//
// Each call asks the fault plan under its own name ("PluginSpooler.getPrinter")
// and then reaches the spooler without touching the program's plan: the
// plug-in runs in the spooler's process, not in the program's.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/PluginSpooler.h"

namespace kvt::sim {

class Simulation;

class SimPluginSpooler final : public ports::PluginSpooler {
public:
    explicit SimPluginSpooler(Simulation& sim) : sim_(sim) {}

    std::uint32_t openPrinter(std::u16string_view name, std::uint32_t desiredAccess,
                              ports::PrinterHandle& printer) override;
    std::uint32_t getPrinter(ports::PrinterHandle printer, std::uint32_t bufferSize, ports::PrinterInfo2W& info,
                             std::uint32_t& needed) override;
    std::uint32_t setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2W& info) override;
    std::uint32_t getPrinterData(ports::PrinterHandle printer, std::u16string_view name, std::uint32_t bufferSize,
                                 ports::PrinterDataValue& value, std::uint32_t& needed) override;
    std::uint32_t setPrinterData(ports::PrinterHandle printer, std::u16string_view name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) override;
    std::uint32_t closePrinter(ports::PrinterHandle printer) override;

    std::uint32_t enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1W>& forms) override;
    std::uint32_t getForm(ports::PrinterHandle printer, std::u16string_view name, ports::FormInfo1W& form) override;
    std::uint32_t addForm(ports::PrinterHandle printer, const ports::FormInfo1W& form) override;
    std::uint32_t setForm(ports::PrinterHandle printer, std::u16string_view name,
                          const ports::FormInfo1W& form) override;
    std::uint32_t deleteForm(ports::PrinterHandle printer, std::u16string_view name) override;

    // The driver keeps every device mode it is given as it is: the fields the
    // pages write are all valid for it.
    std::uint32_t getDefaultDevMode(ports::PrinterHandle printer, std::u16string_view printerName,
                                    ports::DevModeW& devmode) override;
    std::uint32_t validateDevMode(ports::PrinterHandle printer, std::u16string_view printerName,
                                  ports::DevModeW& devmode) override;
    std::uint32_t setPrinterDevMode(ports::PrinterHandle printer, const ports::PrinterInfo2W& info,
                                    const ports::DevModeW& devmode) override;

private:
    std::uint32_t planned(std::string_view method);
    std::uint32_t fail(std::uint32_t code);
    // Bytes of PRINTER_INFO_2W as the spooler's own bitness lays it out, with
    // its texts and the public part of the default device mode.
    std::uint32_t recordSize(const ports::PrinterInfo2W& info, bool hasDevMode) const;

    Simulation& sim_;
};

std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view text);

}  // namespace kvt::sim
