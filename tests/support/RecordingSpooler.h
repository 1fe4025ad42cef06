#pragma once
// A spooler port that hands every call on to another one and keeps what the
// registrations were given: the records as the program built them, before a
// spooler drops fields it ignores (AddPrinter ignores the status, for one),
// and the environments the program asked its folders for.
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/Spooler.h"

namespace kvt::test {

class RecordingSpooler final : public ports::Spooler {
public:
    explicit RecordingSpooler(ports::Spooler& inner) : inner_(inner) {}

    std::vector<ports::PrinterInfo2> addedPrinters;
    std::vector<ports::DriverInfo3> addedDrivers;
    std::vector<ports::MonitorInfo2> addedMonitors;
    struct Processor {
        std::optional<std::string> environment;
        std::string pathName, name;
    };
    std::vector<Processor> addedProcessors;
    // The environment of each folder query (nothing: the program's own).
    std::vector<std::optional<std::string>> driverDirectoryQueries;
    std::vector<std::optional<std::string>> processorDirectoryQueries;

    std::uint32_t enumPrinters(std::uint32_t flags, std::vector<ports::PrinterInfo2>& printers) override {
        return inner_.enumPrinters(flags, printers);
    }
    std::uint32_t openPrinter(const std::optional<std::string>& name, const ports::PrinterDefaults* defaults,
                              ports::PrinterHandle& printer) override {
        return inner_.openPrinter(name, defaults, printer);
    }
    std::uint32_t closePrinter(ports::PrinterHandle printer) override { return inner_.closePrinter(printer); }
    std::uint32_t addPrinter(const ports::PrinterInfo2& info, ports::PrinterHandle& printer) override {
        addedPrinters.push_back(info);
        return inner_.addPrinter(info, printer);
    }
    std::uint32_t deletePrinter(ports::PrinterHandle printer) override { return inner_.deletePrinter(printer); }
    std::uint32_t getPrinter(ports::PrinterHandle printer, ports::PrinterInfo2& info) override {
        return inner_.getPrinter(printer, info);
    }
    std::uint32_t setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2& info) override {
        return inner_.setPrinter(printer, info);
    }
    std::uint32_t getPrinterData(ports::PrinterHandle printer, std::string_view name, std::uint32_t bufferSize,
                                 ports::PrinterDataValue& value, std::uint32_t& needed) override {
        return inner_.getPrinterData(printer, name, bufferSize, value, needed);
    }
    std::uint32_t setPrinterData(ports::PrinterHandle printer, std::string_view name,
                                 const ports::PrinterDataValue& value) override {
        return inner_.setPrinterData(printer, name, value);
    }
    std::uint32_t enumJobs(ports::PrinterHandle printer, std::uint32_t firstJob, std::uint32_t count,
                           std::vector<std::uint32_t>& jobIds) override {
        return inner_.enumJobs(printer, firstJob, count, jobIds);
    }
    std::uint32_t setJob(ports::PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) override {
        return inner_.setJob(printer, jobId, command);
    }
    std::uint32_t enumPrinterDrivers(const std::optional<std::string>& environment,
                                     std::vector<ports::DriverInfo3>& drivers) override {
        return inner_.enumPrinterDrivers(environment, drivers);
    }
    std::uint32_t addPrinterDriver(const ports::DriverInfo3& driver) override {
        addedDrivers.push_back(driver);
        return inner_.addPrinterDriver(driver);
    }
    std::uint32_t deletePrinterDriverEx(const std::optional<std::string>& environment, std::string_view name,
                                        std::uint32_t deleteFlags, std::uint32_t versionFlag) override {
        return inner_.deletePrinterDriverEx(environment, name, deleteFlags, versionFlag);
    }
    std::uint32_t getPrinterDriverDirectory(const std::optional<std::string>& environment,
                                            std::string& directory) override {
        driverDirectoryQueries.push_back(environment);
        return inner_.getPrinterDriverDirectory(environment, directory);
    }
    std::uint32_t addMonitor(const ports::MonitorInfo2& monitor) override {
        addedMonitors.push_back(monitor);
        return inner_.addMonitor(monitor);
    }
    std::uint32_t deleteMonitor(const std::optional<std::string>& environment, std::string_view name) override {
        return inner_.deleteMonitor(environment, name);
    }
    std::uint32_t addPrintProcessor(const std::optional<std::string>& environment, std::string_view pathName,
                                    std::string_view name) override {
        addedProcessors.push_back({environment, std::string(pathName), std::string(name)});
        return inner_.addPrintProcessor(environment, pathName, name);
    }
    std::uint32_t enumPrintProcessors(const std::optional<std::string>& environment,
                                      std::vector<std::string>& names) override {
        return inner_.enumPrintProcessors(environment, names);
    }
    std::uint32_t deletePrintProcessor(const std::optional<std::string>& environment,
                                       std::string_view name) override {
        return inner_.deletePrintProcessor(environment, name);
    }
    std::uint32_t getPrintProcessorDirectory(const std::optional<std::string>& environment,
                                             std::string& directory) override {
        processorDirectoryQueries.push_back(environment);
        return inner_.getPrintProcessorDirectory(environment, directory);
    }
    std::uint32_t enumForms(ports::PrinterHandle printer, std::vector<ports::FormInfo1>& forms) override {
        return inner_.enumForms(printer, forms);
    }
    std::uint32_t addForm(ports::PrinterHandle printer, const ports::FormInfo1& form) override {
        return inner_.addForm(printer, form);
    }
    std::uint32_t getForm(ports::PrinterHandle printer, std::string_view name, ports::FormInfo1& form) override {
        return inner_.getForm(printer, name, form);
    }
    std::uint32_t setForm(ports::PrinterHandle printer, std::string_view name, const ports::FormInfo1& form) override {
        return inner_.setForm(printer, name, form);
    }
    std::uint32_t deleteForm(ports::PrinterHandle printer, std::string_view name) override {
        return inner_.deleteForm(printer, name);
    }

private:
    ports::Spooler& inner_;
};

}  // namespace kvt::test
