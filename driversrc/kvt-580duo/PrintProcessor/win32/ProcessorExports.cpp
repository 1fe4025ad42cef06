// PRO580D.dll's exports, the functions the spooler looks up in a print
// processor: a thin translation of the spooler's records and buffers to the
// portable job, whose failures come back as the thread's last error.
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <new>
#include <string>

#include "driversrc/kvt-580duo/PrintProcessor/PrintProcessorJob.h"
#include "driversrc/kvt-580duo/PrintProcessor/win32/PrintProcessorRecords.h"
#include "platform/win32/Win32ProcessorSpooler.h"

namespace {

using kvt::processor::PrintProcessorCaps1;
using kvt::processor::PrintProcessorJob;
using kvt::processor::PrintProcessorOpenData;

std::u16string Text(LPCWSTR text) {
    if (text == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// The handle OpenPrintProcessor returns; the mark tells it from a foreign one.
struct ProcessorHandle {
    static constexpr DWORD kMark = 0x38354F52;  // "RO58"
    explicit ProcessorHandle(kvt::processor::ProcessorOpenData data) : job(spooler, gate, std::move(data)) {}
    DWORD mark = kMark;
    kvt::win32::Win32ProcessorSpooler spooler;
    kvt::win32::Win32JobGate gate;
    PrintProcessorJob job;
};

ProcessorHandle* Valid(HANDLE handle) {
    auto* processor = static_cast<ProcessorHandle*>(handle);
    if (processor == nullptr || processor->mark != ProcessorHandle::kMark) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return processor;
}

BOOL Result(std::uint32_t status) {
    if (status == 0) return TRUE;
    ::SetLastError(status);
    return FALSE;
}

}  // namespace

extern "C" {

BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD level, LPBYTE datatypes,
                                                               DWORD size, LPDWORD needed, LPDWORD returned) {
    if (needed == nullptr || returned == nullptr) return Result(ERROR_INVALID_PARAMETER);
    *returned = 0;
    if (level != 1) return Result(ERROR_INVALID_LEVEL);
    const auto& types = kvt::processor::DataTypes();
    DWORD bytes = 0;
    for (const std::u16string& type : types) bytes += sizeof(DATATYPES_INFO_1W) + (type.size() + 1) * sizeof(WCHAR);
    *needed = bytes;
    if (datatypes == nullptr || size < bytes) return Result(ERROR_INSUFFICIENT_BUFFER);
    // The records first, their texts from the end of the buffer backwards.
    auto* records = reinterpret_cast<DATATYPES_INFO_1W*>(datatypes);
    LPBYTE end = datatypes + bytes;
    for (std::size_t i = 0; i < types.size(); ++i) {
        const std::size_t textBytes = (types[i].size() + 1) * sizeof(WCHAR);
        end -= textBytes;
        std::memcpy(end, types[i].c_str(), textBytes);
        records[i].pName = reinterpret_cast<LPWSTR>(end);
    }
    *returned = static_cast<DWORD>(types.size());
    return TRUE;
}

HANDLE WINAPI OpenPrintProcessor(LPWSTR printerName, PrintProcessorOpenData* openData) {
    if (openData == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    kvt::processor::ProcessorOpenData data{
        Text(openData->pPrinterName != nullptr ? openData->pPrinterName : printerName), Text(openData->pDatatype),
        Text(openData->pDocumentName), Text(openData->pOutputFile), openData->JobId};
    if (const auto status = kvt::processor::CheckOpenData(data); status != 0) {
        ::SetLastError(status);
        return nullptr;
    }
    auto* processor = new (std::nothrow) ProcessorHandle(std::move(data));
    if (processor == nullptr || !processor->gate.valid()) {
        delete processor;
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return processor;
}

BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE handle, LPWSTR) {
    ProcessorHandle* processor = Valid(handle);
    return processor == nullptr ? FALSE : Result(processor->job.printDocument());
}

BOOL WINAPI ControlPrintProcessor(HANDLE handle, DWORD command) {
    ProcessorHandle* processor = Valid(handle);
    return processor == nullptr ? FALSE : Result(processor->job.control(command));
}

BOOL WINAPI ClosePrintProcessor(HANDLE handle) {
    ProcessorHandle* processor = Valid(handle);
    if (processor == nullptr) return FALSE;
    processor->mark = 0;
    delete processor;
    return TRUE;
}

DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR dataType, DWORD, LPBYTE data, DWORD size,
                                                                 LPDWORD needed) {
    if (needed == nullptr) return ERROR_INVALID_PARAMETER;
    *needed = sizeof(PrintProcessorCaps1);
    kvt::processor::ProcessorCapabilities capabilities;
    if (const auto status = kvt::processor::GetCapabilities(Text(dataType), capabilities); status != 0) return status;
    if (data == nullptr || size < sizeof(PrintProcessorCaps1)) return ERROR_INSUFFICIENT_BUFFER;
    const PrintProcessorCaps1 caps{capabilities.level, capabilities.nupOptions, capabilities.pageOrderFlags,
                                   capabilities.numberOfCopies};
    std::memcpy(data, &caps, sizeof caps);
    return ERROR_SUCCESS;
}

}  // extern "C"
