#include "platform/win32/Win32ProcessorSpooler.h"

#include <winspool.h>

#include <string>

#include "platform/ports/WinCodes.h"

namespace kvt::win32 {

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// A printer's error code: the call's last error, or 1 (ERROR_INVALID_FUNCTION)
// when a failing call left none.
std::uint32_t LastError() {
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? err::InvalidFunction : error;
}

}  // namespace

std::uint32_t Win32ProcessorSpooler::openPrinter(std::u16string_view name, ports::PrinterHandle& printer) {
    std::wstring wide = Wide(name);
    UniquePrinter opened;
    if (!::OpenPrinterW(wide.data(), opened.put(), nullptr)) return LastError();
    printer.value = printers_.add(std::move(opened));
    return err::Success;
}

std::uint32_t Win32ProcessorSpooler::startDocPrinter(ports::PrinterHandle printer, std::u16string_view documentName,
                                                     std::u16string_view outputFile, std::u16string_view dataType) {
    std::wstring document = Wide(documentName), output = Wide(outputFile), type = Wide(dataType);
    DOC_INFO_1W info{};
    info.pDocName = document.data();
    info.pOutputFile = output.empty() ? nullptr : output.data();
    info.pDatatype = type.data();
    if (::StartDocPrinterW(printers_.find(printer.value), 1, reinterpret_cast<LPBYTE>(&info)) == 0) return LastError();
    return err::Success;
}

std::uint32_t Win32ProcessorSpooler::readPrinter(ports::PrinterHandle job, std::span<std::uint8_t> buffer,
                                                 std::uint32_t& read) {
    DWORD count = 0;
    if (!::ReadPrinter(printers_.find(job.value), buffer.data(), static_cast<DWORD>(buffer.size()), &count))
        return LastError();
    read = count;
    return err::Success;
}

std::uint32_t Win32ProcessorSpooler::writePrinter(ports::PrinterHandle printer, std::span<const std::uint8_t> data,
                                                  std::uint32_t& written) {
    DWORD count = 0;
    if (!::WritePrinter(printers_.find(printer.value), const_cast<std::uint8_t*>(data.data()),
                        static_cast<DWORD>(data.size()), &count))
        return LastError();
    written = count;
    return err::Success;
}

std::uint32_t Win32ProcessorSpooler::endDocPrinter(ports::PrinterHandle printer) {
    return ::EndDocPrinter(printers_.find(printer.value)) ? err::Success : LastError();
}

std::uint32_t Win32ProcessorSpooler::closePrinter(ports::PrinterHandle printer) {
    return printers_.remove(printer.value) ? err::Success : err::InvalidHandle;
}

}  // namespace kvt::win32
