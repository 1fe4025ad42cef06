#pragma once
// Everything a system image holds: the state of one simulated Windows
// computer. Runtime-only state (open handles, last error, transcript, faults)
// lives in Simulation.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/ports/Registry.h"
#include "platform/sim/FileStore.h"
#include "platform/sim/RegistryStore.h"

namespace kvt::sim {

struct OsImage {
    std::uint32_t platform = 2;
    std::uint32_t major = 10;
    std::uint32_t minor = 0;
    std::uint32_t build = 19045;
    std::uint32_t productType = 1;
    bool is64Bit = true;
    nlohmann::json extra = nlohmann::json::object();
};

struct MonitorRecord {
    std::string name, environment, dll;
    nlohmann::json extra = nlohmann::json::object();
};

struct PrintProcessorRecord {
    std::string name, environment, dll;
    nlohmann::json extra = nlohmann::json::object();
};

struct DriverRecord {
    std::string name, environment;
    std::uint32_t version = 3;
    std::string driverPath, dataFile, configFile, helpFile;
    std::vector<std::string> dependentFiles;
    std::string monitor, defaultDataType;
    nlohmann::json extra = nlohmann::json::object();
};

struct DevModeRecord {
    std::int32_t copies = 1, color = 1, defaultSource = 263;
    std::string formName;
    std::int32_t paperSize = 9, paperWidth = 0, paperLength = 0;
    nlohmann::json extra = nlohmann::json::object();
};

struct PrinterRecord {
    std::string name, driver, port, printProcessor, dataType;
    std::uint32_t attributes = 0, priority = 1, status = 0;
    std::vector<std::uint32_t> jobs;
    std::vector<std::pair<std::string, ports::RegValue>> data;
    std::optional<DevModeRecord> devmode;
    nlohmann::json extra = nlohmann::json::object();
};

struct FormRecord {
    std::string name;
    std::uint32_t flags = 0;
    std::int32_t width = 0, length = 0;
    std::int32_t imageable[4] = {0, 0, 0, 0};  // left, top, right, bottom
    nlohmann::json extra = nlohmann::json::object();
};

struct SpoolerImage {
    bool running = true;
    std::vector<std::string> ports;
    std::vector<MonitorRecord> monitors;
    std::vector<PrintProcessorRecord> printProcessors;
    std::vector<DriverRecord> drivers;
    std::vector<PrinterRecord> printers;
    std::vector<FormRecord> forms;
    nlohmann::json extra = nlohmann::json::object();
};

struct DeviceNode {
    std::string enumerator, instanceId;
    std::vector<std::string> hardwareIds;
    nlohmann::json extra = nlohmann::json::object();
};

struct RestartRecord {
    std::uint32_t flags = 0;
    std::uint32_t reason = 0;
};

struct World {
    OsImage os;
    std::string clock = "2026-12-08T09:00:00";  // local time, ISO 8601 without zone
    std::string windowsDirectory = "C:\\Windows";
    std::string currentDirectory = "C:\\Setup";
    bool shutdownPrivilege = true;
    bool otherInstanceRunning = false;
    FileStore files;
    RegistryStore registry;
    SpoolerImage spooler;
    std::vector<DeviceNode> devices;
    std::optional<RestartRecord> restart;
    nlohmann::json extra = nlohmann::json::object();  // unknown top-level fields
};

}  // namespace kvt::sim
