#pragma once
// The plug-in's spooler port over winspool's wide calls. Printers the plug-in
// opens are owned here until it closes them; the printer of a property
// sheet belongs to the host and is only borrowed.
#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <map>
#include <vector>

#include "platform/ports/PluginSpooler.h"
#include "platform/win32/CriticalSection.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Win32Spooler.h"

namespace kvt::win32 {

// A printer handle in the table: closed with its entry only when it was
// opened here.
class HeldPrinter {
public:
    HeldPrinter() = default;
    explicit HeldPrinter(UniquePrinter owned) : owned_(std::move(owned)), handle_(owned_.get()) {}
    static HeldPrinter Borrowed(HANDLE handle) {
        HeldPrinter held;
        held.handle_ = handle;
        return held;
    }
    HANDLE get() const { return handle_; }

private:
    UniquePrinter owned_;
    HANDLE handle_ = nullptr;
};

class Win32PluginSpooler final : public ports::PluginSpooler {
public:
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
    std::uint32_t getDefaultDevMode(ports::PrinterHandle printer, std::u16string_view printerName,
                                    ports::DevModeW& devmode) override;
    std::uint32_t validateDevMode(ports::PrinterHandle printer, std::u16string_view printerName,
                                  ports::DevModeW& devmode) override;
    std::uint32_t setPrinterDevMode(ports::PrinterHandle printer, const ports::PrinterInfo2W& info,
                                    const ports::DevModeW& devmode) override;

    // The port's number for a handle the host owns; the same handle keeps
    // its number, and closing it through the port forgets it without
    // closing it.
    ports::PrinterHandle borrow(HANDLE printer);
    // Forgets a borrowed handle's number without closing the host's handle;
    // nothing for a handle opened here or one already forgotten.
    void release(ports::PrinterHandle printer);

    std::size_t openPrinterCount() { return printers_.size(); }

private:
    HANDLE toHandle(ports::PrinterHandle printer) { return printers_.find(printer.value); }
    // GetPrinterW level 2 into `buffer`, which then holds a PRINTER_INFO_2W.
    std::uint32_t readPrinter(HANDLE printer, std::vector<std::uint8_t>& buffer);
    // DocumentPropertiesW's size of the printer's device mode.
    std::uint32_t devModeSize(HANDLE printer, std::u16string_view printerName, std::uint32_t& size);

    HandleTable<HeldPrinter> printers_;
    CriticalSection borrowedLock_;
    std::map<HANDLE, std::uint64_t> borrowed_;
};

}  // namespace kvt::win32
