#include "platform/win32/Win32PluginSpooler.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/win32/GrowingBuffer.h"
#include "platform/win32/PrinterInfo2Copy.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

constexpr DWORD kLevel2 = 2;

// wchar_t is 16 bits on Windows: the port's texts pass as they are.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A terminated copy of a text for the W functions, which take non-const
// pointers that they never write through. An empty text can stand for a null
// pointer, as the spooler reads optional members.
class WideArg {
public:
    explicit WideArg(std::u16string_view text) : text_(text) {}
    static WideArg OrNull(std::u16string_view text) {
        WideArg arg(text);
        arg.null_ = text.empty();
        return arg;
    }
    LPWSTR get() { return null_ ? nullptr : reinterpret_cast<LPWSTR>(text_.data()); }

private:
    std::u16string text_;
    bool null_ = false;
};

std::u16string Text(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

ports::PrinterInfo2W FromPrinterInfo(const PRINTER_INFO_2W& p) {
    return ReadPrinterInfo2<ports::PrinterInfo2W>(p, [](const wchar_t* text) { return Text(text); });
}

using PrinterTexts = PrinterInfo2Texts<WideArg>;

}  // namespace

std::uint32_t Win32PluginSpooler::openPrinter(std::u16string_view name, std::uint32_t desiredAccess,
                                              ports::PrinterHandle& printer) {
    WideArg printerName(name);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, desiredAccess};
    UniquePrinter opened;
    if (!::OpenPrinterW(printerName.get(), opened.put(), &defaults)) return ::GetLastError();
    printer.value = printers_.add(HeldPrinter(std::move(opened)));
    return err::Success;
}

std::uint32_t Win32PluginSpooler::getPrinter(ports::PrinterHandle printer, std::uint32_t bufferSize,
                                             ports::PrinterInfo2W& info, std::uint32_t& needed) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer(bufferSize);
    DWORD neededOut = 0;
    const std::uint32_t error =
        ResultOf(::GetPrinterW(handle, kLevel2, buffer.empty() ? nullptr : buffer.data(), bufferSize, &neededOut));
    needed = neededOut;
    if (error != err::Success) return error;
    info = FromPrinterInfo(*reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data()));
    return err::Success;
}

std::uint32_t Win32PluginSpooler::readPrinter(HANDLE printer, std::vector<std::uint8_t>& buffer) {
    std::uint32_t unused = 0;
    return CallWithGrowingBuffer(
        [printer](std::uint8_t* data, std::uint32_t size, std::uint32_t& needed, std::uint32_t&) {
            DWORD neededOut = 0;
            const std::uint32_t error = ResultOf(::GetPrinterW(printer, kLevel2, data, size, &neededOut));
            needed = neededOut;
            return error;
        },
        buffer, unused);
}

// The record read first supplies what the port does not carry: the device
// mode stays the printer's own, and no security descriptor means "unchanged".
std::uint32_t Win32PluginSpooler::setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2W& info) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer;
    if (const std::uint32_t error = readPrinter(handle, buffer)) return error;
    auto* record = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    PrinterTexts texts(info);
    texts.applyTo(*record, info);
    record->pSecurityDescriptor = nullptr;
    return ResultOf(::SetPrinterW(handle, kLevel2, buffer.data(), 0));
}

std::uint32_t Win32PluginSpooler::getPrinterData(ports::PrinterHandle printer, std::u16string_view name,
                                                 std::uint32_t bufferSize, ports::PrinterDataValue& value,
                                                 std::uint32_t& needed) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg valueName(name);
    std::vector<std::uint8_t> data(bufferSize);
    DWORD type = 0, size = 0;
    const DWORD error = ::GetPrinterDataW(handle, valueName.get(), &type, data.empty() ? nullptr : data.data(),
                                          bufferSize, &size);
    needed = size;
    value.type = type;
    value.data.clear();
    // GetPrinterData reports through its result; pass it on as last error too.
    if (error != ERROR_SUCCESS) return Fail(error);
    data.resize(std::min<std::size_t>(size, data.size()));
    value.data = std::move(data);
    return err::Success;
}

std::uint32_t Win32PluginSpooler::setPrinterData(ports::PrinterHandle printer, std::u16string_view name,
                                                 const ports::PrinterDataValue& value) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg valueName(name);
    std::vector<std::uint8_t> data = value.data;
    const DWORD error = ::SetPrinterDataW(handle, valueName.get(), value.type, data.empty() ? nullptr : data.data(),
                                          static_cast<DWORD>(data.size()));
    return error == ERROR_SUCCESS ? err::Success : Fail(error);
}

std::uint32_t Win32PluginSpooler::closePrinter(ports::PrinterHandle printer) {
    {
        std::lock_guard guard(borrowedLock_);
        std::erase_if(borrowed_, [printer](const auto& entry) { return entry.second == printer.value; });
    }
    return printers_.remove(printer.value) ? err::Success : Fail(err::InvalidHandle);
}

ports::PrinterHandle Win32PluginSpooler::borrow(HANDLE printer) {
    std::lock_guard guard(borrowedLock_);
    auto found = borrowed_.find(printer);
    if (found == borrowed_.end()) found = borrowed_.emplace(printer, printers_.add(HeldPrinter::Borrowed(printer))).first;
    return {found->second};
}

}  // namespace kvt::win32
