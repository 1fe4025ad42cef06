#pragma once
// The objects the print spooler keeps in the registry (see SpoolerKeys.h), as
// plain records: what a running spooler holds in memory and what the
// "spooler" section of a system image lists. `extra` carries the unknown
// fields of an image's record, so that they survive a load and a save.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports/Registry.h"

namespace kvt::sim {

struct MonitorRecord {
    std::string name, environment, dll;
    nlohmann::json extra = nlohmann::json::object();
};

struct PrintProcessorRecord {
    std::string name, environment, dll;
    nlohmann::json extra = nlohmann::json::object();
};

// Files are named without a folder: they live in the version folder of the
// environment's driver directory.
struct DriverRecord {
    std::string name, environment;
    std::uint32_t version = 3;
    std::string driverPath, dataFile, configFile, helpFile;
    std::vector<std::string> dependentFiles;
    std::string monitor, defaultDataType;
    nlohmann::json extra = nlohmann::json::object();
};

// The public part of a printer's default device mode. The numbers are the
// 16-bit fields of DEVMODE; the form name holds at most 31 characters.
struct DevModeRecord {
    std::int32_t copies = 1, color = 1, defaultSource = 263;
    std::string formName;
    std::int32_t paperSize = 9, paperWidth = 0, paperLength = 0;
    nlohmann::json extra = nlohmann::json::object();
};

using NamedValues = std::vector<std::pair<std::string, ports::RegValue>>;

struct PrinterRecord {
    std::string name, driver, port, printProcessor, dataType;
    std::string shareName, comment, location, sepFile, parameters;
    std::uint32_t attributes = 0, priority = 1, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0;
    NamedValues data;  // printer data, in the order it was written
    std::optional<DevModeRecord> devmode;
    nlohmann::json extra = nlohmann::json::object();
};

// The printers of a spooler, in the spooler's order. A list rather than a
// vector: removing a printer must not move every printer after it (the
// removal of a driver deletes its printers one by one, which made deleting
// the printers of a large system quadratic), and a record stays where it is
// while the spooler keeps an index to it.
class PrinterList {
public:
    using iterator = std::list<PrinterRecord>::iterator;
    using const_iterator = std::list<PrinterRecord>::const_iterator;
    using value_type = PrinterRecord;

    iterator begin() { return records_.begin(); }
    iterator end() { return records_.end(); }
    const_iterator begin() const { return records_.begin(); }
    const_iterator end() const { return records_.end(); }
    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }

    PrinterRecord& push_back(PrinterRecord printer) { return records_.emplace_back(std::move(printer)); }
    iterator erase(iterator printer) { return records_.erase(printer); }

    // The printer at `index` in order. It walks the list: for a look at one
    // printer, not for a loop over all of them.
    PrinterRecord& operator[](std::size_t index) { return *std::next(begin(), static_cast<std::ptrdiff_t>(index)); }
    const PrinterRecord& operator[](std::size_t index) const {
        return *std::next(begin(), static_cast<std::ptrdiff_t>(index));
    }

private:
    std::list<PrinterRecord> records_;
};

// Everything the spooler reads from the registry when it starts.
struct SpoolerObjects {
    std::vector<MonitorRecord> monitors;
    std::vector<PrintProcessorRecord> printProcessors;
    std::vector<DriverRecord> drivers;
    PrinterList printers;
};

}  // namespace kvt::sim
