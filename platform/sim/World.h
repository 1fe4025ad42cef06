#pragma once
// Everything a system image holds: the state of one simulated Windows
// computer. Runtime-only state (open handles, last error, transcript, faults)
// lives in Simulation.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/ports/Registry.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/FileStore.h"
#include "platform/sim/RegistryStore.h"
#include "platform/sim/SpoolerRecords.h"

namespace kvt::sim {

struct OsImage {
    std::uint32_t platform = 2;
    std::uint32_t major = 10;
    std::uint32_t minor = 0;
    std::uint32_t build = 19045;
    std::uint32_t productType = 1;
    bool is64Bit = true;
    // Whether 32-bit programs find the "Sysnative" alias of the real system
    // directory; unset, the release decides (see SysnativeAliasExists).
    std::optional<bool> sysnative;
    // The system's ANSI code page (CP_ACP): 1252, 932, 936, 54936 or 65001.
    std::uint32_t ansiCodePage = 1252;
    // The language of the system's user interface (a LANGID). Only that
    // language's message texts are installed; English (0x409) comes with
    // English Windows and with the language packs that add it.
    std::uint32_t uiLanguage = 0x409;
    nlohmann::json extra = nlohmann::json::object();
};

struct FormRecord {
    std::string name;
    std::uint32_t flags = 0;
    std::int32_t width = 0, length = 0;
    std::int32_t imageable[4] = {0, 0, 0, 0};  // left, top, right, bottom
    nlohmann::json extra = nlohmann::json::object();
};

// What the spooler keeps outside the registry. Its monitors, print
// processors, drivers and printers live only in the registry keys of
// SpoolerKeys.h, as on Windows.
struct SpoolerImage {
    bool running = true;
    std::vector<std::string> ports;
    std::vector<FormRecord> forms;  // built-in and user forms, in the spooler's order
    // Job identifiers by printer name: the printers' spool files. Hashed:
    // every enumeration of the printers looks up each one's jobs. An image
    // lists them with their printers, in the printers' order.
    std::unordered_map<std::string, std::vector<std::uint32_t>, CaseInsensitiveHash, CaseInsensitiveEqual> jobs;
    // Serial and parallel ports whose printer does not answer: a job being
    // printed there stays until the port gives up.
    std::vector<std::string> offlinePorts;
    // Running services that depend on the spooler (a fax service, say).
    std::vector<std::string> dependentServices;
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
    // Whether the programs run with administrator rights (an elevated token
    // on Vista and later, an administrator's logon on XP). Without them the
    // spooler grants printer handles only the right to print.
    bool elevated = true;
    FileStore files;
    RegistryStore registry;
    SpoolerImage spooler;
    std::vector<DeviceNode> devices;
    std::optional<RestartRecord> restart;
    nlohmann::json extra = nlohmann::json::object();  // unknown top-level fields
};

}  // namespace kvt::sim
