#pragma once
// The print processor's spooler port over winspool's wide calls, and the
// gate of a paused job over a manual-reset event. The printers opened here
// are owned until the processor closes them.
#include <windows.h>

#include <cstdint>

#include "platform/ports/ProcessorSpooler.h"
#include "platform/win32/Handles.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Win32Spooler.h"

namespace kvt::win32 {

class Win32ProcessorSpooler final : public ports::ProcessorSpooler {
public:
    std::uint32_t openPrinter(std::u16string_view name, ports::PrinterHandle& printer) override;
    std::uint32_t startDocPrinter(ports::PrinterHandle printer, std::u16string_view documentName,
                                  std::u16string_view outputFile, std::u16string_view dataType) override;
    std::uint32_t readPrinter(ports::PrinterHandle job, std::span<std::uint8_t> buffer, std::uint32_t& read) override;
    std::uint32_t writePrinter(ports::PrinterHandle printer, std::span<const std::uint8_t> data,
                               std::uint32_t& written) override;
    std::uint32_t endDocPrinter(ports::PrinterHandle printer) override;
    std::uint32_t closePrinter(ports::PrinterHandle printer) override;

private:
    HandleTable<UniquePrinter> printers_;
};

class Win32JobGate final : public ports::JobGate {
public:
    Win32JobGate() : event_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}
    void close() override { ::ResetEvent(event_.get()); }
    void open() override { ::SetEvent(event_.get()); }
    void wait() override { ::WaitForSingleObject(event_.get(), INFINITE); }
    // False when the event could not be made; the processor then refuses the job.
    bool valid() const { return static_cast<bool>(event_); }

private:
    UniqueHandle event_;
};

}  // namespace kvt::win32
