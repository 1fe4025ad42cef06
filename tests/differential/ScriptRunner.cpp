#include "tests/differential/ScriptRunner.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <stdexcept>

namespace kvt::diff {
namespace {

using nlohmann::json;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Directories that the system names: installations differ in the case they
// write them in, and Windows compares paths without regard to case.
std::string PathOut(const std::string& path) { return Lower(path); }

std::optional<std::string> OptionalText(const json& s, const char* field) {
    if (!s.contains(field) || s[field].is_null()) return std::nullopt;
    return s[field].get<std::string>();
}


// Enumeration order of names that the two file systems return as they are
// stored: Windows gives NTFS order (sorted, case folded), Wine the order of
// the host directory.
void SortNoCase(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
}

// Strings of the results are bytes of the ANSI code page; written as JSON
// they become the characters of the same numbers, so that every byte, also
// one that is not valid UTF-8, survives to the comparison.
void BytesAsCharacters(json& value) {
    if (value.is_string()) {
        std::string text;
        for (unsigned char c : value.get_ref<const std::string&>()) {
            if (c < 0x80) {
                text += static_cast<char>(c);
            } else {
                text += static_cast<char>(0xC0 | (c >> 6));
                text += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        value = std::move(text);
    } else if (value.is_structured()) {
        for (json& element : value) BytesAsCharacters(element);
    }
}

}  // namespace

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

json ScriptRunner::run(const json& script) {
    ownPrefix_ = std::string(kOwnPrefix) + "-" + script.at("name").get<std::string>();
    json results = json::array();
    for (const json& s : script.at("steps")) results.push_back(step(s));
    ports_.hooks.releaseFiles();
    for (auto& [label, key] : keys_)
        if (!ports::IsPredefinedKey(key)) ports_.registry.closeKey(key);
    for (auto& [label, printer] : printers_) ports_.spooler.closePrinter(printer);
    for (auto& [label, inf] : infs_) ports_.devices.closeInfFile(inf);
    keys_.clear();
    printers_.clear();
    infs_.clear();
    BytesAsCharacters(results);
    return json{{"name", script.at("name")}, {"results", std::move(results)}};
}

json ScriptRunner::step(const json& s) {
    const std::string op = s.at("op").get<std::string>();
    json result = op.starts_with("reg.")     ? registryStep(op, s)
                  : op.starts_with("file.")  ? fileStep(op, s)
                  : op.starts_with("spool.") ? spoolerStep(op, s)
                  : op.starts_with("inf.")   ? infStep(op, s)
                                             : throw std::runtime_error("unknown op " + op);
    result["op"] = op;
    return result;
}

ports::RegKey ScriptRunner::keyOf(const json& s, const char* field) {
    const std::string name = s.at(field).get<std::string>();
    if (name == "HKLM") return ports::hkey::LocalMachine;
    if (name == "HKCU") return ports::hkey::CurrentUser;
    if (name == "HKCR") return ports::hkey::ClassesRoot;
    const auto found = keys_.find(name);
    return found == keys_.end() ? ports::RegKey{} : found->second;
}

json ScriptRunner::registryStep(const std::string& op, const json& s) {
    ports::Registry& reg = ports_.registry;
    if (op == "reg.create" || op == "reg.open") {
        ports::RegKey key;
        const std::string subKey = s.at("key").get<std::string>();
        const std::uint32_t access = s.value("access", 0xF003Fu);
        const std::uint32_t rc = op == "reg.create" ? reg.createKey(keyOf(s, "root"), subKey, access, key)
                                                    : reg.openKey(keyOf(s, "root"), subKey, access, key);
        if (rc == 0 && s.contains("as")) keys_[s["as"].get<std::string>()] = key;
        return {{"rc", rc}};
    }
    if (op == "reg.close") {
        const auto found = keys_.find(s.at("h").get<std::string>());
        if (found == keys_.end()) return {{"rc", "no such handle"}};
        const std::uint32_t rc = reg.closeKey(found->second);
        keys_.erase(found);
        return {{"rc", rc}};
    }
    if (op == "reg.set") {
        ports::RegValue value{s.at("type").get<std::uint32_t>(), FromHex(s.at("hex").get<std::string>())};
        return {{"rc", reg.setValue(keyOf(s, "h"), s.at("name").get<std::string>(), value)}};
    }
    if (op == "reg.query") {
        ports::RegValue value;
        const std::uint32_t rc = reg.queryValue(keyOf(s, "h"), s.at("name").get<std::string>(), value);
        if (rc != 0) return {{"rc", rc}};
        return {{"rc", rc}, {"type", value.type}, {"hex", ToHex(value.data)}};
    }
    if (op == "reg.enum") {
        // Subkeys in the order the registry hands them out.
        json names = json::array();
        std::uint32_t rc = 0;
        for (std::uint32_t index = 0; index < 1000; ++index) {
            std::string name;
            rc = reg.enumKey(keyOf(s, "h"), index, name);
            if (rc != 0) break;
            names.push_back(name);
        }
        return {{"rc", rc}, {"names", std::move(names)}};
    }
    if (op == "reg.shDelete") return {{"rc", reg.shDeleteKey(keyOf(s, "root"), s.at("key").get<std::string>())}};
    if (op == "reg.deleteEx") {
        if (!reg.hasDeleteKeyEx()) return {{"rc", "RegDeleteKeyExA missing"}};
        return {{"rc", reg.deleteKeyEx(keyOf(s, "root"), s.at("key").get<std::string>(), s.value("access", 0u), 0)}};
    }
    throw std::runtime_error("unknown op " + op);
}

json ScriptRunner::fileStep(const std::string& op, const json& s) {
    ports::FileSystem& files = ports_.files;
    const std::string path = s.value("path", std::string());
    if (op == "file.mkdir") return {{"rc", files.createDirectory(path, {})}};
    if (op == "file.rmdir") return {{"rc", files.removeDirectory(path)}};
    if (op == "file.delete") return {{"rc", files.deleteFile(path)}};
    if (op == "file.copy")
        return {{"rc", files.copyFile(s.at("from").get<std::string>(), s.at("to").get<std::string>(),
                                      s.value("failIfExists", false))}};
    if (op == "file.move")
        return {{"rc", files.moveFile(s.at("from").get<std::string>(), s.at("to").get<std::string>())}};
    if (op == "file.attr") {
        std::uint32_t attributes = 0;
        const std::uint32_t rc = files.getFileAttributes(path, attributes);
        if (rc != 0) return {{"rc", rc}};
        return {{"rc", rc}, {"attributes", attributes}};
    }
    if (op == "file.setAttr") return {{"rc", files.setFileAttributes(path, s.at("attributes").get<std::uint32_t>())}};
    if (op == "file.list") {
        std::vector<ports::DirEntry> entries;
        const std::uint32_t rc = files.findFiles(s.at("pattern").get<std::string>(), entries);
        std::sort(entries.begin(), entries.end(),
                  [](const ports::DirEntry& a, const ports::DirEntry& b) { return Lower(a.name) < Lower(b.name); });
        json listed = json::array();
        for (const ports::DirEntry& e : entries) listed.push_back({e.name, e.attributes, e.size});
        return {{"rc", rc}, {"entries", std::move(listed)}};
    }
    if (op == "file.read") {
        std::string bytes;
        const std::uint32_t rc = files.readFile(path, bytes);
        if (rc != 0) return {{"rc", rc}};
        return {{"rc", rc}, {"hex", ToHex(std::vector<std::uint8_t>(bytes.begin(), bytes.end()))}};
    }
    if (op == "file.write") {
        const std::vector<std::uint8_t> bytes = FromHex(s.at("hex").get<std::string>());
        return {{"rc", files.writeFile(path, std::string(bytes.begin(), bytes.end()))}};
    }
    if (op == "file.hold") return {{"rc", ports_.hooks.holdFile(path)}};
    if (op == "file.profile") {
        std::string value;
        ports_.system.setLastError(0);
        const std::uint32_t length = files.getPrivateProfileString(
            s.at("section").get<std::string>(), s.at("key").get<std::string>(), s.value("default", std::string()),
            value, s.value("size", 256u), path);
        return {{"rc", length}, {"value", value}, {"lastError", ports_.system.getLastError()}};
    }
    throw std::runtime_error("unknown op " + op);
}

json ScriptRunner::spoolerStep(const std::string& op, const json& s) {
    ports::Spooler& spooler = ports_.spooler;
    const std::optional<std::string> environment = OptionalText(s, "environment");
    auto printer = [&] {
        const auto found = printers_.find(s.at("h").get<std::string>());
        return found == printers_.end() ? ports::PrinterHandle{} : found->second;
    };
    if (op == "spool.driverDir") {
        std::string directory;
        const std::uint32_t rc = spooler.getPrinterDriverDirectory(environment, directory);
        return {{"rc", rc}, {"path", rc == 0 ? PathOut(directory) : ""}};
    }
    if (op == "spool.addDriver") {
        ports::DriverInfo3 driver;
        driver.version = s.value("version", 3u);
        driver.name = s.at("name").get<std::string>();
        driver.environment = environment.value_or("");
        driver.driverPath = s.value("driverPath", std::string());
        driver.dataFile = s.value("dataFile", std::string());
        driver.configFile = s.value("configFile", std::string());
        driver.dependentFiles = s.value("dependentFiles", std::vector<std::string>());
        driver.monitorName = s.value("monitor", std::string());
        driver.defaultDataType = s.value("defaultDataType", std::string());
        return {{"rc", spooler.addPrinterDriver(driver)}};
    }
    if (op == "spool.enumDrivers") {
        std::vector<ports::DriverInfo3> drivers;
        const std::uint32_t rc = spooler.enumPrinterDrivers(environment, drivers);
        json own = json::array();
        for (const ports::DriverInfo3& d : drivers) {
            if (!ownName(d.name)) continue;
            json deps = json::array();
            for (const std::string& file : d.dependentFiles) deps.push_back(PathOut(file));
            own.push_back({{"name", d.name}, {"version", d.version}, {"environment", d.environment},
                           {"driverPath", PathOut(d.driverPath)}, {"dataFile", PathOut(d.dataFile)},
                           {"configFile", PathOut(d.configFile)}, {"dependentFiles", std::move(deps)},
                           {"monitor", d.monitorName}, {"defaultDataType", d.defaultDataType}});
        }
        return {{"rc", rc}, {"drivers", std::move(own)}};
    }
    if (op == "spool.deleteDriverEx")
        return {{"rc", spooler.deletePrinterDriverEx(environment, s.at("name").get<std::string>(),
                                                     s.value("flags", 0u), s.value("versionFlag", 0u))}};
    if (op == "spool.addPrinter" || op == "spool.open") {
        ports::PrinterHandle handle;
        std::uint32_t rc = 0;
        if (op == "spool.addPrinter") {
            ports::PrinterInfo2 info;
            info.printerName = s.at("name").get<std::string>();
            info.driverName = s.value("driver", std::string());
            info.portName = s.value("port", std::string());
            info.printProcessor = s.value("printProcessor", std::string());
            info.dataType = s.value("dataType", std::string());
            info.attributes = s.value("attributes", 0u);
            rc = spooler.addPrinter(info, handle);
        } else {
            ports::PrinterDefaults defaults{std::nullopt, s.value("access", 0u)};
            rc = spooler.openPrinter(OptionalText(s, "name"), s.contains("access") ? &defaults : nullptr, handle);
        }
        if (rc == 0 && s.contains("as")) printers_[s["as"].get<std::string>()] = handle;
        return {{"rc", rc}};
    }
    if (op == "spool.close") {
        const auto found = printers_.find(s.at("h").get<std::string>());
        if (found == printers_.end()) return {{"rc", "no such handle"}};
        const std::uint32_t rc = spooler.closePrinter(found->second);
        printers_.erase(found);
        return {{"rc", rc}};
    }
    if (op == "spool.deletePrinter") return {{"rc", spooler.deletePrinter(printer())}};
    if (op == "spool.getPrinter") {
        ports::PrinterInfo2 info;
        const std::uint32_t rc = spooler.getPrinter(printer(), info);
        if (rc != 0) return {{"rc", rc}};
        return {{"rc", rc}, {"name", info.printerName}, {"port", info.portName}, {"driver", info.driverName},
                {"printProcessor", info.printProcessor}, {"dataType", info.dataType}};
    }
    if (op == "spool.enumPrinters") {
        std::vector<ports::PrinterInfo2> printers;
        const std::uint32_t rc = spooler.enumPrinters(ports::spool::EnumLocal, printers);
        std::vector<std::string> own;
        for (const ports::PrinterInfo2& p : printers)
            if (ownName(p.printerName)) own.push_back(p.printerName + " / " + p.driverName + " / " + p.portName);
        SortNoCase(own);
        return {{"rc", rc}, {"printers", own}};
    }
    if (op == "spool.setData") {
        ports::PrinterDataValue value{s.at("type").get<std::uint32_t>(), FromHex(s.at("hex").get<std::string>())};
        return {{"rc", spooler.setPrinterData(printer(), s.at("name").get<std::string>(), value)}};
    }
    if (op == "spool.getData") {
        ports::PrinterDataValue value;
        std::uint32_t needed = 0;
        const std::uint32_t rc =
            spooler.getPrinterData(printer(), s.at("name").get<std::string>(), s.at("size").get<std::uint32_t>(), value, needed);
        if (rc == 0) return {{"rc", rc}, {"needed", needed}, {"type", value.type}, {"hex", ToHex(value.data)}};
        if (rc == 234) return {{"rc", rc}, {"needed", needed}};
        return {{"rc", rc}};
    }
    if (op == "spool.enumProcessors") {
        std::vector<std::string> names;
        const std::uint32_t rc = spooler.enumPrintProcessors(environment, names);
        for (std::string& name : names) name = Lower(name);
        return {{"rc", rc}, {"names", names}};
    }
    if (op == "spool.addMonitor")
        return {{"rc", spooler.addMonitor({s.at("name").get<std::string>(), environment.value_or(""),
                                           s.at("dll").get<std::string>()})}};
    if (op == "spool.deleteMonitor")
        return {{"rc", spooler.deleteMonitor(environment, s.at("name").get<std::string>())}};
    throw std::runtime_error("unknown op " + op);
}

json ScriptRunner::infStep(const std::string& op, const json& s) {
    ports::DeviceSetup& devices = ports_.devices;
    if (op == "inf.list") {
        std::vector<std::string> names;
        const std::uint32_t rc = devices.getInfFileList(s.value("directory", std::string()), s.at("style"), names);
        for (std::string& name : names) name = Lower(name);
        std::sort(names.begin(), names.end());
        return {{"rc", rc}, {"names", names}};
    }
    if (op == "inf.open") {
        ports::InfHandle inf;
        const std::uint32_t rc = devices.openInfFile(s.at("path").get<std::string>(), s.value("style", 3u), inf);
        if (rc == 0) infs_[s.at("as").get<std::string>()] = inf;
        return {{"rc", rc}};
    }
    if (op == "inf.find") {
        const auto found = infs_.find(s.at("h").get<std::string>());
        if (found == infs_.end()) return {{"rc", "no such handle"}};
        return {{"rc", devices.findFirstLine(found->second, s.at("section").get<std::string>(),
                                             s.value("key", std::string()))}};
    }
    if (op == "inf.dump") return ports_.hooks.dumpInf(s.at("path").get<std::string>());
    throw std::runtime_error("unknown op " + op);
}

}  // namespace kvt::diff
