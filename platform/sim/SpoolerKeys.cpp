#include "platform/sim/SpoolerKeys.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <exception>
#include <optional>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/DevModeBlob.h"

namespace kvt::sim {
namespace {

using nlohmann::json;

// Value names as Windows writes them.
namespace value {
constexpr std::string_view Driver = "Driver";
constexpr std::string_view DataFile = "Data File";
constexpr std::string_view ConfigFile = "Configuration File";
constexpr std::string_view HelpFile = "Help File";
constexpr std::string_view DependentFiles = "Dependent Files";
constexpr std::string_view Monitor = "Monitor";
constexpr std::string_view Datatype = "Datatype";
constexpr std::string_view Version = "Version";

constexpr std::string_view Name = "Name";
constexpr std::string_view ShareName = "Share Name";
constexpr std::string_view Port = "Port";
constexpr std::string_view PrinterDriver = "Printer Driver";
constexpr std::string_view Description = "Description";
constexpr std::string_view Location = "Location";
constexpr std::string_view SeparatorFile = "Separator File";
constexpr std::string_view PrintProcessor = "Print Processor";
constexpr std::string_view Parameters = "Parameters";
constexpr std::string_view Attributes = "Attributes";
constexpr std::string_view Priority = "Priority";
constexpr std::string_view DefaultPriority = "Default Priority";
constexpr std::string_view StartTime = "StartTime";
constexpr std::string_view UntilTime = "UntilTime";
constexpr std::string_view Status = "Status";
constexpr std::string_view DefaultDevMode = "Default DevMode";
}  // namespace value

constexpr std::array<std::string_view, 2> kNamedDllValues{value::Driver, kImageFieldsValue};
constexpr std::array<std::string_view, 9> kDriverValues{value::Driver,   value::DataFile,       value::ConfigFile,
                                                        value::HelpFile, value::DependentFiles, value::Monitor,
                                                        value::Datatype, value::Version,        kImageFieldsValue};
constexpr std::array<std::string_view, 18> kPrinterValues{value::Name,
                                                          value::ShareName,
                                                          value::Port,
                                                          value::PrinterDriver,
                                                          value::Description,
                                                          value::Location,
                                                          value::SeparatorFile,
                                                          value::PrintProcessor,
                                                          value::Datatype,
                                                          value::Parameters,
                                                          value::Attributes,
                                                          value::Priority,
                                                          value::DefaultPriority,
                                                          value::StartTime,
                                                          value::UntilTime,
                                                          value::Status,
                                                          value::DefaultDevMode,
                                                          kImageFieldsValue};

constexpr std::string_view kMonitors = "Monitors";
constexpr std::string_view kEnvironments = "Environments";
constexpr std::string_view kPrintProcessors = "Print Processors";
constexpr std::string_view kDrivers = "Drivers";
constexpr std::string_view kVersionPrefix = "Version-";
constexpr std::string_view kPrinters = "Printers";
constexpr std::string_view kPrinterDriverData = "PrinterDriverData";

std::string Under(std::string_view parent, std::string_view name) {
    std::string out(parent);
    out += '\\';
    out += name;
    return out;
}

std::string_view LastComponent(std::string_view path) { return path.substr(path.rfind('\\') + 1); }

std::vector<std::string_view> Components(std::string_view rest) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = rest.find('\\', start);
        parts.push_back(rest.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::optional<std::uint32_t> VersionOfKey(std::string_view name) {
    if (!StartsWithNoCase(name, kVersionPrefix)) return std::nullopt;
    const std::string_view digits = name.substr(kVersionPrefix.size());
    std::uint32_t version = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), version);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return version;
}

// ---------------------------------------------------------------- values

ports::RegValue Sz(std::string_view text) {
    ports::RegValue out{reg::TypeSz, {text.begin(), text.end()}};
    out.data.push_back(0);
    return out;
}

ports::RegValue Dword(std::uint32_t n) {
    return {reg::TypeDword,
            {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
             static_cast<std::uint8_t>(n >> 24)}};
}

ports::RegValue MultiSz(const std::vector<std::string>& items) {
    ports::RegValue out{reg::TypeMultiSz, {}};
    for (const auto& item : items) {
        out.data.insert(out.data.end(), item.begin(), item.end());
        out.data.push_back(0);
    }
    out.data.push_back(0);
    return out;
}

void Set(RegistryKeyRecord& key, std::string_view name, ports::RegValue data) {
    for (auto& [existing, stored] : key.values) {
        if (EqualsNoCase(existing, name)) {
            stored = std::move(data);
            return;
        }
    }
    key.values.emplace_back(std::string(name), std::move(data));
}

void Erase(RegistryKeyRecord& key, std::string_view name) {
    std::erase_if(key.values, [name](const auto& entry) { return EqualsNoCase(entry.first, name); });
}

const ports::RegValue* Find(const RegistryKeyRecord* key, std::string_view name) {
    if (key == nullptr) return nullptr;
    for (const auto& [existing, stored] : key->values)
        if (EqualsNoCase(existing, name)) return &stored;
    return nullptr;
}

std::string Text(const RegistryKeyRecord* key, std::string_view name) {
    const ports::RegValue* found = Find(key, name);
    if (found == nullptr || (found->type != reg::TypeSz && found->type != reg::TypeExpandSz)) return {};
    std::string text(found->data.begin(), found->data.end());
    return text.substr(0, text.find('\0'));
}

std::uint32_t Number(const RegistryKeyRecord* key, std::string_view name, std::uint32_t fallback) {
    const ports::RegValue* found = Find(key, name);
    if (found == nullptr || found->type != reg::TypeDword || found->data.size() != 4) return fallback;
    const auto& d = found->data;
    return static_cast<std::uint32_t>(d[0]) | static_cast<std::uint32_t>(d[1]) << 8 |
           static_cast<std::uint32_t>(d[2]) << 16 | static_cast<std::uint32_t>(d[3]) << 24;
}

std::vector<std::string> TextList(const RegistryKeyRecord* key, std::string_view name) {
    const ports::RegValue* found = Find(key, name);
    std::vector<std::string> items;
    if (found == nullptr || found->type != reg::TypeMultiSz) return items;
    std::string current;
    for (std::uint8_t byte : found->data) {
        if (byte != 0) {
            current += static_cast<char>(byte);
        } else if (current.empty()) {
            break;  // the empty string that ends the list
        } else {
            items.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) items.push_back(std::move(current));
    return items;
}

// ---------------------------------------------------------------- image fields

void WriteImageFields(RegistryKeyRecord& key, const json& fields) {
    if (fields.is_object() && !fields.empty()) {
        // ASCII escapes keep the text within the ANSI code page.
        Set(key, kImageFieldsValue, Sz(fields.dump(-1, ' ', true)));
    } else {
        Erase(key, kImageFieldsValue);
    }
}

json ReadImageFields(const RegistryKeyRecord* key) {
    const std::string text = Text(key, kImageFieldsValue);
    if (text.empty()) return json::object();
    try {
        json fields = json::parse(text);
        if (fields.is_object()) return fields;
    } catch (const std::exception&) {
        // A value that some program overwrote: nothing to restore.
    }
    return json::object();
}

// ---------------------------------------------------------------- reading

// Monitors and print processors are both a named key whose "Driver" value
// names the DLL.
template <typename Record>
Record ReadNamedDll(const RegistryStore& store, const std::string& path, std::string_view environment) {
    const RegistryKeyRecord* key = store.find(path);
    Record record;
    record.name = LastComponent(path);
    record.environment = environment;
    record.dll = Text(key, value::Driver);
    record.extra = ReadImageFields(key);
    return record;
}

MonitorRecord ReadMonitor(const RegistryStore& store, const std::string& path, std::string_view environment) {
    return ReadNamedDll<MonitorRecord>(store, path, environment);
}

PrintProcessorRecord ReadPrintProcessor(const RegistryStore& store, const std::string& path,
                                        std::string_view environment) {
    return ReadNamedDll<PrintProcessorRecord>(store, path, environment);
}

DriverRecord ReadDriver(const RegistryStore& store, const std::string& path, std::string_view environment,
                        std::uint32_t version) {
    const RegistryKeyRecord* key = store.find(path);
    DriverRecord driver;
    driver.name = LastComponent(path);
    driver.environment = environment;
    driver.version = version;
    driver.driverPath = Text(key, value::Driver);
    driver.dataFile = Text(key, value::DataFile);
    driver.configFile = Text(key, value::ConfigFile);
    driver.helpFile = Text(key, value::HelpFile);
    driver.dependentFiles = TextList(key, value::DependentFiles);
    driver.monitor = Text(key, value::Monitor);
    driver.defaultDataType = Text(key, value::Datatype);
    driver.extra = ReadImageFields(key);
    return driver;
}

PrinterRecord ReadPrinter(const RegistryStore& store, const std::string& path) {
    const RegistryKeyRecord* key = store.find(path);
    PrinterRecord p;
    p.name = LastComponent(path);
    p.shareName = Text(key, value::ShareName);
    p.port = Text(key, value::Port);
    p.driver = Text(key, value::PrinterDriver);
    p.comment = Text(key, value::Description);
    p.location = Text(key, value::Location);
    p.sepFile = Text(key, value::SeparatorFile);
    p.printProcessor = Text(key, value::PrintProcessor);
    p.dataType = Text(key, value::Datatype);
    p.parameters = Text(key, value::Parameters);
    const PrinterRecord defaults;
    p.attributes = Number(key, value::Attributes, defaults.attributes);
    p.priority = Number(key, value::Priority, defaults.priority);
    p.defaultPriority = Number(key, value::DefaultPriority, defaults.defaultPriority);
    p.startTime = Number(key, value::StartTime, defaults.startTime);
    p.untilTime = Number(key, value::UntilTime, defaults.untilTime);
    p.status = Number(key, value::Status, defaults.status);
    p.extra = ReadImageFields(key);
    if (const ports::RegValue* blob = Find(key, value::DefaultDevMode); blob && blob->type == reg::TypeBinary)
        p.devmode = DecodeDevMode(blob->data);
    if (auto stash = p.extra.find("devmode"); stash != p.extra.end()) {
        if (p.devmode && stash->is_object()) p.devmode->extra = *stash;
        p.extra.erase(stash);
    }
    if (const RegistryKeyRecord* data = store.find(Under(path, kPrinterDriverData))) p.data = data->values;
    return p;
}

}  // namespace

// ---------------------------------------------------------------- paths

std::string MonitorKeyPath(std::string_view name) { return Under(Under(kPrintKey, kMonitors), name); }

std::string PrintProcessorKeyPath(std::string_view environment, std::string_view name) {
    return Under(Under(Under(Under(kPrintKey, kEnvironments), environment), kPrintProcessors), name);
}

std::string DriverKeyPath(std::string_view environment, std::uint32_t version, std::string_view name) {
    const std::string versionKey = std::string(kVersionPrefix) + std::to_string(version);
    return Under(Under(Under(Under(Under(kPrintKey, kEnvironments), environment), kDrivers), versionKey), name);
}

std::string PrinterKeyPath(std::string_view name) { return Under(Under(kPrintKey, kPrinters), name); }

std::string PrinterDataKeyPath(std::string_view printerName) {
    return Under(PrinterKeyPath(printerName), kPrinterDriverData);
}

// ---------------------------------------------------------------- writing

void WriteMonitorKey(RegistryStore& store, const MonitorRecord& monitor) {
    RegistryKeyRecord& key = store.ensure(MonitorKeyPath(monitor.name));
    Set(key, value::Driver, Sz(monitor.dll));
    WriteImageFields(key, monitor.extra);
}

void WritePrintProcessorKey(RegistryStore& store, const PrintProcessorRecord& processor) {
    RegistryKeyRecord& key = store.ensure(PrintProcessorKeyPath(processor.environment, processor.name));
    Set(key, value::Driver, Sz(processor.dll));
    WriteImageFields(key, processor.extra);
}

void WriteDriverKey(RegistryStore& store, const DriverRecord& driver) {
    RegistryKeyRecord& key = store.ensure(DriverKeyPath(driver.environment, driver.version, driver.name));
    Set(key, value::Driver, Sz(driver.driverPath));
    Set(key, value::DataFile, Sz(driver.dataFile));
    Set(key, value::ConfigFile, Sz(driver.configFile));
    Set(key, value::HelpFile, Sz(driver.helpFile));
    Set(key, value::DependentFiles, MultiSz(driver.dependentFiles));
    Set(key, value::Monitor, Sz(driver.monitor));
    Set(key, value::Datatype, Sz(driver.defaultDataType));
    Set(key, value::Version, Dword(driver.version));
    WriteImageFields(key, driver.extra);
}

void WritePrinterKey(RegistryStore& store, const PrinterRecord& p) {
    RegistryKeyRecord& key = store.ensure(PrinterKeyPath(p.name));
    Set(key, value::Name, Sz(p.name));
    Set(key, value::ShareName, Sz(p.shareName));
    Set(key, value::Port, Sz(p.port));
    Set(key, value::PrinterDriver, Sz(p.driver));
    Set(key, value::Description, Sz(p.comment));
    Set(key, value::Location, Sz(p.location));
    Set(key, value::SeparatorFile, Sz(p.sepFile));
    Set(key, value::PrintProcessor, Sz(p.printProcessor));
    Set(key, value::Datatype, Sz(p.dataType));
    Set(key, value::Parameters, Sz(p.parameters));
    Set(key, value::Attributes, Dword(p.attributes));
    Set(key, value::Priority, Dword(p.priority));
    Set(key, value::DefaultPriority, Dword(p.defaultPriority));
    Set(key, value::StartTime, Dword(p.startTime));
    Set(key, value::UntilTime, Dword(p.untilTime));
    Set(key, value::Status, Dword(p.status));
    json fields = p.extra;
    if (p.devmode) {
        Set(key, value::DefaultDevMode, {reg::TypeBinary, EncodeDevMode(*p.devmode, p.name)});
        if (!p.devmode->extra.empty()) fields["devmode"] = p.devmode->extra;
    }
    WriteImageFields(key, fields);
    store.ensure(PrinterDataKeyPath(p.name)).values = p.data;
}

SpoolerObjects ReadSpoolerObjects(const RegistryStore& store, std::string_view nativeEnvironment) {
    SpoolerObjects objects;
    for (const std::string& path : store.children(Under(kPrintKey, kMonitors)))
        objects.monitors.push_back(ReadMonitor(store, path, nativeEnvironment));
    for (const std::string& environmentPath : store.children(Under(kPrintKey, kEnvironments))) {
        const std::string environment(LastComponent(environmentPath));
        for (const std::string& path : store.children(Under(environmentPath, kPrintProcessors)))
            objects.printProcessors.push_back(ReadPrintProcessor(store, path, environment));
        for (const std::string& versionPath : store.children(Under(environmentPath, kDrivers))) {
            const std::optional<std::uint32_t> version = VersionOfKey(LastComponent(versionPath));
            if (!version) continue;
            for (const std::string& path : store.children(versionPath))
                objects.drivers.push_back(ReadDriver(store, path, environment, *version));
        }
    }
    for (const std::string& path : store.children(Under(kPrintKey, kPrinters)))
        objects.printers.push_back(ReadPrinter(store, path));
    return objects;
}

// ---------------------------------------------------------------- classification

SpoolerKeyKind ClassifySpoolerKey(std::string_view path) {
    if (path.size() <= kPrintKey.size() + 1 || !StartsWithNoCase(path, kPrintKey) || path[kPrintKey.size()] != '\\')
        return SpoolerKeyKind::None;
    const std::vector<std::string_view> parts = Components(path.substr(kPrintKey.size() + 1));
    auto is = [&parts](std::size_t i, std::string_view name) { return EqualsNoCase(parts[i], name); };
    switch (parts.size()) {
        case 2:
            if (is(0, kMonitors)) return SpoolerKeyKind::Monitor;
            if (is(0, kPrinters)) return SpoolerKeyKind::Printer;
            break;
        case 3:
            if (is(0, kPrinters) && is(2, kPrinterDriverData)) return SpoolerKeyKind::PrinterData;
            break;
        case 4:
            if (is(0, kEnvironments) && is(2, kPrintProcessors)) return SpoolerKeyKind::PrintProcessor;
            break;
        case 5:
            if (is(0, kEnvironments) && is(2, kDrivers) && VersionOfKey(parts[3])) return SpoolerKeyKind::Driver;
            break;
        default:
            break;
    }
    return SpoolerKeyKind::None;
}

bool SpoolerCarriesValue(SpoolerKeyKind kind, std::string_view valueName) {
    auto among = [valueName](const auto& names) {
        return std::any_of(names.begin(), names.end(),
                           [valueName](std::string_view name) { return EqualsNoCase(name, valueName); });
    };
    switch (kind) {
        case SpoolerKeyKind::Monitor:
        case SpoolerKeyKind::PrintProcessor:
            return among(kNamedDllValues);
        case SpoolerKeyKind::Driver:
            return among(kDriverValues);
        case SpoolerKeyKind::Printer:
            return among(kPrinterValues);
        case SpoolerKeyKind::PrinterData:
            return true;
        case SpoolerKeyKind::None:
            return false;
    }
    return false;
}

}  // namespace kvt::sim
