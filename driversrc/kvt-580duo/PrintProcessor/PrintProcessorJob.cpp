#include "driversrc/kvt-580duo/PrintProcessor/PrintProcessorJob.h"

#include <algorithm>
#include <array>

#include "platform/ports/WinCodes.h"

namespace kvt::processor {

namespace {

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// Data type names are compared as the spooler compares them, without case.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

std::u16string Decimal(std::uint32_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

}  // namespace

const std::vector<std::u16string>& DataTypes() {
    static const std::vector<std::u16string> types{std::u16string(kRawDataType)};
    return types;
}

bool IsHandledDataType(std::u16string_view dataType) {
    return std::any_of(DataTypes().begin(), DataTypes().end(),
                       [&](const std::u16string& type) { return EqualsNoCase(type, dataType); });
}

std::uint32_t GetCapabilities(std::u16string_view dataType, ProcessorCapabilities& capabilities) {
    if (!IsHandledDataType(dataType)) return err::InvalidDatatype;
    capabilities = ProcessorCapabilities{};
    return err::Success;
}

std::uint32_t CheckOpenData(const ProcessorOpenData& data) {
    if (data.printerName.empty()) return err::InvalidParameter;
    // The spooler hands over jobs without a data type as the printer's
    // default, which is RAW for this driver.
    if (!data.dataType.empty() && !IsHandledDataType(data.dataType)) return err::InvalidDatatype;
    return err::Success;
}

std::u16string PrintProcessorJob::jobName() const {
    return data_.printerName + u", Job " + Decimal(data_.jobId);
}

std::uint32_t PrintProcessorJob::printDocument() {
    if (cancelled()) return err::Success;
    ports::PrinterHandle printer;
    if (const auto status = spooler_.openPrinter(data_.printerName, printer); status != err::Success) return status;
    std::uint32_t result = spooler_.startDocPrinter(printer, data_.documentName, data_.outputFile, kRawDataType);
    if (result == err::Success) {
        ports::PrinterHandle job;
        result = spooler_.openPrinter(jobName(), job);
        if (result == err::Success) {
            result = copyJob(job, printer);
            spooler_.closePrinter(job);
        }
        const auto ended = spooler_.endDocPrinter(printer);
        if (result == err::Success) result = ended;
    }
    spooler_.closePrinter(printer);
    return result;
}

std::uint32_t PrintProcessorJob::copyJob(ports::PrinterHandle job, ports::PrinterHandle printer) {
    std::array<std::uint8_t, kCopyChunkBytes> chunk{};
    for (;;) {
        gate_.wait();
        if (cancelled()) return err::Success;
        std::uint32_t read = 0;
        if (const auto status = spooler_.readPrinter(job, chunk, read); status != err::Success) return status;
        if (read == 0) return err::Success;
        if (const auto status = writeAll(printer, std::span(chunk).first(read)); status != err::Success)
            return status;
    }
}

std::uint32_t PrintProcessorJob::writeAll(ports::PrinterHandle printer, std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        std::uint32_t written = 0;
        if (const auto status = spooler_.writePrinter(printer, data, written); status != err::Success) return status;
        // A printer that takes nothing would hold the job for ever.
        if (written == 0 || written > data.size()) return err::InvalidFunction;
        data = data.subspan(written);
        if (!data.empty() && cancelled()) return err::Success;
    }
    return err::Success;
}

std::uint32_t PrintProcessorJob::control(std::uint32_t command) {
    switch (command) {
    case job_control::Pause: gate_.close(); return err::Success;
    case job_control::Resume: gate_.open(); return err::Success;
    case job_control::Cancel:
    case job_control::Delete:
        cancelled_.store(true);
        gate_.open();  // a paused job wakes up to end
        return err::Success;
    default: return err::InvalidParameter;
    }
}

}  // namespace kvt::processor
