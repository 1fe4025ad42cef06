#pragma once
// Runs one differential script, a JSON list of port calls, and records what
// every call returned: the same code runs against the simulated Windows and,
// built for Windows, against the Win32 adapters, so both results come from
// the same sequence of calls. A step names the port operation ("op"), its
// arguments, and, for calls that open something, a label ("as") by which
// later steps name the handle.
#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/ports/DeviceSetup.h"
#include "platform/ports/FileSystem.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Spooler.h"
#include "platform/ports/SystemInfo.h"

namespace kvt::diff {

// What the two sides do outside the ports: keep a file open as another
// program would, and read an INF file the way the side's INF reader sees it.
class SideHooks {
public:
    virtual ~SideHooks() = default;
    // Opens `path` for reading, sharing it for reading only, and keeps it open until the script ends.
    virtual std::uint32_t holdFile(const std::string& path) = 0;
    virtual void releaseFiles() = 0;
    // {"rc": code} when the file cannot be opened; otherwise its sections in
    // file order: [{"name", "lines": [{"key": string or null, "fields": [...]}]}].
    virtual nlohmann::json dumpInf(const std::string& path) = 0;
};

struct Ports {
    ports::Registry& registry;
    ports::FileSystem& files;
    ports::Spooler& spooler;
    ports::DeviceSetup& devices;
    ports::SystemInfo& system;
    SideHooks& hooks;
};

// Names of printers, drivers and monitors that a script creates start with
// this, a dash and the script's name; enumerations report only those, as
// each side's system has its own objects and the Windows side keeps those of
// the scripts before.
inline constexpr std::string_view kOwnPrefix = "KvtDiff";

class ScriptRunner {
public:
    explicit ScriptRunner(Ports ports) : ports_(ports) {}
    // {"name", "steps": [...]} -> {"name", "results": [...]}, one result per step.
    nlohmann::json run(const nlohmann::json& script);

private:
    nlohmann::json step(const nlohmann::json& s);
    nlohmann::json registryStep(const std::string& op, const nlohmann::json& s);
    nlohmann::json fileStep(const std::string& op, const nlohmann::json& s);
    nlohmann::json spoolerStep(const std::string& op, const nlohmann::json& s);
    nlohmann::json infStep(const std::string& op, const nlohmann::json& s);
    ports::RegKey keyOf(const nlohmann::json& s, const char* field);
    bool ownName(const std::string& name) const { return name.starts_with(ownPrefix_); }

    Ports ports_;
    std::string ownPrefix_;
    std::map<std::string, ports::RegKey> keys_;
    std::map<std::string, ports::PrinterHandle> printers_;
    std::map<std::string, ports::InfHandle> infs_;
};

// Bytes as lowercase hex and back.
std::string ToHex(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> FromHex(const std::string& hex);

}  // namespace kvt::diff
