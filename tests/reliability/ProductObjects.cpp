#include "tests/reliability/ProductObjects.h"

#include <algorithm>
#include <array>
#include <functional>
#include <sstream>

#include "platform/sim/InfFile.h"
#include "platform/sim/SpoolerKeys.h"
#include "platform/sim/WinPath.h"

namespace kvt::test {
namespace {

using sim::EqualsNoCase;
using sim::StartsWithNoCase;

constexpr std::string_view kDriverName = "NORVEX KVT-580duo";
constexpr std::string_view kModelName = "KVT-580duo";
constexpr std::string_view kMonitorName = "NVX Language Monitor KVT580duo";
constexpr std::string_view kProcessorName = "NVX PRINT PROCESSOR KVT580duo";
constexpr std::string_view kModelTag = "[580duo]";
constexpr std::string_view kMaker = "NORVEX";
constexpr std::string_view kUsbId = "USB\\VID_2E9C&PID_000B";
constexpr std::array<std::string_view, 9> kOwnFileNames{
    "KVT580D.dll", "KVT580D.GPD", "KVT580D.BUD", "UI580D.dll",          "UNI580D.dll",
    "UI580D.INI",  "MON580D.dll", "PRO580D.dll", "KVT580duo_Config.NVX"};
// The universal driver's files: the installer stages them before Windows
// Vista, the product's INF installs them from Vista on.
constexpr std::array<std::string_view, 5> kUnidrvFileNames{"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",
                                                           "STDNAMES.GPD"};
constexpr std::array<std::string_view, 2> kLogFiles{"C:\\Temp\\KVT-580duo_Installer.txt",
                                                    "C:\\Temp\\KVT-580duo_UnInstaller.txt"};
constexpr std::array<std::string_view, 2> kPackageFolders{"norvexkvt_580duoaed9", "norvex_kvt_580duobc99"};
constexpr std::array<std::string_view, 6> kOwnKeys{
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo",
    "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo",
    "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo",
    "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\NORVEXKVT-580duo",
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\NVX Language Monitor KVT580duo",
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\NORVEX KVT-580duo"};
constexpr std::string_view kEnumKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
constexpr std::string_view kEnvironmentsKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\";
constexpr std::string_view kPrintersKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

// `path` is `base` or lies below it.
bool AtOrBelow(std::string_view path, std::string_view base) {
    if (!StartsWithNoCase(path, base)) return false;
    return path.size() == base.size() || path[base.size()] == '\\' || base.ends_with('\\');
}

std::vector<std::string_view> Split(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        parts.push_back(path.substr(0, slash));
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

bool IsOwnFileName(std::string_view name) {
    if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".old")) name.remove_suffix(4);
    return std::any_of(kOwnFileNames.begin(), kOwnFileNames.end(),
                       [name](std::string_view own) { return EqualsNoCase(own, name); });
}

bool IsUnidrvFileName(std::string_view name) {
    return std::any_of(kUnidrvFileNames.begin(), kUnidrvFileNames.end(),
                       [name](std::string_view own) { return EqualsNoCase(own, name); });
}

bool ListsProductDriver(const std::string& infBytes) {
    const sim::InfFile inf = sim::InfFile::Parse(infBytes);
    const std::string amd64 = std::string(kMaker) + ".NTamd64";
    return inf.findLine(kMaker, kDriverName) != nullptr || inf.findLine(amd64, kDriverName) != nullptr;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string AclText(const std::vector<ports::ExplicitAccess>& acl) {
    std::ostringstream out;
    for (const auto& entry : acl)
        out << " [" << entry.trustee << " " << entry.rights << " " << static_cast<int>(entry.mode) << " "
            << entry.inheritance << "]";
    return out.str();
}

// The printer a spooler key path belongs to, if it is one.
std::string_view PrinterOfKey(std::string_view path) {
    if (!StartsWithNoCase(path, kPrintersKey)) return {};
    std::string_view rest = path.substr(kPrintersKey.size());
    return rest.substr(0, rest.find('\\'));
}

}  // namespace

ProductObjects::ProductObjects(const sim::World& start, const std::vector<const sim::World*>& others)
    : windows_(start.windowsDirectory), drive_(start.windowsDirectory.substr(0, 2)) {
    systemHadFramedyn_ = start.files.findFile(windows_ + "\\System32\\framedyn.dll") != nullptr;
    printers_.insert(std::string(kDriverName));
    learnFrom(start);
    for (const sim::World* world : others) learnFrom(*world);

    // What the product owns in any image, so that the folders and keys on the
    // way to it are known.
    auto note = [this](const std::string& path) { ownedPaths_.push_back(path); };
    auto noteAll = [&](const sim::World& world) {
        for (const auto& [path, file] : world.files.files())
            if (ownsFile(path)) note(path);
        for (const auto& [path, directory] : world.files.directories())
            if (ownsDirectory(path)) note(path);
        for (const auto& [path, key] : world.registry.keys())
            if (ownsKey(path)) note(path);
    };
    noteAll(start);
    for (const sim::World* world : others) noteAll(*world);
}

void ProductObjects::learnFrom(const sim::World& world) {
    const std::string nativeEnvironment = world.os.is64Bit ? "Windows x64" : "Windows NT x86";
    const sim::SpoolerObjects objects = sim::ReadSpoolerObjects(world.registry, nativeEnvironment);
    for (const auto& printer : objects.printers)
        if (printer.driver == kDriverName) printers_.insert(printer.name);
    for (const auto& driver : objects.drivers) {
        if (EqualsNoCase(driver.name, kDriverName)) continue;
        for (const std::string* file : {&driver.driverPath, &driver.dataFile, &driver.configFile, &driver.helpFile})
            foreignDriverFiles_.insert(*file);
        foreignDriverFiles_.insert(driver.dependentFiles.begin(), driver.dependentFiles.end());
    }
    const std::string store = windows_ + "\\inf\\";
    for (const auto& [path, file] : world.files.files()) {
        if (!StartsWithNoCase(path, store) || !EqualsNoCase(sim::winpath::ParentOf(path), windows_ + "\\inf"))
            continue;
        const std::string_view name = sim::winpath::NameOf(path);
        if (!StartsWithNoCase(name, "oem") || !EqualsNoCase(name.substr(name.size() - 4), ".inf")) continue;
        if (!ListsProductDriver(file.bytes)) continue;
        infStoreFiles_.insert(path);
        infStoreFiles_.insert(path.substr(0, path.size() - 4) + ".PNF");
    }
    for (const auto& device : world.devices)
        if (ownsDevice(device)) deviceInstances_.insert(device.instanceId);
}

bool ProductObjects::ownsDevice(const sim::DeviceNode& device) const {
    // The printer's own nodes, below its device keys.
    for (std::string_view own : kOwnKeys)
        if (StartsWithNoCase(own, kEnumKey) &&
            AtOrBelow(std::string(kEnumKey) + device.instanceId, own) &&
            !EqualsNoCase(std::string(kEnumKey) + device.instanceId, own))
            return true;
    if (device.hardwareIds.empty()) return false;
    const std::string& first = device.hardwareIds.front();
    if (!StartsWithNoCase(first, kUsbId)) return false;
    return first.size() == kUsbId.size() || first[kUsbId.size()] == '&' || first[kUsbId.size()] == '\\';
}

bool ProductObjects::ownsForm(std::string_view name) const { return name.find(kModelTag) != std::string_view::npos; }

bool ProductObjects::ownsPrinter(std::string_view name) const { return printers_.contains(name); }

bool ProductObjects::ownsDirectory(std::string_view path) const {
    if (AtOrBelow(path, windows_ + "\\" + std::string(kModelName))) return true;
    if (AtOrBelow(path, drive_ + "\\NORVEX Printer Driver\\" + std::string(kModelName))) return true;
    const std::string spoolDrivers = windows_ + "\\System32\\spool\\drivers\\";
    if (!StartsWithNoCase(path, spoolDrivers)) return false;
    for (std::string_view part : Split(path.substr(spoolDrivers.size())))
        for (std::string_view folder : kPackageFolders)
            if (EqualsNoCase(part, folder)) return true;
    return false;
}

bool ProductObjects::ownsFile(std::string_view path) const {
    for (std::string_view log : kLogFiles)
        if (EqualsNoCase(path, log)) return true;
    if (ownsDirectory(sim::winpath::ParentOf(path))) return true;
    if (infStoreFiles_.contains(path)) return true;

    const std::string_view folder = sim::winpath::ParentOf(path);
    const std::string_view name = sim::winpath::NameOf(path);
    const std::string spool = windows_ + "\\System32\\spool";
    const bool systemPlace = EqualsNoCase(folder, windows_) || EqualsNoCase(folder, windows_ + "\\System32") ||
                             EqualsNoCase(folder, windows_ + "\\SysWOW64") || AtOrBelow(folder, spool);
    if (systemPlace && IsOwnFileName(name)) return true;
    if (AtOrBelow(folder, spool + "\\drivers") && IsUnidrvFileName(name) && !foreignDriverFiles_.contains(name))
        return true;
    return !systemHadFramedyn_ && EqualsNoCase(path, windows_ + "\\System32\\framedyn.dll");
}

bool ProductObjects::ownsKey(std::string_view path) const {
    for (std::string_view own : kOwnKeys)
        if (AtOrBelow(path, own)) return true;
    const std::string_view printer = PrinterOfKey(path);
    if (!printer.empty() && ownsPrinter(printer)) return true;
    if (StartsWithNoCase(path, kEnumKey)) {
        for (const std::string& instance : deviceInstances_)
            if (AtOrBelow(path, std::string(kEnumKey) + instance)) return true;
    }
    if (StartsWithNoCase(path, kEnvironmentsKey)) {
        // <environment>\Print Processors\<name> or <environment>\Drivers\Version-<n>\<name>
        const std::vector<std::string_view> parts = Split(path.substr(kEnvironmentsKey.size()));
        if (parts.size() >= 3 && EqualsNoCase(parts[1], "Print Processors") && EqualsNoCase(parts[2], kProcessorName))
            return true;
        if (parts.size() >= 4 && EqualsNoCase(parts[1], "Drivers") && EqualsNoCase(parts[3], kDriverName))
            return true;
    }
    return false;
}

bool ProductObjects::leadsToOwned(std::string_view path) const {
    return std::any_of(ownedPaths_.begin(), ownedPaths_.end(), [path](const std::string& owned) {
        return owned.size() > path.size() && AtOrBelow(owned, path);
    });
}

std::vector<std::string> ForeignFacts(const sim::World& world, const ProductObjects& product) {
    std::vector<std::string> facts;
    facts.push_back("os " + std::to_string(world.os.platform) + " " + std::to_string(world.os.major) + "." +
                    std::to_string(world.os.minor) + "." + std::to_string(world.os.build) + " type " +
                    std::to_string(world.os.productType) + (world.os.is64Bit ? " x64" : " x86"));
    facts.push_back("windowsDirectory " + world.windowsDirectory);
    facts.push_back("currentDirectory " + world.currentDirectory);
    facts.push_back(std::string("shutdownPrivilege ") + (world.shutdownPrivilege ? "yes" : "no"));
    facts.push_back("extra " + world.extra.dump());

    for (const auto& [path, file] : world.files.files()) {
        if (product.ownsFile(path)) continue;
        std::ostringstream fact;
        fact << "file " << file.path << " bytes " << file.bytes.size() << " #"
             << std::hash<std::string>{}(file.bytes) << (file.readOnly ? " readOnly" : "")
             << (file.inUse ? " inUse" : "") << (file.linkTo ? " linkTo " + *file.linkTo : "")
             << (file.extra.empty() ? "" : " " + file.extra.dump());
        facts.push_back(fact.str());
    }
    for (const auto& [path, directory] : world.files.directories()) {
        if (product.ownsDirectory(path)) continue;
        const std::string carried = (directory.junctionTo ? " junctionTo " + *directory.junctionTo : "") +
                                    AclText(directory.acl) +
                                    (directory.extra.empty() ? "" : " " + directory.extra.dump());
        if (product.leadsToOwned(path) && carried.empty()) continue;
        facts.push_back("directory " + directory.path + carried);
    }
    for (const auto& [path, key] : world.registry.keys()) {
        if (product.ownsKey(path)) continue;
        const std::string carried = (key.isProtected ? " protected" : "") + AclText(key.acl) +
                                    (key.extra.empty() ? "" : " " + key.extra.dump());
        if (!product.leadsToOwned(path) || !carried.empty()) facts.push_back("key " + key.path + carried);
        for (const auto& [name, value] : key.values)
            facts.push_back("value " + key.path + " : " + name + " = " + std::to_string(value.type) + ":" +
                            Hex(value.data));
    }

    const sim::SpoolerImage& spooler = world.spooler;
    std::string ports = "ports";
    for (const std::string& port : spooler.ports) ports += " " + port;
    facts.push_back(ports);
    facts.push_back(std::string("spooler service ") + (spooler.running ? "running" : "stopped"));
    facts.push_back("spooler extra " + spooler.extra.dump());
    for (const auto& [printer, jobs] : spooler.jobs) {
        if (product.ownsPrinter(printer)) continue;
        std::string fact = "jobs " + printer;
        for (std::uint32_t job : jobs) fact += " " + std::to_string(job);
        facts.push_back(fact);
    }
    for (std::size_t i = 0; i < spooler.forms.size(); ++i) {
        const sim::FormRecord& form = spooler.forms[i];
        if (product.ownsForm(form.name)) continue;
        std::ostringstream fact;
        fact << "form " << form.name << " flags " << form.flags << " " << form.width << "x" << form.length << " ["
             << form.imageable[0] << "," << form.imageable[1] << "," << form.imageable[2] << ","
             << form.imageable[3] << "]" << (form.extra.empty() ? "" : " " + form.extra.dump());
        facts.push_back(fact.str());
    }
    for (const sim::DeviceNode& device : world.devices) {
        if (product.ownsDevice(device)) continue;
        std::string fact = "device " + device.enumerator + " " + device.instanceId;
        for (const std::string& id : device.hardwareIds) fact += " " + id;
        facts.push_back(fact);
    }
    std::sort(facts.begin(), facts.end());
    return facts;
}

std::vector<std::string> ForeignChanges(const sim::World& expected, const sim::World& actual,
                                        const ProductObjects& product) {
    const std::vector<std::string> before = ForeignFacts(expected, product);
    const std::vector<std::string> after = ForeignFacts(actual, product);
    std::vector<std::string> gone, came;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(came));
    std::vector<std::string> changes;
    for (const std::string& fact : gone) changes.push_back("- " + fact);
    for (const std::string& fact : came) changes.push_back("+ " + fact);
    return changes;
}

}  // namespace kvt::test
