#pragma once
// The print spooler of the simulated Windows. Like the Windows service it
// reads its monitors, print processors, drivers and printers from the
// registry keys of SpoolerKeys.h when it starts, holds them in memory while
// it runs, and writes an object's key whenever a call changes the object. A
// program that deletes one of those keys behind its back changes nothing
// until the spooler is stopped and started again ("net stop spooler",
// "net start spooler"). Ports, forms and spool files (jobs) live in the
// world's spooler record.
//
// Every call first asks the fault plan ("Spooler.addPrinter", ...), then
// fails with 1722 while the service is stopped. Failing calls set the
// thread's last error.
//
// Deleting a printer follows localspl: while the printer still has jobs or
// another handle holds it open, DeletePrinter only marks it pending deletion
// (PRINTER_STATUS_PENDING_DELETION, kept in its key, so that a restart finds
// it again); it goes with its last job or handle. A paused printer with jobs
// refuses (5), and a job that is being printed to a serial or parallel port
// whose printer does not answer stays "deleting" until the port gives up.
// The running service keeps the monitor, print-processor and driver DLLs it
// loaded; Windows refuses to delete a loaded module (5). Stopping takes
// the service a moment (STOP_PENDING).
//
// Module files are checked as the service's loader meets them
// (SpoolerModules.h): a monitor or print processor whose DLL does not load
// into the spooler's process (193) or lacks the entry points the spooler
// looks up (127) is refused, and a processor whose DLL does not load is left
// out at start, as the service logs an event and goes on. A printer driver's
// driver and configuration files must be programs of the environment's
// machine (193, 216). A printer's data types are those its own print
// processor enumerates (ProcessorDataTypes.h): 1804 for any other.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ports/Spooler.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/ProcessorDataTypes.h"
#include "platform/sim/SpoolerRecords.h"

namespace kvt::sim {

class Simulation;

class SimSpooler final : public ports::Spooler {
public:
    // Runs when a printer has been added, as the real spooler calls
    // PrinterEvent(PRINTER_EVENT_INITIALIZE) of the user-interface modules
    // its driver names; the hook gets the driver's dependent files to find
    // them. The printer is complete and open-able by then. Whoever composes
    // the simulation supplies the modules' behaviour.
    using PrinterInitialization =
        std::function<void(std::string_view printerName, const std::vector<std::string>& dependentFiles)>;

    explicit SimSpooler(Simulation& sim);

    std::uint32_t enumPrinters(std::uint32_t flags, std::vector<ports::PrinterInfo2>& printers) override;
    std::uint32_t openPrinter(const std::optional<std::string>& name, const ports::PrinterDefaults* defaults,
                              ports::PrinterHandle& printer) override;
    std::uint32_t closePrinter(ports::PrinterHandle printer) override;
    std::uint32_t addPrinter(const ports::PrinterInfo2& info, ports::PrinterHandle& printer) override;
    std::uint32_t deletePrinter(ports::PrinterHandle printer) override;
    std::uint32_t getPrinter(ports::PrinterHandle printer, ports::PrinterInfo2& info) override;
    std::uint32_t setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2& info) override;
    std::uint32_t getPrinterData(ports::PrinterHandle printer, std::string_view name, std::uint32_t bufferSize,
                                 ports::PrinterDataValue& value, std::uint32_t& needed) override;
    std::uint32_t setPrinterData(ports::PrinterHandle printer, std::string_view name,
                                 const ports::PrinterDataValue& value) override;

    std::uint32_t enumJobs(ports::PrinterHandle printer, std::uint32_t firstJob, std::uint32_t count,
                           std::vector<std::uint32_t>& jobIds) override;
    std::uint32_t setJob(ports::PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) override;

    std::uint32_t enumPrinterDrivers(const std::optional<std::string>& environment,
                                     std::vector<ports::DriverInfo3>& drivers) override;
    std::uint32_t addPrinterDriver(const ports::DriverInfo3& driver) override;
    std::uint32_t deletePrinterDriverEx(const std::optional<std::string>& environment, std::string_view name,
                                        std::uint32_t deleteFlags, std::uint32_t versionFlag) override;
    std::uint32_t getPrinterDriverDirectory(const std::optional<std::string>& environment,
                                            std::string& directory) override;

    std::uint32_t addMonitor(const ports::MonitorInfo2& monitor) override;
    std::uint32_t deleteMonitor(const std::optional<std::string>& environment, std::string_view name) override;
    std::uint32_t addPrintProcessor(const std::optional<std::string>& environment, std::string_view pathName,
                                    std::string_view name) override;
    std::uint32_t enumPrintProcessors(const std::optional<std::string>& environment,
                                      std::vector<std::string>& names) override;
    std::uint32_t deletePrintProcessor(const std::optional<std::string>& environment, std::string_view name) override;
    std::uint32_t getPrintProcessorDirectory(const std::optional<std::string>& environment,
                                             std::string& directory) override;

    std::uint32_t enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1>& forms) override;
    std::uint32_t addForm(ports::PrinterHandle printer, const ports::FormInfo1& form) override;
    std::uint32_t getForm(ports::PrinterHandle printer, std::string_view name, ports::FormInfo1& form) override;
    std::uint32_t setForm(ports::PrinterHandle printer, std::string_view name, const ports::FormInfo1& form) override;
    std::uint32_t deleteForm(ports::PrinterHandle printer, std::string_view name) override;

    // The service control ("net stop spooler", "net start spooler"): stopping
    // forgets what the spooler held and every handle it gave out; starting
    // reads its objects from the registry.
    void serviceStopped();
    void serviceStarted();
    // "net stop spooler" asks the service to stop; it reports STOP_PENDING
    // until the stop is done, a moment of virtual time later.
    void stopRequested();
    bool stopPending();
    // SERVICE_STOPPED, SERVICE_STOP_PENDING or SERVICE_RUNNING.
    std::uint32_t serviceState();
    // Whether the running service has the module at `path` loaded.
    bool holdsModule(std::string_view path);

    void setPrinterInitialization(PrinterInitialization hook) { initialize_ = std::move(hook); }
    // The data types a print-processor DLL other than the system's own
    // enumerates, by the DLL's file name; whoever composes the simulation
    // brings the module's behaviour.
    void describePrintProcessor(std::string_view dllFileName, std::vector<std::string> dataTypes) {
        processorTypes_.describe(dllFileName, std::move(dataTypes));
    }

    // What the running spooler holds; nothing while it is stopped.
    const SpoolerObjects* memory() const { return memory_ ? &*memory_ : nullptr; }
    // A printer's default device mode, as the driver's user interface reads it.
    std::optional<DevModeRecord> defaultDevMode(std::string_view printerName) const;

    // The driver's side of DocumentProperties: the default device mode of the
    // printer behind a handle, or the driver's own defaults for a printer
    // that has none stored.
    std::uint32_t printerDevMode(ports::PrinterHandle printer, DevModeRecord& devmode);
    // SetPrinter level 2 with a device mode: the settings as setPrinter
    // takes them, and the device mode as the printer's new default.
    std::uint32_t setPrinterWithDevMode(ports::PrinterHandle printer, const ports::PrinterInfo2& info,
                                        const DevModeRecord& devmode);
    std::size_t openHandleCount() const { return handles_.size(); }

    // Every job command that SetJob accepted, in order. Cancel (3) and delete
    // (5) both remove the spool file here, so only this record tells which
    // one a caller sent.
    struct JobCommand {
        std::string printer;
        std::uint32_t jobId = 0;
        std::uint32_t command = 0;
        bool operator==(const JobCommand&) const = default;
    };
    const std::vector<JobCommand>& jobCommands() const { return jobCommands_; }

private:
    struct OpenHandle {
        std::optional<std::string> printer;  // none: the print server
        std::uint32_t granted = 0;           // the access rights OpenPrinter granted
    };

    // The start of every call: the fault plan, then the service state.
    std::uint32_t begin(std::string_view method);
    std::uint32_t fail(std::uint32_t code);
    void load();
    SpoolerObjects& objects() { return *memory_; }

    // Environments and the folders that belong to them.
    std::string nativeEnvironment() const;
    std::uint32_t resolveEnvironment(const std::optional<std::string>& requested, std::string& environment) const;
    std::string spoolDirectory(std::string_view kind, std::string_view environment) const;
    std::string driverVersionDirectory(std::string_view environment, std::uint32_t version) const;

    // Handles and the objects behind them.
    ports::PrinterHandle addHandle(std::optional<std::string> printer, std::uint32_t granted);
    std::uint32_t lookupHandle(ports::PrinterHandle handle, OpenHandle*& open);
    std::uint32_t printerOf(ports::PrinterHandle handle, PrinterRecord*& printer);
    // printerOf for a change that needs PRINTER_ACCESS_ADMINISTER on the handle.
    std::uint32_t administeredPrinterOf(ports::PrinterHandle handle, PrinterRecord*& printer);
    // Form changes check the caller against the server, whatever the handle.
    std::uint32_t checkServerAdministration() const;
    PrinterRecord* findPrinter(std::string_view name);
    void indexPrinters();
    const DriverRecord* findDriver(std::string_view environment, std::string_view name) const;
    const PrintProcessorRecord* findPrintProcessor(std::string_view environment, std::string_view name) const;

    // Checks of a printer's settings as AddPrinter and SetPrinter make them.
    // `dataType` receives the printer's data type: the one asked for, or the
    // processor's first.
    std::uint32_t checkPrinterSettings(const ports::PrinterInfo2& info, std::string& dataType) const;
    // What the printer's print processor enumerates; nothing for an unknown one.
    const std::vector<std::string>& dataTypesOf(std::string_view printProcessor) const;
    bool portsKnown(std::string_view portNames) const;
    void renamePrinter(PrinterRecord& printer, const std::string& newName);

    // Driver files: where a file to install is found, and the cleanup of a
    // deleted driver's files.
    std::optional<std::string> locateDriverFile(std::string_view environment, std::uint32_t version,
                                                std::string_view file) const;
    std::uint32_t stageDriverFiles(const ports::DriverInfo3& driver, std::string_view environment);
    void deleteUnusedFiles(const DriverRecord& removed);
    std::uint32_t checkDriverPrograms(const std::vector<std::string>& sources, std::string_view environment) const;

    // Module files as the service's loader meets them.
    std::uint16_t nativeMachine() const;
    const std::string* fileBytes(const std::string& path) const;
    std::uint32_t loadPrintProcessor(std::string_view environment, std::string_view dll) const;
    void dropUnloadableProcessors();
    ports::DriverInfo3 driverInfo(const DriverRecord& driver) const;
    bool monitorInUse(std::string_view name) const;

    // Pending deletions and the modules the service loads.
    void settle();
    bool openElsewhere(std::string_view printer, std::optional<std::uint64_t> except) const;
    bool hasJobs(std::string_view printer) const;
    void erasePrinter(std::string_view name);
    void finishDeletionIfDue(std::string_view name);
    bool jobStuckOnPort(const PrinterRecord& printer, std::uint32_t jobId) const;
    void loadDriverModules(std::string_view driverName);

    Simulation& sim_;
    std::optional<SpoolerObjects> memory_;
    std::map<std::uint64_t, OpenHandle> handles_;
    // Printer name (any case) -> the printer in memory_.
    std::unordered_map<std::string, PrinterList::iterator, CaseInsensitiveHash, CaseInsensitiveEqual> printerIndex_;
    std::uint64_t nextHandle_ = 0x7000;
    PrinterInitialization initialize_;
    ProcessorDataTypes processorTypes_;
    std::vector<JobCommand> jobCommands_;
    std::optional<std::uint64_t> stopsAtMs_;
    // Full paths (any case) of the modules the service loaded.
    std::set<std::string, CaseInsensitiveLess> loaded_;
    // Printer (any case) -> its job that is being deleted while its port
    // retries, and when the port gives up.
    struct DeletingJob {
        std::uint32_t jobId = 0;
        std::uint64_t goneAtMs = 0;
    };
    std::map<std::string, DeletingJob, CaseInsensitiveLess> deletingJobs_;
};

}  // namespace kvt::sim
