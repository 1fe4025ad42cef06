// Environments and their folders, printer drivers, monitors and print
// processors of the simulated spooler.
#include <algorithm>
#include <array>
#include <utility>

#include "platform/pe/PeImage.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "platform/sim/SpoolerModules.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

struct Environment {
    std::string_view name;
    std::string_view folder;  // below spool\drivers and spool\prtprocs
    std::uint16_t machine;    // of the environment's programs
};
constexpr std::array<Environment, 2> kEnvironments{
    {{"Windows NT x86", "W32X86", pe::kMachineI386}, {"Windows x64", "x64", pe::kMachineAmd64}}};

const Environment* FindEnvironment(std::string_view name) {
    for (const Environment& e : kEnvironments)
        if (EqualsNoCase(e.name, name)) return &e;
    return nullptr;
}

// 0 for an environment the spooler does not know: no image is of that machine.
std::uint16_t MachineOfEnvironment(std::string_view name) {
    const Environment* e = FindEnvironment(name);
    return e == nullptr ? 0 : e->machine;
}

constexpr std::uint32_t kDeleteAllFiles = 0x2;         // DPD_DELETE_ALL_FILES
constexpr std::uint32_t kDeleteSpecificVersion = 0x4;  // DPD_DELETE_SPECIFIC_VERSION

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsPath(std::string_view file) { return file.find_first_of("\\/:") != std::string_view::npos; }

// The files of a driver, configuration file last.
std::vector<std::string_view> FilesOf(const DriverRecord& d) {
    std::vector<std::string_view> files{d.driverPath, d.dataFile};
    if (!d.helpFile.empty()) files.push_back(d.helpFile);
    for (const auto& dependent : d.dependentFiles) files.push_back(dependent);
    files.push_back(d.configFile);
    return files;
}

bool DriverUsesFile(const DriverRecord& d, std::string_view file) {
    const auto files = FilesOf(d);
    return std::any_of(files.begin(), files.end(), [file](std::string_view f) { return EqualsNoCase(f, file); });
}

}  // namespace

// ---------------------------------------------------------------- environments

std::uint16_t SimSpooler::nativeMachine() const { return MachineOfEnvironment(nativeEnvironment()); }

const std::string* SimSpooler::fileBytes(const std::string& path) const {
    const FileRecord* file = sim_.world().files.findFile(path);
    return file == nullptr ? nullptr : &file->bytes;
}

std::string SimSpooler::nativeEnvironment() const {
    return std::string(sim_.world().os.is64Bit ? kEnvironments[1].name : kEnvironments[0].name);
}

// No environment is the caller's own, as winspool fills it in.
std::uint32_t SimSpooler::resolveEnvironment(const std::optional<std::string>& requested,
                                             std::string& environment) const {
    const Environment* found = FindEnvironment(requested ? *requested : sim_.ownEnvironment());
    if (found == nullptr) return err::InvalidEnvironment;
    environment = found->name;
    return err::Success;
}

// The spooler is a native service: its folders are below the real System32,
// never the WOW64 one.
std::string SimSpooler::spoolDirectory(std::string_view kind, std::string_view environment) const {
    std::string spool = winpath::Join(sim_.world().windowsDirectory, "System32\\spool");
    return winpath::Join(winpath::Join(spool, kind), FindEnvironment(environment)->folder);
}

std::string SimSpooler::driverVersionDirectory(std::string_view environment, std::uint32_t version) const {
    return winpath::Join(spoolDirectory("drivers", environment), std::to_string(version));
}

std::uint32_t SimSpooler::getPrinterDriverDirectory(const std::optional<std::string>& environment,
                                                    std::string& directory) {
    if (std::uint32_t error = begin("Spooler.getPrinterDriverDirectory")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    directory = spoolDirectory("drivers", env);
    return err::Success;
}

std::uint32_t SimSpooler::getPrintProcessorDirectory(const std::optional<std::string>& environment,
                                                     std::string& directory) {
    if (std::uint32_t error = begin("Spooler.getPrintProcessorDirectory")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    directory = spoolDirectory("prtprocs", env);
    return err::Success;
}

// ---------------------------------------------------------------- drivers

const DriverRecord* SimSpooler::findDriver(std::string_view environment, std::string_view name) const {
    for (const DriverRecord& d : memory_->drivers)
        if (EqualsNoCase(d.environment, environment) && EqualsNoCase(d.name, name)) return &d;
    return nullptr;
}

ports::DriverInfo3 SimSpooler::driverInfo(const DriverRecord& d) const {
    // Like EnumPrinterDrivers, with the full paths of the installed files.
    const std::string folder = driverVersionDirectory(d.environment, d.version);
    auto full = [&folder](const std::string& file) { return file.empty() ? file : winpath::Join(folder, file); };
    ports::DriverInfo3 info;
    info.version = d.version;
    info.name = d.name;
    info.environment = d.environment;
    info.driverPath = full(d.driverPath);
    info.dataFile = full(d.dataFile);
    info.configFile = full(d.configFile);
    info.helpFile = full(d.helpFile);
    for (const auto& file : d.dependentFiles) info.dependentFiles.push_back(full(file));
    info.monitorName = d.monitor;
    info.defaultDataType = d.defaultDataType;
    return info;
}

std::uint32_t SimSpooler::enumPrinterDrivers(const std::optional<std::string>& environment,
                                             std::vector<ports::DriverInfo3>& drivers) {
    if (std::uint32_t error = begin("Spooler.enumPrinterDrivers")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    drivers.clear();
    for (const DriverRecord& d : objects().drivers)
        if (EqualsNoCase(d.environment, env)) drivers.push_back(driverInfo(d));
    return err::Success;
}

// A file named with a folder is taken from there; a bare name from the
// environment's driver directory, where setup programs stage driver files,
// or from the version folder when it is installed already.
std::optional<std::string> SimSpooler::locateDriverFile(std::string_view environment, std::uint32_t version,
                                                        std::string_view file) const {
    const FileStore& files = sim_.world().files;
    std::vector<std::string> candidates;
    if (IsPath(file)) {
        candidates.emplace_back(file);
    } else {
        candidates.push_back(winpath::Join(spoolDirectory("drivers", environment), file));
        candidates.push_back(winpath::Join(driverVersionDirectory(environment, version), file));
    }
    for (const std::string& candidate : candidates) {
        std::string normalised;
        if (winpath::Normalise(candidate, {}, normalised) == err::Success && files.findFile(normalised))
            return normalised;
    }
    return std::nullopt;
}

// The driver file and the configuration file (first and last of `sources`)
// must be programs of the environment's machine; the data, help and
// dependent files are not looked at.
std::uint32_t SimSpooler::checkDriverPrograms(const std::vector<std::string>& sources,
                                              std::string_view environment) const {
    const std::uint16_t machine = MachineOfEnvironment(environment);
    for (const std::string* source : {&sources.front(), &sources.back()})
        if (std::uint32_t error = CheckProgramMachine(*fileBytes(*source), machine)) return error;
    return err::Success;
}

// The files are copied into the version folder as AddPrinterDriver copies
// them. Missing files fail with 2; a configuration file that cannot be
// loaded (here: that is missing) with 126, as its loading comes after the
// copy. Files that are there but are no programs of the environment fail
// before anything is copied.
std::uint32_t SimSpooler::stageDriverFiles(const ports::DriverInfo3& driver, std::string_view environment) {
    DriverRecord named;
    named.driverPath = driver.driverPath;
    named.dataFile = driver.dataFile;
    named.configFile = driver.configFile;
    named.helpFile = driver.helpFile;
    named.dependentFiles = driver.dependentFiles;
    const std::vector<std::string_view> files = FilesOf(named);
    std::vector<std::string> sources;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].empty()) continue;
        auto source = locateDriverFile(environment, driver.version, files[i]);
        if (!source) return i + 1 == files.size() ? err::ModNotFound : err::FileNotFound;
        sources.push_back(std::move(*source));
    }
    if (std::uint32_t error = checkDriverPrograms(sources, environment)) return error;
    FileStore& store = sim_.world().files;
    const std::string folder = driverVersionDirectory(environment, driver.version);
    for (const std::string& source : sources) {
        const std::string target = winpath::Join(folder, FileNameOf(source));
        if (EqualsNoCase(source, target)) continue;
        std::string bytes = store.findFile(source)->bytes;
        store.putFile(target, std::move(bytes));
    }
    return err::Success;
}

std::uint32_t SimSpooler::addPrinterDriver(const ports::DriverInfo3& driver) {
    if (std::uint32_t error = begin("Spooler.addPrinterDriver")) return error;
    std::string env;
    const std::optional<std::string> requested =
        driver.environment.empty() ? std::nullopt : std::optional<std::string>(driver.environment);
    if (std::uint32_t error = resolveEnvironment(requested, env)) return fail(error);
    if (driver.name.empty() || driver.driverPath.empty() || driver.dataFile.empty() || driver.configFile.empty())
        return fail(err::InvalidParameter);
    if (!driver.monitorName.empty() &&
        std::none_of(objects().monitors.begin(), objects().monitors.end(),
                     [&](const MonitorRecord& m) { return EqualsNoCase(m.name, driver.monitorName); }))
        return fail(err::UnknownPrintMonitor);
    if (std::uint32_t error = stageDriverFiles(driver, env)) return fail(error);

    DriverRecord added;
    added.name = driver.name;
    added.environment = env;
    added.version = driver.version;
    added.driverPath = FileNameOf(driver.driverPath);
    added.dataFile = FileNameOf(driver.dataFile);
    added.configFile = FileNameOf(driver.configFile);
    added.helpFile = FileNameOf(driver.helpFile);
    for (const auto& file : driver.dependentFiles) added.dependentFiles.emplace_back(FileNameOf(file));
    added.monitor = driver.monitorName;
    added.defaultDataType = driver.defaultDataType;
    // Adding a driver that is there already updates it.
    auto& drivers = objects().drivers;
    auto existing = std::find_if(drivers.begin(), drivers.end(), [&](const DriverRecord& d) {
        return EqualsNoCase(d.environment, env) && d.version == added.version && EqualsNoCase(d.name, added.name);
    });
    if (existing != drivers.end()) {
        added.name = existing->name;
        added.extra = existing->extra;
        *existing = added;
    } else {
        drivers.push_back(added);
    }
    WriteDriverKey(sim_.world().registry, added);
    return err::Success;
}

void SimSpooler::deleteUnusedFiles(const DriverRecord& removed) {
    FileStore& store = sim_.world().files;
    const std::string folder = driverVersionDirectory(removed.environment, removed.version);
    for (std::string_view file : FilesOf(removed)) {
        if (file.empty()) continue;
        const bool shared = std::any_of(objects().drivers.begin(), objects().drivers.end(), [&](const DriverRecord& d) {
            return EqualsNoCase(d.environment, removed.environment) && d.version == removed.version &&
                   DriverUsesFile(d, file);
        });
        const FileRecord* installed = store.findFile(winpath::Join(folder, file));
        // A file another program holds open stays, as the spooler cannot delete it either.
        if (!shared && installed && !installed->inUse) store.eraseFile(installed->path);
    }
}

std::uint32_t SimSpooler::deletePrinterDriverEx(const std::optional<std::string>& environment, std::string_view name,
                                                std::uint32_t deleteFlags, std::uint32_t versionFlag) {
    if (std::uint32_t error = begin("Spooler.deletePrinterDriverEx")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    auto& drivers = objects().drivers;
    auto matches = [&](const DriverRecord& d) {
        return EqualsNoCase(d.environment, env) && EqualsNoCase(d.name, name) &&
               ((deleteFlags & kDeleteSpecificVersion) == 0 || d.version == versionFlag);
    };
    if (std::none_of(drivers.begin(), drivers.end(), matches)) return fail(err::UnknownPrinterDriver);
    // Printers use the drivers of the system's own environment only.
    const bool inUse = EqualsNoCase(env, nativeEnvironment()) &&
                       std::any_of(objects().printers.begin(), objects().printers.end(),
                                   [name](const PrinterRecord& p) { return EqualsNoCase(p.driver, name); });
    if (inUse) return fail(err::PrinterDriverInUse);

    std::vector<DriverRecord> removed;
    for (auto it = drivers.begin(); it != drivers.end();) {
        if (matches(*it)) {
            removed.push_back(std::move(*it));
            it = drivers.erase(it);
        } else {
            ++it;
        }
    }
    for (const DriverRecord& d : removed) {
        // With no printer of its own left, the driver's modules are unloaded.
        const std::string folder = driverVersionDirectory(d.environment, d.version);
        for (std::string_view file : FilesOf(d))
            if (!file.empty()) loaded_.erase(winpath::Join(folder, file));
        sim_.world().registry.eraseTree(DriverKeyPath(d.environment, d.version, d.name));
        if (deleteFlags & (ports::spool::DeleteUnusedFiles | kDeleteAllFiles)) deleteUnusedFiles(d);
    }
    return err::Success;
}

// ---------------------------------------------------------------- monitors

bool SimSpooler::monitorInUse(std::string_view name) const {
    // A language monitor is held by every printer whose driver names it.
    const std::string native = nativeEnvironment();
    return std::any_of(memory_->printers.begin(), memory_->printers.end(), [&](const PrinterRecord& p) {
        const DriverRecord* d = findDriver(native, p.driver);
        return d && EqualsNoCase(d->monitor, name);
    });
}

// A monitor serves the system's own environment. AddMonitor is documented
// to want every file of the monitor copied to the system directory first;
// the spooler's DLL search would also find one in the Windows folder, but
// that is not the documented place, so it is refused here (126).
std::uint32_t SimSpooler::addMonitor(const ports::MonitorInfo2& monitor) {
    if (std::uint32_t error = begin("Spooler.addMonitor")) return error;
    if (monitor.name.empty() || monitor.dllName.empty()) return fail(err::InvalidParameter);
    std::string env;
    const std::optional<std::string> requested =
        monitor.environment.empty() ? std::nullopt : std::optional<std::string>(monitor.environment);
    if (std::uint32_t error = resolveEnvironment(requested, env)) return fail(error);
    if (env != nativeEnvironment()) return fail(err::InvalidEnvironment);
    auto& monitors = objects().monitors;
    if (std::any_of(monitors.begin(), monitors.end(),
                    [&](const MonitorRecord& m) { return EqualsNoCase(m.name, monitor.name); }))
        return fail(err::PrintMonitorAlreadyInstalled);
    const std::string dll = winpath::Join(winpath::Join(sim_.world().windowsDirectory, "System32"), monitor.dllName);
    const std::string* bytes = IsPath(monitor.dllName) ? nullptr : fileBytes(dll);
    if (bytes == nullptr) return fail(err::ModNotFound);
    // The spooler loads the DLL and calls its InitializePrintMonitor2, or the
    // older InitializePrintMonitor.
    if (std::uint32_t error = LoadDll(*bytes, nativeMachine())) return fail(error);
    if (!ExportsAny(*bytes, {"InitializePrintMonitor2", "InitializePrintMonitor"})) return fail(err::ProcNotFound);
    loaded_.insert(dll);
    MonitorRecord added{monitor.name, env, monitor.dllName, nlohmann::json::object()};
    WriteMonitorKey(sim_.world().registry, added);
    monitors.push_back(std::move(added));
    return err::Success;
}

// Monitors are not bound to an environment in the registry; a named
// environment only has to be a known one. A language monitor that a printer
// still uses fails with ERROR_PRINT_MONITOR_IN_USE, as localspl refuses it.
std::uint32_t SimSpooler::deleteMonitor(const std::optional<std::string>& environment, std::string_view name) {
    if (std::uint32_t error = begin("Spooler.deleteMonitor")) return error;
    if (environment && FindEnvironment(*environment) == nullptr) return fail(err::InvalidEnvironment);
    auto& monitors = objects().monitors;
    auto found = std::find_if(monitors.begin(), monitors.end(),
                              [name](const MonitorRecord& m) { return EqualsNoCase(m.name, name); });
    if (found == monitors.end()) return fail(err::UnknownPrintMonitor);
    if (monitorInUse(found->name)) return fail(err::PrintMonitorInUse);
    // The monitor is shut down and its DLL unloaded.
    loaded_.erase(winpath::Join(winpath::Join(sim_.world().windowsDirectory, "System32"), found->dll));
    sim_.world().registry.eraseTree(MonitorKeyPath(found->name));
    monitors.erase(found);
    return err::Success;
}

// ---------------------------------------------------------------- print processors

const PrintProcessorRecord* SimSpooler::findPrintProcessor(std::string_view environment, std::string_view name) const {
    for (const PrintProcessorRecord& p : memory_->printProcessors)
        if (EqualsNoCase(p.environment, environment) && EqualsNoCase(p.name, name)) return &p;
    return nullptr;
}

// A processor of the system's own environment is loaded into the spooler,
// which looks up the entry points it calls (127 when one is missing). One of
// another environment (the x86 one on x64 Windows) is only kept for clients
// of that architecture, yet its DLL must still be a DLL of that machine.
std::uint32_t SimSpooler::loadPrintProcessor(std::string_view environment, std::string_view dll) const {
    const std::string* bytes = IsPath(dll) ? nullptr : fileBytes(winpath::Join(spoolDirectory("prtprocs", environment), dll));
    if (bytes == nullptr) return err::ModNotFound;
    if (std::uint32_t error = LoadDll(*bytes, MachineOfEnvironment(environment))) return error;
    if (!EqualsNoCase(environment, nativeEnvironment())) return err::Success;
    const bool complete = ExportsAll(*bytes, {"EnumPrintProcessorDatatypesW", "OpenPrintProcessor",
                                              "PrintDocumentOnPrintProcessor", "ClosePrintProcessor",
                                              "ControlPrintProcessor"});
    return complete ? err::Success : err::ProcNotFound;
}

// The service leaves out a print processor of its own environment whose DLL
// it cannot load, and starts without it.
void SimSpooler::dropUnloadableProcessors() {
    const std::string native = nativeEnvironment();
    std::erase_if(objects().printProcessors, [&](const PrintProcessorRecord& p) {
        return EqualsNoCase(p.environment, native) && loadPrintProcessor(p.environment, p.dll) != err::Success;
    });
}

// The DLL must already be in the environment's print-processor folder.
std::uint32_t SimSpooler::addPrintProcessor(const std::optional<std::string>& environment, std::string_view pathName,
                                            std::string_view name) {
    if (std::uint32_t error = begin("Spooler.addPrintProcessor")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    if (name.empty() || pathName.empty()) return fail(err::InvalidParameter);
    if (findPrintProcessor(env, name) != nullptr) return fail(err::PrintProcessorAlreadyInstalled);
    if (std::uint32_t error = loadPrintProcessor(env, pathName)) return fail(error);
    if (env == nativeEnvironment()) loaded_.insert(winpath::Join(spoolDirectory("prtprocs", env), pathName));
    PrintProcessorRecord added{std::string(name), env, std::string(pathName), nlohmann::json::object()};
    WritePrintProcessorKey(sim_.world().registry, added);
    objects().printProcessors.push_back(std::move(added));
    return err::Success;
}

std::uint32_t SimSpooler::enumPrintProcessors(const std::optional<std::string>& environment,
                                              std::vector<std::string>& names) {
    if (std::uint32_t error = begin("Spooler.enumPrintProcessors")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    names.clear();
    for (const PrintProcessorRecord& p : objects().printProcessors)
        if (EqualsNoCase(p.environment, env)) names.push_back(p.name);
    return err::Success;
}

std::uint32_t SimSpooler::deletePrintProcessor(const std::optional<std::string>& environment, std::string_view name) {
    if (std::uint32_t error = begin("Spooler.deletePrintProcessor")) return error;
    std::string env;
    if (std::uint32_t error = resolveEnvironment(environment, env)) return fail(error);
    auto& processors = objects().printProcessors;
    auto found = std::find_if(processors.begin(), processors.end(), [&](const PrintProcessorRecord& p) {
        return EqualsNoCase(p.environment, env) && EqualsNoCase(p.name, name);
    });
    if (found == processors.end()) return fail(err::UnknownPrintProcessor);
    loaded_.erase(winpath::Join(spoolDirectory("prtprocs", found->environment), found->dll));
    sim_.world().registry.eraseTree(PrintProcessorKeyPath(found->environment, found->name));
    processors.erase(found);
    return err::Success;
}

}  // namespace kvt::sim
