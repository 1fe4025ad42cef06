#pragma once
// The spooler port over winspool's ANSI calls. Printer handles opened
// through the port are owned here until the core closes them.
#include <windows.h>
#include <winspool.h>

#include "platform/ports/Spooler.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

struct PrinterHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static bool valid(HANDLE printer) { return printer != nullptr; }
    static void close(HANDLE printer) { ::ClosePrinter(printer); }
};
using UniquePrinter = UniqueOwner<HANDLE, PrinterHandleTraits>;

class Win32Spooler final : public ports::Spooler {
public:
    std::uint32_t enumPrinters(std::uint32_t flags, std::vector<ports::PrinterInfo2>& printers) override;
    std::uint32_t openPrinter(const std::optional<std::string>& name, const ports::PrinterDefaults* defaults,
                              ports::PrinterHandle& printer) override;
    std::uint32_t closePrinter(ports::PrinterHandle printer) override;
    std::uint32_t addPrinter(const ports::PrinterInfo2& info, ports::PrinterHandle& printer) override;
    std::uint32_t deletePrinter(ports::PrinterHandle printer) override;
    std::uint32_t getPrinter(ports::PrinterHandle printer, ports::PrinterInfo2& info) override;
    std::uint32_t setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2& info) override;
    std::uint32_t getPrinterData(ports::PrinterHandle printer, std::string_view name, std::uint32_t bufferSize,
                                 ports::PrinterDataValue& value, std::uint32_t& needed) override;
    std::uint32_t setPrinterData(ports::PrinterHandle printer, std::string_view name,
                                 const ports::PrinterDataValue& value) override;

    std::uint32_t enumJobs(ports::PrinterHandle printer, std::uint32_t firstJob, std::uint32_t count,
                           std::vector<std::uint32_t>& jobIds) override;
    std::uint32_t setJob(ports::PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) override;

    std::uint32_t enumPrinterDrivers(const std::optional<std::string>& environment,
                                     std::vector<ports::DriverInfo3>& drivers) override;
    std::uint32_t addPrinterDriver(const ports::DriverInfo3& driver) override;
    std::uint32_t deletePrinterDriverEx(const std::optional<std::string>& environment, std::string_view name,
                                        std::uint32_t deleteFlags, std::uint32_t versionFlag) override;
    std::uint32_t getPrinterDriverDirectory(const std::optional<std::string>& environment,
                                            std::string& directory) override;

    std::uint32_t addMonitor(const ports::MonitorInfo2& monitor) override;
    std::uint32_t deleteMonitor(const std::optional<std::string>& environment, std::string_view name) override;
    std::uint32_t addPrintProcessor(const std::optional<std::string>& environment, std::string_view pathName,
                                    std::string_view name) override;
    std::uint32_t enumPrintProcessors(const std::optional<std::string>& environment,
                                      std::vector<std::string>& names) override;
    std::uint32_t deletePrintProcessor(const std::optional<std::string>& environment, std::string_view name) override;
    std::uint32_t getPrintProcessorDirectory(const std::optional<std::string>& environment,
                                             std::string& directory) override;

    std::uint32_t enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1>& forms) override;
    std::uint32_t addForm(ports::PrinterHandle printer, const ports::FormInfo1& form) override;
    std::uint32_t getForm(ports::PrinterHandle printer, std::string_view name, ports::FormInfo1& form) override;
    std::uint32_t setForm(ports::PrinterHandle printer, std::string_view name, const ports::FormInfo1& form) override;
    std::uint32_t deleteForm(ports::PrinterHandle printer, std::string_view name) override;

    std::size_t openPrinterCount() { return printers_.size(); }

private:
    // The HANDLE behind a port handle; null for a number this adapter never
    // handed out (or already closed).
    HANDLE toHandle(ports::PrinterHandle printer) { return printers_.find(printer.value); }
    // GetPrinterA level 2 into `buffer`, which then holds a PRINTER_INFO_2A.
    std::uint32_t readPrinter(HANDLE printer, std::vector<std::uint8_t>& buffer);

    HandleTable<UniquePrinter> printers_;
};

}  // namespace kvt::win32
