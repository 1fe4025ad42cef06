#pragma once
// The print spooler as a print processor uses it (winspool, wide calls): the
// printer to write to, the job to read from, and the gate that holds a paused
// job. Methods return 0 or the Windows error code the call leaves as last
// error.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/ports/Spooler.h"

namespace kvt::ports {

class ProcessorSpooler {
public:
    virtual ~ProcessorSpooler() = default;

    // OpenPrinterW without printer defaults. A name "PRINTER, Job N" opens
    // job N of the printer for reading.
    virtual std::uint32_t openPrinter(std::u16string_view name, PrinterHandle& printer) = 0;
    // StartDocPrinterW level 1.
    virtual std::uint32_t startDocPrinter(PrinterHandle printer, std::u16string_view documentName,
                                          std::u16string_view outputFile, std::u16string_view dataType) = 0;
    // ReadPrinter: `read` 0 with success at the end of the job.
    virtual std::uint32_t readPrinter(PrinterHandle job, std::span<std::uint8_t> buffer, std::uint32_t& read) = 0;
    virtual std::uint32_t writePrinter(PrinterHandle printer, std::span<const std::uint8_t> data,
                                       std::uint32_t& written) = 0;
    virtual std::uint32_t endDocPrinter(PrinterHandle printer) = 0;
    virtual std::uint32_t closePrinter(PrinterHandle printer) = 0;
};

// Where a paused job waits. close() and open() may come from another thread
// than wait(), which returns at once while the gate is open.
class JobGate {
public:
    virtual ~JobGate() = default;
    virtual void close() = 0;
    virtual void open() = 0;
    virtual void wait() = 0;
};

}  // namespace kvt::ports
