#include "platform/win32/Win32PluginSpooler.h"

#include <algorithm>
#include <iterator>
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

constexpr DWORD kLevel1 = 1;

ports::FormInfo1W FromFormInfo(const FORM_INFO_1W& f) {
    return {f.Flags,
            Text(f.pName),
            static_cast<std::int32_t>(f.Size.cx),
            static_cast<std::int32_t>(f.Size.cy),
            static_cast<std::int32_t>(f.ImageableArea.left),
            static_cast<std::int32_t>(f.ImageableArea.top),
            static_cast<std::int32_t>(f.ImageableArea.right),
            static_cast<std::int32_t>(f.ImageableArea.bottom)};
}

FORM_INFO_1W ToFormInfo(const ports::FormInfo1W& form, WideArg& name) {
    FORM_INFO_1W out{};
    out.Flags = form.flags;
    out.pName = name.get();
    out.Size.cx = form.width;
    out.Size.cy = form.length;
    out.ImageableArea.left = form.left;
    out.ImageableArea.top = form.top;
    out.ImageableArea.right = form.right;
    out.ImageableArea.bottom = form.bottom;
    return out;
}

// Runs one sized winspool call through the two-call dance.
template <typename Call>
std::uint32_t Grow(Call call, std::vector<std::uint8_t>& buffer, std::uint32_t& returned) {
    return CallWithGrowingBuffer(
        [&call](std::uint8_t* data, std::uint32_t size, std::uint32_t& needed, std::uint32_t& count) {
            DWORD neededOut = 0, countOut = 0;
            const std::uint32_t error = ResultOf(call(data, static_cast<DWORD>(size), &neededOut, &countOut));
            needed = neededOut;
            count = countOut;
            return error;
        },
        buffer, returned);
}

// DocumentPropertiesW answers with a negative number on failure.
std::uint32_t DocumentPropertiesFailure() {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : Fail(err::InvalidParameter);
}

const DEVMODEW* AsDevMode(const std::vector<std::uint8_t>& record) {
    return reinterpret_cast<const DEVMODEW*>(record.data());
}

// The form name up to its terminator, which a driver's record may lack.
std::u16string FormNameOf(const DEVMODEW& dm) {
    std::size_t length = 0;
    while (length < CCHFORMNAME && dm.dmFormName[length] != 0) ++length;
    return std::u16string(reinterpret_cast<const char16_t*>(dm.dmFormName), length);
}

// The fields the port carries, read from a whole record that the driver
// handed out.
ports::DevModeW FromDevMode(std::vector<std::uint8_t> record) {
    const DEVMODEW& dm = *AsDevMode(record);
    ports::DevModeW devmode;
    devmode.copies = dm.dmCopies;
    devmode.color = dm.dmColor;
    devmode.defaultSource = dm.dmDefaultSource;
    devmode.formName = FormNameOf(dm);
    devmode.paperSize = dm.dmPaperSize;
    devmode.paperLength = dm.dmPaperLength;
    devmode.paperWidth = dm.dmPaperWidth;
    devmode.record = std::move(record);
    return devmode;
}

// The record with the port's fields written into it; a field that changes
// is also marked in dmFields, so that the driver takes it.
std::vector<std::uint8_t> ToDevMode(const ports::DevModeW& devmode) {
    std::vector<std::uint8_t> record = devmode.record;
    DEVMODEW& dm = *reinterpret_cast<DEVMODEW*>(record.data());
    auto put = [&dm](auto& field, auto value, DWORD flag) {
        if (field == value) return;
        field = value;
        dm.dmFields |= flag;
    };
    put(dm.dmCopies, devmode.copies, DM_COPIES);
    put(dm.dmColor, devmode.color, DM_COLOR);
    put(dm.dmDefaultSource, devmode.defaultSource, DM_DEFAULTSOURCE);
    put(dm.dmPaperSize, devmode.paperSize, DM_PAPERSIZE);
    put(dm.dmPaperLength, devmode.paperLength, DM_PAPERLENGTH);
    put(dm.dmPaperWidth, devmode.paperWidth, DM_PAPERWIDTH);
    const std::size_t length = std::min<std::size_t>(devmode.formName.size(), CCHFORMNAME - 1);
    if (FormNameOf(dm) != std::u16string_view(devmode.formName).substr(0, length)) {
        std::fill(std::begin(dm.dmFormName), std::end(dm.dmFormName), L'\0');
        std::copy_n(devmode.formName.begin(), length, dm.dmFormName);
        dm.dmFields |= DM_FORMNAME;
    }
    return record;
}

// A record the adapter handed out itself: at least the public part.
bool HoldsDevMode(const ports::DevModeW& devmode) { return devmode.record.size() >= sizeof(DEVMODEW); }

}  // namespace

std::uint32_t Win32PluginSpooler::openPrinter(std::u16string_view name, std::uint32_t desiredAccess,
                                              ports::PrinterHandle& printer) {
    WideArg printerName(name);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, desiredAccess};
    UniquePrinter opened;
    if (!::OpenPrinterW(printerName.get(), opened.put(), &defaults)) return FailureCode();
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
                                                 std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg valueName(name);
    // The spooler reads the bytes only; the parameter just lacks its const.
    const DWORD error = ::SetPrinterDataW(handle, valueName.get(), type, const_cast<LPBYTE>(data), size);
    return error == ERROR_SUCCESS ? err::Success : Fail(error);
}

std::uint32_t Win32PluginSpooler::closePrinter(ports::PrinterHandle printer) {
    {
        std::lock_guard guard(borrowedLock_);
        std::erase_if(borrowed_, [printer](const auto& entry) { return entry.second == printer.value; });
    }
    return printers_.remove(printer.value) ? err::Success : Fail(err::InvalidHandle);
}

std::uint32_t Win32PluginSpooler::enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1W>& forms) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer;
    std::uint32_t count = 0;
    const std::uint32_t error =
        Grow([handle](std::uint8_t* data, DWORD size, DWORD* needed,
                      DWORD* returned) { return ::EnumFormsW(handle, kLevel1, data, size, needed, returned); },
             buffer, count);
    if (error != err::Success) return error;
    forms.clear();
    const auto* records = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
    for (std::uint32_t i = 0; i < count; ++i) forms.push_back(FromFormInfo(records[i]));
    return err::Success;
}

std::uint32_t Win32PluginSpooler::getForm(ports::PrinterHandle printer, std::u16string_view name,
                                          ports::FormInfo1W& form) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg formName(name);
    std::vector<std::uint8_t> buffer;
    std::uint32_t unused = 0;
    const std::uint32_t error =
        Grow([handle, &formName](std::uint8_t* data, DWORD size, DWORD* needed,
                                 DWORD*) { return ::GetFormW(handle, formName.get(), kLevel1, data, size, needed); },
             buffer, unused);
    if (error != err::Success) return error;
    form = FromFormInfo(*reinterpret_cast<const FORM_INFO_1W*>(buffer.data()));
    return err::Success;
}

std::uint32_t Win32PluginSpooler::addForm(ports::PrinterHandle printer, const ports::FormInfo1W& form) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg name(form.name);
    FORM_INFO_1W info = ToFormInfo(form, name);
    return ResultOf(::AddFormW(handle, kLevel1, reinterpret_cast<LPBYTE>(&info)));
}

std::uint32_t Win32PluginSpooler::setForm(ports::PrinterHandle printer, std::u16string_view name,
                                          const ports::FormInfo1W& form) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg formName(name), recordName(form.name);
    FORM_INFO_1W info = ToFormInfo(form, recordName);
    return ResultOf(::SetFormW(handle, formName.get(), kLevel1, reinterpret_cast<LPBYTE>(&info)));
}

std::uint32_t Win32PluginSpooler::deleteForm(ports::PrinterHandle printer, std::u16string_view name) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    WideArg formName(name);
    return ResultOf(::DeleteFormW(handle, formName.get()));
}

std::uint32_t Win32PluginSpooler::devModeSize(HANDLE printer, std::u16string_view printerName, std::uint32_t& size) {
    WideArg name(printerName);
    const LONG answer = ::DocumentPropertiesW(nullptr, printer, name.get(), nullptr, nullptr, 0);
    if (answer < 0) return DocumentPropertiesFailure();
    if (answer < static_cast<LONG>(sizeof(DEVMODEW))) return Fail(err::InvalidParameter);
    size = static_cast<std::uint32_t>(answer);
    return err::Success;
}

std::uint32_t Win32PluginSpooler::getDefaultDevMode(ports::PrinterHandle printer, std::u16string_view printerName,
                                                    ports::DevModeW& devmode) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::uint32_t size = 0;
    if (const std::uint32_t error = devModeSize(handle, printerName, size)) return error;
    std::vector<std::uint8_t> record(size, 0);
    WideArg name(printerName);
    if (::DocumentPropertiesW(nullptr, handle, name.get(), reinterpret_cast<DEVMODEW*>(record.data()), nullptr,
                              DM_OUT_BUFFER) < 0)
        return DocumentPropertiesFailure();
    devmode = FromDevMode(std::move(record));
    return err::Success;
}

std::uint32_t Win32PluginSpooler::validateDevMode(ports::PrinterHandle printer, std::u16string_view printerName,
                                                  ports::DevModeW& devmode) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    if (!HoldsDevMode(devmode)) return Fail(err::InvalidParameter);
    std::uint32_t size = 0;
    if (const std::uint32_t error = devModeSize(handle, printerName, size)) return error;
    std::vector<std::uint8_t> input = ToDevMode(devmode);
    std::vector<std::uint8_t> output(size, 0);
    WideArg name(printerName);
    if (::DocumentPropertiesW(nullptr, handle, name.get(), reinterpret_cast<DEVMODEW*>(output.data()),
                              reinterpret_cast<DEVMODEW*>(input.data()), DM_IN_BUFFER | DM_OUT_BUFFER) < 0)
        return DocumentPropertiesFailure();
    devmode = FromDevMode(std::move(output));
    return err::Success;
}

std::uint32_t Win32PluginSpooler::setPrinterDevMode(ports::PrinterHandle printer, const ports::PrinterInfo2W& info,
                                                    const ports::DevModeW& devmode) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    if (!HoldsDevMode(devmode)) return Fail(err::InvalidParameter);
    std::vector<std::uint8_t> buffer;
    if (const std::uint32_t error = readPrinter(handle, buffer)) return error;
    std::vector<std::uint8_t> record = ToDevMode(devmode);
    auto* printerInfo = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    PrinterTexts texts(info);
    texts.applyTo(*printerInfo, info);
    printerInfo->pDevMode = reinterpret_cast<DEVMODEW*>(record.data());
    printerInfo->pSecurityDescriptor = nullptr;
    return ResultOf(::SetPrinterW(handle, kLevel2, buffer.data(), 0));
}

ports::PrinterHandle Win32PluginSpooler::borrow(HANDLE printer) {
    std::lock_guard guard(borrowedLock_);
    auto found = borrowed_.find(printer);
    if (found == borrowed_.end()) found = borrowed_.emplace(printer, printers_.add(HeldPrinter::Borrowed(printer))).first;
    return {found->second};
}

void Win32PluginSpooler::release(ports::PrinterHandle printer) {
    std::lock_guard guard(borrowedLock_);
    if (std::erase_if(borrowed_, [printer](const auto& entry) { return entry.second == printer.value; }) != 0)
        printers_.remove(printer.value);
}

}  // namespace kvt::win32
