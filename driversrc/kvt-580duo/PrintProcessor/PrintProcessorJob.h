#pragma once
// One document on the print processor PRO580D: the spooler opens it, prints
// it and closes it, and may pause, resume or cancel it meanwhile from another
// thread. Only RAW data passes through, unchanged: the rendering plug-in has
// already made the printer's bytes.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/ProcessorSpooler.h"

namespace kvt::processor {

inline constexpr std::u16string_view kRawDataType = u"RAW";
// Bytes read from the job and written to the printer at a time.
inline constexpr std::size_t kCopyChunkBytes = 4096;

namespace job_control {
inline constexpr std::uint32_t Pause = 1;
inline constexpr std::uint32_t Resume = 2;
inline constexpr std::uint32_t Cancel = 3;
inline constexpr std::uint32_t Restart = 4;
inline constexpr std::uint32_t Delete = 5;
}  // namespace job_control

// The data types the processor handles, in the order it lists them.
const std::vector<std::u16string>& DataTypes();
bool IsHandledDataType(std::u16string_view dataType);

// PRINTPROCESSOR_CAPS_1 of a data type.
struct ProcessorCapabilities {
    std::uint32_t level = 1;
    std::uint32_t nupOptions = 1;      // one page per sheet only
    std::uint32_t pageOrderFlags = 0;  // NORMAL_PRINT
    std::uint32_t numberOfCopies = 1;  // copies are rendered, never repeated here
};
// 0, or ERROR_INVALID_DATATYPE for a data type the processor does not handle.
std::uint32_t GetCapabilities(std::u16string_view dataType, ProcessorCapabilities& capabilities);

// The job as OpenPrintProcessor receives it (PRINTPROCESSOROPENDATA).
struct ProcessorOpenData {
    std::u16string printerName;
    std::u16string dataType;
    std::u16string documentName;
    std::u16string outputFile;
    std::uint32_t jobId = 0;
};

// 0 when the processor can print the job; ERROR_INVALID_DATATYPE or
// ERROR_INVALID_PARAMETER (no printer) otherwise.
std::uint32_t CheckOpenData(const ProcessorOpenData& data);

class PrintProcessorJob {
public:
    PrintProcessorJob(ports::ProcessorSpooler& spooler, ports::JobGate& gate, ProcessorOpenData data)
        : spooler_(spooler), gate_(gate), data_(std::move(data)) {}

    // Copies the job to the printer inside one document of the printer;
    // 0, or the code of the first call that failed. A cancelled job ends at
    // the next chunk, with success.
    std::uint32_t printDocument();
    // JOB_CONTROL_PAUSE, _RESUME, _CANCEL or _DELETE; others give
    // ERROR_INVALID_PARAMETER.
    std::uint32_t control(std::uint32_t command);

    bool cancelled() const { return cancelled_.load(); }

private:
    std::u16string jobName() const;
    std::uint32_t copyJob(ports::PrinterHandle job, ports::PrinterHandle printer);
    std::uint32_t writeAll(ports::PrinterHandle printer, std::span<const std::uint8_t> data);

    ports::ProcessorSpooler& spooler_;
    ports::JobGate& gate_;
    ProcessorOpenData data_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace kvt::processor
