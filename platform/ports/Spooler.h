#pragma once
// The print spooler as the setup programs use it (winspool, ANSI calls).
// Enumerations return whole lists: the Win32 adapter does the size query and
// the second call (and asks again when the list grew in between). Methods
// return 0 or the Windows error code the call leaves as last error (and set
// it, as winspool does).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::ports {

struct PrinterHandle {
    std::uint64_t value = 0;
    friend bool operator==(PrinterHandle, PrinterHandle) = default;
};

namespace spool {
inline constexpr std::uint32_t EnumLocal = 0x2;          // PRINTER_ENUM_LOCAL
inline constexpr std::uint32_t PrinterAllAccess = 0xF000C;
inline constexpr std::uint32_t ServerAllAccess = 0xF0003;
inline constexpr std::uint32_t ServerAccessAdminister = 0x1;
inline constexpr std::uint32_t ServerAccessEnumerate = 0x2;
inline constexpr std::uint32_t PrinterAccessAdminister = 0x4;
inline constexpr std::uint32_t PrinterAccessUse = 0x8;
inline constexpr std::uint32_t StatusPaused = 0x1;           // PRINTER_STATUS_PAUSED
inline constexpr std::uint32_t StatusPendingDeletion = 0x4;  // PRINTER_STATUS_PENDING_DELETION
inline constexpr std::uint32_t AttributeRawOnly = 0x1000;
inline constexpr std::uint32_t AttributeEnableBidi = 0x800;
inline constexpr std::uint32_t JobControlCancel = 3;
inline constexpr std::uint32_t JobControlDelete = 5;
inline constexpr std::uint32_t DeleteUnusedFiles = 0x1;  // DPD_DELETE_UNUSED_FILES
inline constexpr std::uint32_t FormBuiltin = 0x1;
inline constexpr std::uint32_t FormUser = 0x0;
}  // namespace spool

// PRINTER_INFO_2A without the device mode and security descriptor.
struct PrinterInfo2 {
    std::string serverName, printerName, shareName, portName, driverName, comment, location, sepFile,
        printProcessor, dataType, parameters;
    std::uint32_t attributes = 0, priority = 0, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0,
                  jobs = 0, averagePpm = 0;
    friend bool operator==(const PrinterInfo2&, const PrinterInfo2&) = default;
};

// PRINTER_DEFAULTSA. An empty optional data type is a null pointer.
struct PrinterDefaults {
    std::optional<std::string> dataType;
    std::uint32_t desiredAccess = 0;
};

// DRIVER_INFO_3A: all ten fields.
struct DriverInfo3 {
    std::uint32_t version = 0;
    std::string name, environment, driverPath, dataFile, configFile, helpFile;
    std::vector<std::string> dependentFiles;
    std::string monitorName, defaultDataType;
    friend bool operator==(const DriverInfo3&, const DriverInfo3&) = default;
};

// MONITOR_INFO_2A.
struct MonitorInfo2 {
    std::string name, environment, dllName;
    friend bool operator==(const MonitorInfo2&, const MonitorInfo2&) = default;
};

// FORM_INFO_1A; sizes in thousandths of a millimetre.
struct FormInfo1 {
    std::uint32_t flags = 0;
    std::string name;
    std::int32_t width = 0, length = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const FormInfo1&, const FormInfo1&) = default;
};

// Printer data as GetPrinterDataA hands it out.
struct PrinterDataValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // An empty environment (std::nullopt) is the caller's own environment, as
    // a null pointer is for winspool: "Windows NT x86" for a 32-bit program,
    // also on 64-bit Windows.

    // Printers.
    virtual std::uint32_t enumPrinters(std::uint32_t flags, std::vector<PrinterInfo2>& printers) = 0;
    // A null name (std::nullopt) opens the local print server.
    virtual std::uint32_t openPrinter(const std::optional<std::string>& name, const PrinterDefaults* defaults,
                                      PrinterHandle& printer) = 0;
    virtual std::uint32_t closePrinter(PrinterHandle printer) = 0;
    virtual std::uint32_t addPrinter(const PrinterInfo2& info, PrinterHandle& printer) = 0;
    virtual std::uint32_t deletePrinter(PrinterHandle printer) = 0;
    virtual std::uint32_t getPrinter(PrinterHandle printer, PrinterInfo2& info) = 0;
    virtual std::uint32_t setPrinter(PrinterHandle printer, const PrinterInfo2& info) = 0;
    // GetPrinterDataA into a buffer of `bufferSize` bytes: 234 (more data)
    // with `needed` set when the value does not fit; 2 when it is missing.
    virtual std::uint32_t getPrinterData(PrinterHandle printer, std::string_view name, std::uint32_t bufferSize,
                                         PrinterDataValue& value, std::uint32_t& needed) = 0;
    virtual std::uint32_t setPrinterData(PrinterHandle printer, std::string_view name,
                                         const PrinterDataValue& value) = 0;

    // Jobs (EnumJobsA level 3 gives the identifiers; SetJobA level 0).
    virtual std::uint32_t enumJobs(PrinterHandle printer, std::uint32_t firstJob, std::uint32_t count,
                                   std::vector<std::uint32_t>& jobIds) = 0;
    virtual std::uint32_t setJob(PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) = 0;

    // Drivers.
    virtual std::uint32_t enumPrinterDrivers(const std::optional<std::string>& environment,
                                             std::vector<DriverInfo3>& drivers) = 0;
    virtual std::uint32_t addPrinterDriver(const DriverInfo3& driver) = 0;
    virtual std::uint32_t deletePrinterDriverEx(const std::optional<std::string>& environment, std::string_view name,
                                                std::uint32_t deleteFlags, std::uint32_t versionFlag) = 0;
    virtual std::uint32_t getPrinterDriverDirectory(const std::optional<std::string>& environment,
                                                    std::string& directory) = 0;

    // Monitors and print processors.
    virtual std::uint32_t addMonitor(const MonitorInfo2& monitor) = 0;
    virtual std::uint32_t deleteMonitor(const std::optional<std::string>& environment, std::string_view name) = 0;
    virtual std::uint32_t addPrintProcessor(const std::optional<std::string>& environment, std::string_view pathName,
                                            std::string_view name) = 0;
    virtual std::uint32_t enumPrintProcessors(const std::optional<std::string>& environment,
                                              std::vector<std::string>& names) = 0;
    virtual std::uint32_t deletePrintProcessor(const std::optional<std::string>& environment,
                                               std::string_view name) = 0;
    virtual std::uint32_t getPrintProcessorDirectory(const std::optional<std::string>& environment,
                                                     std::string& directory) = 0;

    // Forms, on a printer or server handle.
    virtual std::uint32_t enumForms(PrinterHandle printer, std::vector<FormInfo1>& forms) = 0;
    virtual std::uint32_t addForm(PrinterHandle printer, const FormInfo1& form) = 0;
    virtual std::uint32_t getForm(PrinterHandle printer, std::string_view name, FormInfo1& form) = 0;
    virtual std::uint32_t setForm(PrinterHandle printer, std::string_view name, const FormInfo1& form) = 0;
    virtual std::uint32_t deleteForm(PrinterHandle printer, std::string_view name) = 0;
};

}  // namespace kvt::ports
