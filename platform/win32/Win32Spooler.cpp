#include "platform/win32/Win32Spooler.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/win32/GrowingBuffer.h"
#include "platform/win32/PrinterInfo2Copy.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

constexpr DWORD kLevel1 = 1, kLevel2 = 2, kLevel3 = 3;
// Directories fit a path; the dance grows the buffer if one does not.
constexpr std::uint32_t kDirectoryBuffer = MAX_PATH + 1;

// A terminated copy of a text for the A functions, which take non-const
// pointers that they never write through. Empty or absent texts can stand
// for a null pointer, as the spooler reads them.
class Arg {
public:
    explicit Arg(std::string_view text) : text_(text) {}
    static Arg Maybe(const std::optional<std::string>& text) {
        Arg arg(text.value_or(""));
        arg.null_ = !text;
        return arg;
    }
    static Arg OrNull(std::string_view text) {
        Arg arg(text);
        arg.null_ = text.empty();
        return arg;
    }
    LPSTR get() { return null_ ? nullptr : text_.data(); }

private:
    std::string text_;
    bool null_ = false;
};

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

// A zero-separated list that ends with an extra zero ("a\0b\0\0").
std::string MultiText(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) {
        out += item;
        out += '\0';
    }
    out += '\0';
    return out;
}

std::vector<std::string> SplitMultiText(const char* list) {
    std::vector<std::string> items;
    for (const char* p = list; p && *p; p += std::string_view(p).size() + 1) items.emplace_back(p);
    return items;
}

// Runs one winspool call through the dance; `call` takes the buffer, its
// size and the two counters.
template <typename Call>
std::uint32_t Grow(Call call, std::vector<std::uint8_t>& buffer, std::uint32_t& returned,
                   std::uint32_t initialSize = 0) {
    return CallWithGrowingBuffer(
        [&call](std::uint8_t* data, std::uint32_t size, std::uint32_t& needed, std::uint32_t& count) {
            DWORD neededOut = 0, countOut = 0;
            const std::uint32_t error = ResultOf(call(data, static_cast<DWORD>(size), &neededOut, &countOut));
            needed = neededOut;
            count = countOut;
            return error;
        },
        buffer, returned, initialSize);
}

template <typename Record>
const Record* Records(const std::vector<std::uint8_t>& buffer) {
    return reinterpret_cast<const Record*>(buffer.data());
}

ports::PrinterInfo2 FromPrinterInfo(const PRINTER_INFO_2A& p) {
    return ReadPrinterInfo2<ports::PrinterInfo2>(p, [](const char* text) { return Text(text); });
}

using PrinterTexts = PrinterInfo2Texts<Arg>;

ports::DriverInfo3 FromDriverInfo(const DRIVER_INFO_3A& d) {
    ports::DriverInfo3 info;
    info.version = d.cVersion;
    info.name = Text(d.pName);
    info.environment = Text(d.pEnvironment);
    info.driverPath = Text(d.pDriverPath);
    info.dataFile = Text(d.pDataFile);
    info.configFile = Text(d.pConfigFile);
    info.helpFile = Text(d.pHelpFile);
    info.dependentFiles = SplitMultiText(d.pDependentFiles);
    info.monitorName = Text(d.pMonitorName);
    info.defaultDataType = Text(d.pDefaultDataType);
    return info;
}

ports::FormInfo1 FromFormInfo(const FORM_INFO_1A& f) {
    return {f.Flags,
            Text(f.pName),
            static_cast<std::int32_t>(f.Size.cx),
            static_cast<std::int32_t>(f.Size.cy),
            static_cast<std::int32_t>(f.ImageableArea.left),
            static_cast<std::int32_t>(f.ImageableArea.top),
            static_cast<std::int32_t>(f.ImageableArea.right),
            static_cast<std::int32_t>(f.ImageableArea.bottom)};
}

FORM_INFO_1A ToFormInfo(const ports::FormInfo1& form, Arg& name) {
    FORM_INFO_1A out{};
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

// Get...DirectoryA level 1: the folder as a terminated text.
template <typename Call>
std::uint32_t ReadDirectory(Call call, std::string& directory) {
    std::vector<std::uint8_t> buffer;
    std::uint32_t unused = 0;
    const std::uint32_t error =
        Grow([&call](std::uint8_t* data, DWORD size, DWORD* needed, DWORD*) { return call(data, size, needed); },
             buffer, unused, kDirectoryBuffer);
    if (error != err::Success) return error;
    directory = Text(reinterpret_cast<const char*>(buffer.data()));
    return err::Success;
}

}  // namespace

// ---------------------------------------------------------------- printers

std::uint32_t Win32Spooler::enumPrinters(std::uint32_t flags, std::vector<ports::PrinterInfo2>& printers) {
    std::vector<std::uint8_t> buffer;
    std::uint32_t count = 0;
    const std::uint32_t error = Grow(
        [flags](std::uint8_t* data, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPrintersA(flags, nullptr, kLevel2, data, size, needed, returned);
        },
        buffer, count);
    if (error != err::Success) return error;
    printers.clear();
    for (std::uint32_t i = 0; i < count; ++i) printers.push_back(FromPrinterInfo(Records<PRINTER_INFO_2A>(buffer)[i]));
    return err::Success;
}

std::uint32_t Win32Spooler::openPrinter(const std::optional<std::string>& name, const ports::PrinterDefaults* defaults,
                                        ports::PrinterHandle& printer) {
    Arg printerName = Arg::Maybe(name);
    Arg dataType = Arg::Maybe(defaults ? defaults->dataType : std::nullopt);
    PRINTER_DEFAULTSA printerDefaults{dataType.get(), nullptr, defaults ? defaults->desiredAccess : 0};
    UniquePrinter opened;
    if (!::OpenPrinterA(printerName.get(), opened.put(), defaults ? &printerDefaults : nullptr))
        return FailureCode();
    printer.value = printers_.add(std::move(opened));
    return err::Success;
}

std::uint32_t Win32Spooler::closePrinter(ports::PrinterHandle printer) {
    return printers_.remove(printer.value) ? err::Success : Fail(err::InvalidHandle);
}

std::uint32_t Win32Spooler::addPrinter(const ports::PrinterInfo2& info, ports::PrinterHandle& printer) {
    PrinterTexts texts(info);
    PRINTER_INFO_2A record{};
    texts.applyTo(record, info);
    UniquePrinter added(::AddPrinterA(nullptr, kLevel2, reinterpret_cast<LPBYTE>(&record)));
    if (!added) return FailureCode();
    printer.value = printers_.add(std::move(added));
    return err::Success;
}

std::uint32_t Win32Spooler::deletePrinter(ports::PrinterHandle printer) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    return ResultOf(::DeletePrinter(handle));
}

std::uint32_t Win32Spooler::readPrinter(HANDLE printer, std::vector<std::uint8_t>& buffer) {
    std::uint32_t unused = 0;
    return Grow([printer](std::uint8_t* data, DWORD size, DWORD* needed,
                          DWORD*) { return ::GetPrinterA(printer, kLevel2, data, size, needed); },
                buffer, unused);
}

std::uint32_t Win32Spooler::getPrinter(ports::PrinterHandle printer, ports::PrinterInfo2& info) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer;
    if (const std::uint32_t error = readPrinter(handle, buffer)) return error;
    info = FromPrinterInfo(*Records<PRINTER_INFO_2A>(buffer));
    return err::Success;
}

// The device mode stays the printer's own, and no security descriptor means
// "unchanged": the record read first supplies what the port does not carry.
std::uint32_t Win32Spooler::setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2& info) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer;
    if (const std::uint32_t error = readPrinter(handle, buffer)) return error;
    auto* record = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    PrinterTexts texts(info);
    texts.applyTo(*record, info);
    record->pSecurityDescriptor = nullptr;
    return ResultOf(::SetPrinterA(handle, kLevel2, buffer.data(), 0));
}

std::uint32_t Win32Spooler::getPrinterData(ports::PrinterHandle printer, std::string_view name,
                                           std::uint32_t bufferSize, ports::PrinterDataValue& value,
                                           std::uint32_t& needed) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    Arg valueName(name);
    std::vector<std::uint8_t> data(bufferSize);
    DWORD type = 0, size = 0;
    const DWORD error =
        ::GetPrinterDataA(handle, valueName.get(), &type, data.empty() ? nullptr : data.data(), bufferSize, &size);
    needed = size;
    value.type = type;
    value.data.clear();
    // GetPrinterData reports through its result; pass it on as last error too.
    if (error != ERROR_SUCCESS) return Fail(error);
    data.resize(std::min<std::size_t>(size, data.size()));
    value.data = std::move(data);
    return err::Success;
}

std::uint32_t Win32Spooler::setPrinterData(ports::PrinterHandle printer, std::string_view name,
                                           const ports::PrinterDataValue& value) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    Arg valueName(name);
    std::vector<std::uint8_t> data = value.data;
    const DWORD error = ::SetPrinterDataA(handle, valueName.get(), value.type, data.empty() ? nullptr : data.data(),
                                          static_cast<DWORD>(data.size()));
    return error == ERROR_SUCCESS ? err::Success : Fail(error);
}

// ---------------------------------------------------------------- jobs

std::uint32_t Win32Spooler::enumJobs(ports::PrinterHandle printer, std::uint32_t firstJob, std::uint32_t count,
                                     std::vector<std::uint32_t>& jobIds) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer;
    std::uint32_t returned = 0;
    const std::uint32_t error = Grow(
        [handle, firstJob, count](std::uint8_t* data, DWORD size, DWORD* needed, DWORD* jobs) {
            return ::EnumJobsA(handle, firstJob, count, kLevel3, data, size, needed, jobs);
        },
        buffer, returned);
    if (error != err::Success) return error;
    jobIds.clear();
    for (std::uint32_t i = 0; i < returned; ++i) jobIds.push_back(Records<JOB_INFO_3>(buffer)[i].JobId);
    return err::Success;
}

std::uint32_t Win32Spooler::setJob(ports::PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    return ResultOf(::SetJobA(handle, jobId, 0, nullptr, command));
}

// ---------------------------------------------------------------- drivers

std::uint32_t Win32Spooler::enumPrinterDrivers(const std::optional<std::string>& environment,
                                               std::vector<ports::DriverInfo3>& drivers) {
    Arg env = Arg::Maybe(environment);
    std::vector<std::uint8_t> buffer;
    std::uint32_t count = 0;
    const std::uint32_t error = Grow(
        [&env](std::uint8_t* data, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPrinterDriversA(nullptr, env.get(), kLevel3, data, size, needed, returned);
        },
        buffer, count);
    if (error != err::Success) return error;
    drivers.clear();
    for (std::uint32_t i = 0; i < count; ++i) drivers.push_back(FromDriverInfo(Records<DRIVER_INFO_3A>(buffer)[i]));
    return err::Success;
}

std::uint32_t Win32Spooler::addPrinterDriver(const ports::DriverInfo3& driver) {
    Arg name(driver.name), environment = Arg::OrNull(driver.environment), driverPath(driver.driverPath),
                           dataFile(driver.dataFile), configFile(driver.configFile),
                           helpFile = Arg::OrNull(driver.helpFile), monitor = Arg::OrNull(driver.monitorName),
                           dataType = Arg::OrNull(driver.defaultDataType);
    std::string dependentFiles = MultiText(driver.dependentFiles);
    DRIVER_INFO_3A info{};
    info.cVersion = driver.version;
    info.pName = name.get();
    info.pEnvironment = environment.get();
    info.pDriverPath = driverPath.get();
    info.pDataFile = dataFile.get();
    info.pConfigFile = configFile.get();
    info.pHelpFile = helpFile.get();
    info.pDependentFiles = driver.dependentFiles.empty() ? nullptr : dependentFiles.data();
    info.pMonitorName = monitor.get();
    info.pDefaultDataType = dataType.get();
    return ResultOf(::AddPrinterDriverA(nullptr, kLevel3, reinterpret_cast<LPBYTE>(&info)));
}

std::uint32_t Win32Spooler::deletePrinterDriverEx(const std::optional<std::string>& environment, std::string_view name,
                                                  std::uint32_t deleteFlags, std::uint32_t versionFlag) {
    Arg env = Arg::Maybe(environment), driverName(name);
    return ResultOf(::DeletePrinterDriverExA(nullptr, env.get(), driverName.get(), deleteFlags, versionFlag));
}

std::uint32_t Win32Spooler::getPrinterDriverDirectory(const std::optional<std::string>& environment,
                                                      std::string& directory) {
    Arg env = Arg::Maybe(environment);
    return ReadDirectory(
        [&env](std::uint8_t* data, DWORD size, DWORD* needed) {
            return ::GetPrinterDriverDirectoryA(nullptr, env.get(), kLevel1, data, size, needed);
        },
        directory);
}

// ---------------------------------------------------------------- monitors and print processors

std::uint32_t Win32Spooler::addMonitor(const ports::MonitorInfo2& monitor) {
    Arg name(monitor.name), environment = Arg::OrNull(monitor.environment), dll(monitor.dllName);
    MONITOR_INFO_2A info{name.get(), environment.get(), dll.get()};
    return ResultOf(::AddMonitorA(nullptr, kLevel2, reinterpret_cast<LPBYTE>(&info)));
}

std::uint32_t Win32Spooler::deleteMonitor(const std::optional<std::string>& environment, std::string_view name) {
    Arg env = Arg::Maybe(environment), monitorName(name);
    return ResultOf(::DeleteMonitorA(nullptr, env.get(), monitorName.get()));
}

std::uint32_t Win32Spooler::addPrintProcessor(const std::optional<std::string>& environment, std::string_view pathName,
                                              std::string_view name) {
    Arg env = Arg::Maybe(environment), path(pathName), processorName(name);
    return ResultOf(::AddPrintProcessorA(nullptr, env.get(), path.get(), processorName.get()));
}

std::uint32_t Win32Spooler::enumPrintProcessors(const std::optional<std::string>& environment,
                                                std::vector<std::string>& names) {
    Arg env = Arg::Maybe(environment);
    std::vector<std::uint8_t> buffer;
    std::uint32_t count = 0;
    const std::uint32_t error = Grow(
        [&env](std::uint8_t* data, DWORD size, DWORD* needed, DWORD* returned) {
            return ::EnumPrintProcessorsA(nullptr, env.get(), kLevel1, data, size, needed, returned);
        },
        buffer, count);
    if (error != err::Success) return error;
    names.clear();
    for (std::uint32_t i = 0; i < count; ++i) names.push_back(Text(Records<PRINTPROCESSOR_INFO_1A>(buffer)[i].pName));
    return err::Success;
}

std::uint32_t Win32Spooler::deletePrintProcessor(const std::optional<std::string>& environment, std::string_view name) {
    Arg env = Arg::Maybe(environment), processorName(name);
    return ResultOf(::DeletePrintProcessorA(nullptr, env.get(), processorName.get()));
}

std::uint32_t Win32Spooler::getPrintProcessorDirectory(const std::optional<std::string>& environment,
                                                       std::string& directory) {
    Arg env = Arg::Maybe(environment);
    return ReadDirectory(
        [&env](std::uint8_t* data, DWORD size, DWORD* needed) {
            return ::GetPrintProcessorDirectoryA(nullptr, env.get(), kLevel1, data, size, needed);
        },
        directory);
}

// ---------------------------------------------------------------- forms

std::uint32_t Win32Spooler::enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1>& forms) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    std::vector<std::uint8_t> buffer;
    std::uint32_t count = 0;
    const std::uint32_t error =
        Grow([handle](std::uint8_t* data, DWORD size, DWORD* needed,
                      DWORD* returned) { return ::EnumFormsA(handle, kLevel1, data, size, needed, returned); },
             buffer, count);
    if (error != err::Success) return error;
    forms.clear();
    for (std::uint32_t i = 0; i < count; ++i) forms.push_back(FromFormInfo(Records<FORM_INFO_1A>(buffer)[i]));
    return err::Success;
}

std::uint32_t Win32Spooler::addForm(ports::PrinterHandle printer, const ports::FormInfo1& form) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    Arg name(form.name);
    FORM_INFO_1A info = ToFormInfo(form, name);
    return ResultOf(::AddFormA(handle, kLevel1, reinterpret_cast<LPBYTE>(&info)));
}

std::uint32_t Win32Spooler::getForm(ports::PrinterHandle printer, std::string_view name, ports::FormInfo1& form) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    Arg formName(name);
    std::vector<std::uint8_t> buffer;
    std::uint32_t unused = 0;
    const std::uint32_t error =
        Grow([handle, &formName](std::uint8_t* data, DWORD size, DWORD* needed,
                                 DWORD*) { return ::GetFormA(handle, formName.get(), kLevel1, data, size, needed); },
             buffer, unused);
    if (error != err::Success) return error;
    form = FromFormInfo(*Records<FORM_INFO_1A>(buffer));
    return err::Success;
}

std::uint32_t Win32Spooler::setForm(ports::PrinterHandle printer, std::string_view name, const ports::FormInfo1& form) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    Arg formName(name), recordName(form.name);
    FORM_INFO_1A info = ToFormInfo(form, recordName);
    return ResultOf(::SetFormA(handle, formName.get(), kLevel1, reinterpret_cast<LPBYTE>(&info)));
}

std::uint32_t Win32Spooler::deleteForm(ports::PrinterHandle printer, std::string_view name) {
    HANDLE handle = toHandle(printer);
    if (handle == nullptr) return Fail(err::InvalidHandle);
    Arg formName(name);
    return ResultOf(::DeleteFormA(handle, formName.get()));
}

}  // namespace kvt::win32
