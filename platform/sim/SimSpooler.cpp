// The service, its handles, printers, printer data and jobs.
#include "platform/sim/SimSpooler.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "platform/ports/Processes.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

constexpr std::uint32_t kServiceStopped = ports::service::Stopped;
constexpr std::uint32_t kServiceStopPending = ports::service::StopPending;
constexpr std::uint32_t kServiceRunning = ports::service::Running;
// How long the service takes to stop after "net stop".
constexpr std::uint64_t kStopMs = 1000;
// The transmission retry of a local port: 90 seconds by default, after which
// the port gives the job up.
constexpr std::uint64_t kPortRetryMs = 90000;

bool IsSerialOrParallelPort(std::string_view port) {
    return StartsWithNoCase(port, "COM") || StartsWithNoCase(port, "LPT");
}

// SetJob commands (JOB_CONTROL_PAUSE .. JOB_CONTROL_LAST_PAGE_EJECTED).
constexpr std::uint32_t kFirstJobCommand = 1;
constexpr std::uint32_t kLastJobCommand = 7;

// Access masks of printers and of the print server: the right to print (or
// to enumerate the server), and all rights.
std::uint32_t UseRight(bool server) {
    return server ? ports::spool::ServerAccessEnumerate : ports::spool::PrinterAccessUse;
}
std::uint32_t AllRights(bool server) {
    return server ? ports::spool::ServerAllAccess : ports::spool::PrinterAllAccess;
}

// A generic right maps to the object's own rights (PRINTER_READ,
// PRINTER_ALL_ACCESS, ...).
std::uint32_t MapGenericRights(std::uint32_t requested, bool server) {
    constexpr std::uint32_t kGeneric = acl::GenericAll | acl::GenericExecute | acl::GenericWrite | acl::GenericRead;
    std::uint32_t mapped = requested & ~kGeneric;
    if (requested & acl::GenericAll) mapped |= AllRights(server);
    if (requested & (acl::GenericRead | acl::GenericWrite | acl::GenericExecute))
        mapped |= acl::ReadControl | UseRight(server);
    return mapped;
}

// What the default security of a printer or of the server lets a caller
// have: Administrators everything, everyone else the right to print (or to
// enumerate the server) and to read the security.
std::uint32_t AllowedRights(bool server, bool elevated) {
    if (elevated) return AllRights(server) | acl::MaximumAllowed;
    return UseRight(server) | acl::ReadControl | acl::MaximumAllowed;
}

// Printer names become key names and appear in "\\server\printer" paths and
// port lists, so "\" and "," cannot be part of them.
bool ValidPrinterName(std::string_view name) {
    return !name.empty() && name.find_first_of("\\,") == std::string_view::npos;
}

ports::PrinterInfo2 InfoOf(const PrinterRecord& p, std::size_t jobCount) {
    ports::PrinterInfo2 info;
    info.printerName = p.name;
    info.shareName = p.shareName;
    info.portName = p.port;
    info.driverName = p.driver;
    info.comment = p.comment;
    info.location = p.location;
    info.sepFile = p.sepFile;
    info.printProcessor = p.printProcessor;
    info.dataType = p.dataType;
    info.parameters = p.parameters;
    info.attributes = p.attributes;
    info.priority = p.priority;
    info.defaultPriority = p.defaultPriority;
    info.startTime = p.startTime;
    info.untilTime = p.untilTime;
    info.status = p.status;
    info.jobs = static_cast<std::uint32_t>(jobCount);
    return info;
}

// What PRINTER_INFO_2 sets of a printer. Its status is the spooler's own.
void ApplySettings(PrinterRecord& p, const ports::PrinterInfo2& info, const std::string& dataType) {
    p.shareName = info.shareName;
    p.port = info.portName;
    p.driver = info.driverName;
    p.comment = info.comment;
    p.location = info.location;
    p.sepFile = info.sepFile;
    p.printProcessor = info.printProcessor;
    p.dataType = dataType;
    p.parameters = info.parameters;
    p.attributes = info.attributes;
    p.priority = info.priority;
    p.defaultPriority = info.defaultPriority;
    p.startTime = info.startTime;
    p.untilTime = info.untilTime;
}

}  // namespace

SimSpooler::SimSpooler(Simulation& sim) : sim_(sim) {
    if (sim_.world().spooler.running) load();
}

// ---------------------------------------------------------------- service

std::uint32_t SimSpooler::begin(std::string_view method) {
    if (auto fault = sim_.faults().check(method)) return fail(*fault);
    if (!sim_.world().spooler.running) {
        serviceStopped();
        return fail(err::RpcServerUnavailable);
    }
    if (!memory_) load();
    settle();
    if (!memory_) return fail(err::RpcServerUnavailable);
    return err::Success;
}

std::uint32_t SimSpooler::fail(std::uint32_t code) { return sim_.lastError() = code; }

void SimSpooler::load() {
    memory_ = ReadSpoolerObjects(sim_.world().registry, nativeEnvironment());
    dropUnloadableProcessors();
    indexPrinters();
    // Spool files of printers that are gone are dropped at start-up.
    auto& jobs = sim_.world().spooler.jobs;
    std::erase_if(jobs, [this](const auto& entry) { return findPrinter(entry.first) == nullptr; });
    // A printer left pending deletion goes at start-up once its jobs are gone.
    std::vector<std::string> pending;
    for (const PrinterRecord& p : objects().printers)
        if (p.status & ports::spool::StatusPendingDeletion) pending.push_back(p.name);
    for (const std::string& name : pending) finishDeletionIfDue(name);
    // The service loads every monitor and print processor at start, and the
    // drivers of its printers as it initialises them.
    const std::string system32 = winpath::Join(sim_.world().windowsDirectory, "System32");
    for (const MonitorRecord& m : objects().monitors) loaded_.insert(winpath::Join(system32, m.dll));
    for (const PrintProcessorRecord& p : objects().printProcessors)
        if (EqualsNoCase(p.environment, nativeEnvironment()))
            loaded_.insert(winpath::Join(spoolDirectory("prtprocs", p.environment), p.dll));
    for (const PrinterRecord& p : objects().printers) loadDriverModules(p.driver);
}

void SimSpooler::serviceStopped() {
    printerIndex_.clear();
    memory_.reset();
    handles_.clear();
    loaded_.clear();
    deletingJobs_.clear();
    stopsAtMs_.reset();
}

void SimSpooler::stopRequested() {
    if (!stopsAtMs_) stopsAtMs_ = sim_.clock().elapsedMs() + kStopMs;
}

bool SimSpooler::stopPending() {
    settle();
    return stopsAtMs_.has_value();
}

std::uint32_t SimSpooler::serviceState() {
    settle();
    if (!sim_.world().spooler.running) return kServiceStopped;
    return stopsAtMs_ ? kServiceStopPending : kServiceRunning;
}

bool SimSpooler::holdsModule(std::string_view path) {
    settle();
    return sim_.world().spooler.running && loaded_.contains(std::string(path));
}

// What virtual time has brought since the last call: a requested stop that
// is done, jobs that their port gave up.
void SimSpooler::settle() {
    const std::uint64_t now = sim_.clock().elapsedMs();
    if (stopsAtMs_ && now >= *stopsAtMs_) {
        sim_.world().spooler.running = false;
        serviceStopped();
        return;
    }
    if (!memory_) return;
    std::vector<std::string> given;
    for (const auto& [printer, job] : deletingJobs_)
        if (now >= job.goneAtMs) given.push_back(printer);
    auto& jobs = sim_.world().spooler.jobs;
    for (const std::string& printer : given) {
        const std::uint32_t jobId = deletingJobs_[printer].jobId;
        deletingJobs_.erase(printer);
        if (auto found = jobs.find(printer); found != jobs.end()) {
            std::erase(found->second, jobId);
            if (found->second.empty()) jobs.erase(found);
        }
        finishDeletionIfDue(printer);
    }
}

// The driver files that hold code, loaded when the service first uses a
// printer of the driver.
void SimSpooler::loadDriverModules(std::string_view driverName) {
    const DriverRecord* d = findDriver(nativeEnvironment(), driverName);
    if (d == nullptr) return;
    const std::string folder = driverVersionDirectory(d->environment, d->version);
    auto isModule = [](std::string_view file) {
        return file.size() > 4 && EqualsNoCase(file.substr(file.size() - 4), ".dll");
    };
    for (std::string_view file : {std::string_view(d->driverPath), std::string_view(d->configFile)})
        if (isModule(file)) loaded_.insert(winpath::Join(folder, file));
    for (const std::string& file : d->dependentFiles)
        if (isModule(file)) loaded_.insert(winpath::Join(folder, file));
}

bool SimSpooler::openElsewhere(std::string_view printer, std::optional<std::uint64_t> except) const {
    return std::any_of(handles_.begin(), handles_.end(), [&](const auto& entry) {
        return entry.first != except && entry.second.printer && EqualsNoCase(*entry.second.printer, printer);
    });
}

bool SimSpooler::hasJobs(std::string_view printer) const {
    const auto& jobs = sim_.world().spooler.jobs;
    const auto found = jobs.find(std::string(printer));
    return found != jobs.end() && !found->second.empty();
}

void SimSpooler::erasePrinter(std::string_view name) {
    const auto indexed = printerIndex_.find(name);
    if (indexed == printerIndex_.end()) return;
    sim_.world().registry.eraseTree(PrinterKeyPath(indexed->second->name));
    sim_.world().spooler.jobs.erase(indexed->second->name);
    objects().printers.erase(indexed->second);
    printerIndex_.erase(indexed);
}

void SimSpooler::finishDeletionIfDue(std::string_view name) {
    const PrinterRecord* p = findPrinter(name);
    if (p == nullptr || (p->status & ports::spool::StatusPendingDeletion) == 0) return;
    if (hasJobs(p->name) || openElsewhere(p->name, std::nullopt)) return;
    erasePrinter(std::string(p->name));
}

// The job being printed (the first) to a port whose printer does not answer.
bool SimSpooler::jobStuckOnPort(const PrinterRecord& printer, std::uint32_t jobId) const {
    const auto& offline = sim_.world().spooler.offlinePorts;
    const bool portOffline = IsSerialOrParallelPort(printer.port) &&
                             std::any_of(offline.begin(), offline.end(),
                                         [&](const std::string& port) { return EqualsNoCase(port, printer.port); });
    if (!portOffline) return false;
    const auto& jobs = sim_.world().spooler.jobs;
    const auto found = jobs.find(printer.name);
    return found != jobs.end() && !found->second.empty() && found->second.front() == jobId;
}

void SimSpooler::serviceStarted() { load(); }

// ---------------------------------------------------------------- handles

ports::PrinterHandle SimSpooler::addHandle(std::optional<std::string> printer, std::uint32_t granted) {
    const std::uint64_t id = nextHandle_;
    nextHandle_ += 4;
    handles_[id] = OpenHandle{std::move(printer), granted};
    return ports::PrinterHandle{id};
}

std::uint32_t SimSpooler::lookupHandle(ports::PrinterHandle handle, OpenHandle*& open) {
    auto it = handles_.find(handle.value);
    if (it == handles_.end()) return fail(err::InvalidHandle);
    open = &it->second;
    return err::Success;
}

// Printer calls on a server handle, or on the handle of a printer deleted
// since, fail as on a handle that was never opened.
std::uint32_t SimSpooler::printerOf(ports::PrinterHandle handle, PrinterRecord*& printer) {
    OpenHandle* open = nullptr;
    if (std::uint32_t error = lookupHandle(handle, open)) return error;
    printer = open->printer ? findPrinter(*open->printer) : nullptr;
    return printer ? err::Success : fail(err::InvalidHandle);
}

// SetPrinter at level 2 and SetPrinterData check the rights granted to the
// handle when it was opened, not the caller's rights now (PRINTER_ACCESS_
// ADMINISTER, as their documentation requires).
std::uint32_t SimSpooler::administeredPrinterOf(ports::PrinterHandle handle, PrinterRecord*& printer) {
    if (std::uint32_t error = printerOf(handle, printer)) return error;
    if ((handles_.at(handle.value).granted & ports::spool::PrinterAccessAdminister) == 0)
        return fail(err::AccessDenied);
    return err::Success;
}

// AddForm, SetForm and DeleteForm need SERVER_ACCESS_ADMINISTER: the spooler
// checks the caller against the server's security on each call, also when
// the call comes on a printer handle.
std::uint32_t SimSpooler::checkServerAdministration() const {
    return sim_.world().elevated ? err::Success : err::AccessDenied;
}

// Every printer call looks its printer up by name; a scan of all printers
// per call made removing the printers of a large system quadratic. Only
// this class changes the printers of memory_, and each change (load, add,
// delete, rename) keeps the index in step.
void SimSpooler::indexPrinters() {
    printerIndex_.clear();
    for (auto it = objects().printers.begin(); it != objects().printers.end(); ++it)
        printerIndex_.emplace(it->name, it);
}

PrinterRecord* SimSpooler::findPrinter(std::string_view name) {
    auto found = printerIndex_.find(name);
    return found == printerIndex_.end() ? nullptr : &*found->second;
}

std::optional<DevModeRecord> SimSpooler::defaultDevMode(std::string_view printerName) const {
    if (!memory_) return std::nullopt;
    for (const PrinterRecord& p : memory_->printers)
        if (EqualsNoCase(p.name, printerName)) return p.devmode;
    return std::nullopt;
}

// ---------------------------------------------------------------- printers

std::uint32_t SimSpooler::enumPrinters(std::uint32_t flags, std::vector<ports::PrinterInfo2>& printers) {
    if (std::uint32_t error = begin("Spooler.enumPrinters")) return error;
    printers.clear();
    if ((flags & ports::spool::EnumLocal) == 0) return err::Success;
    const auto& jobs = sim_.world().spooler.jobs;
    printers.reserve(objects().printers.size());
    for (const PrinterRecord& p : objects().printers) {
        auto found = jobs.find(p.name);
        printers.push_back(InfoOf(p, found == jobs.end() ? 0 : found->second.size()));
    }
    return err::Success;
}

std::uint32_t SimSpooler::openPrinter(const std::optional<std::string>& name, const ports::PrinterDefaults* defaults,
                                      ports::PrinterHandle& printer) {
    if (std::uint32_t error = begin("Spooler.openPrinter")) return error;
    const bool server = !name.has_value();
    const PrinterRecord* found = server ? nullptr : findPrinter(*name);
    if (!server && found == nullptr) return fail(err::InvalidPrinterName);
    // A data type among the defaults must be one the printer's processor
    // handles; the server's are those of the system's own processor.
    const std::vector<std::string>& handled =
        server ? ProcessorDataTypes::systemTypes() : dataTypesOf(found->printProcessor);
    if (defaults && defaults->dataType && !ContainsDataType(handled, *defaults->dataType))
        return fail(err::InvalidDatatype);
    // A printer on its way out takes no new handles.
    if (!server && (found->status & ports::spool::StatusPendingDeletion)) return fail(err::PrinterDeleted);
    // OpenPrinter grants exactly what was asked for, and fails with 5 when
    // the caller may not have all of it; no defaults (or no rights) ask for
    // the right to use the printer or to enumerate the server.
    std::uint32_t requested = MapGenericRights(defaults ? defaults->desiredAccess : 0, server);
    if (requested == 0) requested = server ? ports::spool::ServerAccessEnumerate : ports::spool::PrinterAccessUse;
    const std::uint32_t allowed = AllowedRights(server, sim_.world().elevated);
    if ((requested & ~allowed) != 0) return fail(err::AccessDenied);
    if (requested & acl::MaximumAllowed) requested = allowed & ~acl::MaximumAllowed;
    printer = addHandle(server ? std::nullopt : std::optional<std::string>(found->name), requested);
    return err::Success;
}

std::uint32_t SimSpooler::closePrinter(ports::PrinterHandle printer) {
    if (std::uint32_t error = begin("Spooler.closePrinter")) return error;
    const auto open = handles_.find(printer.value);
    if (open == handles_.end()) return fail(err::InvalidHandle);
    const std::optional<std::string> name = open->second.printer;
    handles_.erase(open);
    if (name) finishDeletionIfDue(*name);
    return err::Success;
}

bool SimSpooler::portsKnown(std::string_view portNames) const {
    const auto& known = sim_.world().spooler.ports;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = portNames.find(',', start);
        std::string_view port = portNames.substr(start, end == std::string_view::npos ? end : end - start);
        while (!port.empty() && port.front() == ' ') port.remove_prefix(1);
        while (!port.empty() && port.back() == ' ') port.remove_suffix(1);
        if (port.empty() ||
            std::none_of(known.begin(), known.end(), [port](const std::string& k) { return EqualsNoCase(k, port); }))
            return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

const std::vector<std::string>& SimSpooler::dataTypesOf(std::string_view printProcessor) const {
    static const std::vector<std::string> none;
    const PrintProcessorRecord* processor = findPrintProcessor(nativeEnvironment(), printProcessor);
    return processor == nullptr ? none : processorTypes_.of(processor->dll);
}

// Local printers use the drivers and print processor of the system's own
// environment, whatever the caller's. An empty data type is the processor's
// first; a processor that enumerates none can serve no printer.
std::uint32_t SimSpooler::checkPrinterSettings(const ports::PrinterInfo2& info, std::string& dataType) const {
    const std::string native = nativeEnvironment();
    if (findDriver(native, info.driverName) == nullptr) return err::UnknownPrinterDriver;
    if (findPrintProcessor(native, info.printProcessor) == nullptr) return err::UnknownPrintProcessor;
    const std::vector<std::string>& handled = dataTypesOf(info.printProcessor);
    if (info.dataType.empty() ? handled.empty() : !ContainsDataType(handled, info.dataType))
        return err::InvalidDatatype;
    dataType = info.dataType.empty() ? handled.front() : info.dataType;
    if (!portsKnown(info.portName)) return err::UnknownPort;
    return err::Success;
}

std::uint32_t SimSpooler::addPrinter(const ports::PrinterInfo2& info, ports::PrinterHandle& printer) {
    if (std::uint32_t error = begin("Spooler.addPrinter")) return error;
    if (!ValidPrinterName(info.printerName)) return fail(err::InvalidPrinterName);
    if (findPrinter(info.printerName) != nullptr) return fail(err::PrinterAlreadyExists);
    std::string dataType;
    if (std::uint32_t error = checkPrinterSettings(info, dataType)) return fail(error);
    loadDriverModules(info.driverName);

    PrinterRecord added;
    added.name = info.printerName;
    ApplySettings(added, info, dataType);
    added.devmode = DevModeRecord{};
    // A key left behind by an earlier printer of that name is replaced.
    sim_.world().registry.eraseTree(PrinterKeyPath(added.name));
    WritePrinterKey(sim_.world().registry, added);
    objects().printers.push_back(std::move(added));
    printerIndex_[info.printerName] = std::prev(objects().printers.end());
    printer = addHandle(info.printerName, ports::spool::PrinterAllAccess);

    const DriverRecord* driver = findDriver(nativeEnvironment(), info.driverName);
    // The driver's modules run in the spooler's process, as LocalSystem,
    // whatever rights the program that added the printer has.
    const bool callerElevated = std::exchange(sim_.world().elevated, true);
    if (initialize_) initialize_(info.printerName, driver->dependentFiles);
    sim_.world().elevated = callerElevated;
    return err::Success;
}

std::uint32_t SimSpooler::deletePrinter(ports::PrinterHandle printer) {
    if (std::uint32_t error = begin("Spooler.deletePrinter")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    const bool jobs = hasJobs(p->name);
    if (jobs && (p->status & ports::spool::StatusPaused)) return fail(err::AccessDenied);
    if (jobs || openElsewhere(p->name, printer.value)) {
        p->status |= ports::spool::StatusPendingDeletion;
        WritePrinterKey(sim_.world().registry, *p);
        return err::Success;
    }
    erasePrinter(std::string(p->name));
    return err::Success;
}

std::uint32_t SimSpooler::getPrinter(ports::PrinterHandle printer, ports::PrinterInfo2& info) {
    if (std::uint32_t error = begin("Spooler.getPrinter")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    const auto& jobs = sim_.world().spooler.jobs;
    auto found = jobs.find(p->name);
    info = InfoOf(*p, found == jobs.end() ? 0 : found->second.size());
    return err::Success;
}

void SimSpooler::renamePrinter(PrinterRecord& printer, const std::string& newName) {
    auto& jobs = sim_.world().spooler.jobs;
    if (auto found = jobs.find(printer.name); found != jobs.end()) {
        std::vector<std::uint32_t> moved = std::move(found->second);
        jobs.erase(found);
        jobs[newName] = std::move(moved);
    }
    for (auto& [id, open] : handles_)
        if (open.printer && EqualsNoCase(*open.printer, printer.name)) open.printer = newName;
    sim_.world().registry.eraseTree(PrinterKeyPath(printer.name));
    if (auto indexed = printerIndex_.extract(printer.name); !indexed.empty()) {
        indexed.key() = newName;
        printerIndex_.insert(std::move(indexed));
    }
    printer.name = newName;
}

std::uint32_t SimSpooler::setPrinter(ports::PrinterHandle printer, const ports::PrinterInfo2& info) {
    if (std::uint32_t error = begin("Spooler.setPrinter")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = administeredPrinterOf(printer, p)) return error;
    if (!ValidPrinterName(info.printerName)) return fail(err::InvalidPrinterName);
    if (!EqualsNoCase(info.printerName, p->name) && findPrinter(info.printerName) != nullptr)
        return fail(err::PrinterAlreadyExists);
    std::string dataType;
    if (std::uint32_t error = checkPrinterSettings(info, dataType)) return fail(error);
    if (info.printerName != p->name) renamePrinter(*p, info.printerName);
    ApplySettings(*p, info, dataType);
    WritePrinterKey(sim_.world().registry, *p);
    return err::Success;
}

// ---------------------------------------------------------------- printer data

std::uint32_t SimSpooler::getPrinterData(ports::PrinterHandle printer, std::string_view name, std::uint32_t bufferSize,
                                         ports::PrinterDataValue& value, std::uint32_t& needed) {
    if (std::uint32_t error = begin("Spooler.getPrinterData")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    auto found = std::find_if(p->data.begin(), p->data.end(),
                              [name](const auto& entry) { return EqualsNoCase(entry.first, name); });
    if (found == p->data.end()) return fail(err::FileNotFound);
    needed = static_cast<std::uint32_t>(found->second.data.size());
    value.type = found->second.type;
    if (bufferSize < needed) {
        value.data.clear();
        return fail(err::MoreData);
    }
    value.data = found->second.data;
    return err::Success;
}

std::uint32_t SimSpooler::setPrinterData(ports::PrinterHandle printer, std::string_view name,
                                         const ports::PrinterDataValue& value) {
    if (std::uint32_t error = begin("Spooler.setPrinterData")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = administeredPrinterOf(printer, p)) return error;
    ports::RegValue stored{value.type, value.data};
    auto found = std::find_if(p->data.begin(), p->data.end(),
                              [name](const auto& entry) { return EqualsNoCase(entry.first, name); });
    if (found != p->data.end()) {
        found->second = std::move(stored);
    } else {
        p->data.emplace_back(std::string(name), std::move(stored));
    }
    WritePrinterKey(sim_.world().registry, *p);
    return err::Success;
}

// ---------------------------------------------------------------- jobs

std::uint32_t SimSpooler::enumJobs(ports::PrinterHandle printer, std::uint32_t firstJob, std::uint32_t count,
                                   std::vector<std::uint32_t>& jobIds) {
    if (std::uint32_t error = begin("Spooler.enumJobs")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    jobIds.clear();
    const auto& jobs = sim_.world().spooler.jobs;
    auto found = jobs.find(p->name);
    if (found == jobs.end() || firstJob >= found->second.size()) return err::Success;
    const std::size_t last = std::min<std::size_t>(found->second.size(), std::size_t{firstJob} + count);
    jobIds.assign(found->second.begin() + firstJob, found->second.begin() + static_cast<std::ptrdiff_t>(last));
    return err::Success;
}

std::uint32_t SimSpooler::setJob(ports::PrinterHandle printer, std::uint32_t jobId, std::uint32_t command) {
    if (std::uint32_t error = begin("Spooler.setJob")) return error;
    PrinterRecord* p = nullptr;
    if (std::uint32_t error = printerOf(printer, p)) return error;
    auto& jobs = sim_.world().spooler.jobs;
    auto found = jobs.find(p->name);
    if (found == jobs.end()) return fail(err::InvalidParameter);
    auto job = std::find(found->second.begin(), found->second.end(), jobId);
    if (job == found->second.end()) return fail(err::InvalidParameter);
    if (command < kFirstJobCommand || command > kLastJobCommand) return fail(err::InvalidParameter);
    jobCommands_.push_back({p->name, jobId, command});
    // Pausing, resuming and restarting leave the spool file in place.
    if (command != ports::spool::JobControlCancel && command != ports::spool::JobControlDelete) return err::Success;
    if (jobStuckOnPort(*p, jobId)) {
        if (!deletingJobs_.contains(p->name))
            deletingJobs_[p->name] = DeletingJob{jobId, sim_.clock().elapsedMs() + kPortRetryMs};
        return err::Success;
    }
    found->second.erase(job);
    if (found->second.empty()) jobs.erase(found);
    finishDeletionIfDue(std::string(p->name));
    return err::Success;
}

}  // namespace kvt::sim
