#include "platform/sim/PrintUiCommand.h"

#include <algorithm>
#include <vector>

#include "platform/ports/DeviceSetup.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/DriverSigning.h"
#include "platform/sim/InfFile.h"
#include "platform/sim/OtherProcess.h"
#include "platform/sim/PrinterInfPackage.h"
#include "platform/sim/SystemInfFiles.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

constexpr std::string_view kSystemProcessor = "WinPrint";
constexpr std::string_view kRawDataType = "RAW";
// PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST, as the
// system's printer installation creates a local printer.
constexpr std::uint32_t kNewPrinterAttributes = 0x240;
constexpr std::uint32_t kDriverVersion = 3;

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Words split at blanks; double quotes group blanks into a word and are
// dropped, as the C run-time's argument parser does for these simple cases.
std::vector<std::string> Words(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, inQuotes = false;
    for (char c : commandLine) {
        if (c == '"') {
            inQuotes = !inQuotes;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

bool NamesProgram(std::string_view word, std::string_view program) {
    const std::string_view name = FileNameOf(word);
    return EqualsNoCase(name, program) || EqualsNoCase(name, std::string(program) + ".exe");
}

bool IsPrintUiEntry(const std::vector<std::string>& words) {
    return words.size() >= 4 && NamesProgram(words[0], "cmd") && EqualsNoCase(words[1], "/c") &&
           NamesProgram(words[2], "rundll32") &&
           (EqualsNoCase(words[3], "printui.dll,PrintUIEntry") || EqualsNoCase(words[3], "printui,PrintUIEntry"));
}

// The bitness of the system's cmd.exe that the program's name reaches: the
// one in the real System32 is the system's own, the one in SysWOW64 on
// 64-bit Windows the 32-bit one (which a 32-bit program reaches by the name
// System32 while WOW64 redirects it). cmd starts rundll32 and printui of its
// own bitness from its own folder. A cmd.exe anywhere else is some other
// program.
std::optional<Bitness> SystemCmdBitness(Simulation& sim, std::string_view application) {
    const World& world = sim.world();
    const std::string path = sim.files().realPath(application);
    if (!EqualsNoCase(winpath::NameOf(path), "cmd.exe")) return std::nullopt;
    const std::string_view folder = winpath::ParentOf(path);
    if (EqualsNoCase(folder, winpath::Join(world.windowsDirectory, "System32")))
        return world.os.is64Bit ? Bitness::x64 : Bitness::x86;
    if (world.os.is64Bit && EqualsNoCase(folder, winpath::Join(world.windowsDirectory, "SysWOW64")))
        return Bitness::x86;
    return std::nullopt;
}

// cmd looks for a program named without a path in its current directory
// before the system directories, unless the environment holds
// NoDefaultCurrentDirectoryInExePath (any value).
bool SearchesCurrentDirectory(const ports::ProcessStart& start) {
    constexpr std::string_view kVariable = "NoDefaultCurrentDirectoryInExePath=";
    return std::none_of(start.environment.begin(), start.environment.end(),
                        [&](const std::string& entry) { return StartsWithNoCase(entry, kVariable); });
}

bool CurrentDirectoryShadowsRundll32(const World& world, const ports::ProcessStart& start) {
    if (!SearchesCurrentDirectory(start)) return false;
    std::string currentDirectory;
    if (winpath::Normalise(world.currentDirectory, {}, currentDirectory) != err::Success) return false;
    for (std::string_view extension : {".COM", ".EXE", ".BAT", ".CMD"})
        if (world.files.findFile(winpath::Join(currentDirectory, std::string("RUNDLL32") + std::string(extension))))
            return true;
    return false;
}

std::string* ValueSwitch(PrintUiRequest& request, std::string_view word) {
    if (word == "/b") return &request.printerName;
    if (word == "/f") return &request.infPath;
    if (word == "/r") return &request.port;
    if (word == "/m") return &request.model;
    return nullptr;
}

// One run of PrintUIEntry, in the environment of its own bitness: a 32-bit
// printui on 64-bit Windows installs the driver for "Windows NT x86" (an
// additional driver for 32-bit clients), and a printer of that driver then
// fails, since local printers take the system's own environment's driver.
class Installation {
public:
    Installation(Simulation& sim, const PrintUiRequest& request, Bitness bitness)
        : sim_(sim),
          request_(request),
          environment_(bitness == Bitness::x64 ? "Windows x64" : "Windows NT x86"),
          architecture_(bitness == Bitness::x64 ? InfArchitecture::amd64 : InfArchitecture::x86),
          systemFolder_(sim.world().os.is64Bit && bitness == Bitness::x86 ? "SysWOW64" : "System32") {}

    std::uint32_t carryOut() {
        const bool addsPrinter = request_.action == PrintUiRequest::Action::InstallPrinter;
        if (addsPrinter && printerExists()) return err::PrinterAlreadyExists;
        if (!(request_.useInstalledDriver && driverInstalled())) {
            if (std::uint32_t error = installDriver()) return error;
            if (waitsOnPrompt_) return err::Success;
        }
        return addsPrinter ? addPrinter() : err::Success;
    }

    // Whether the run stopped at the trust prompt, which nobody answers.
    bool waitsOnPrompt() const { return waitsOnPrompt_; }

private:
    bool printerExists() {
        ports::PrinterHandle handle;
        if (sim_.spooler().openPrinter(request_.printerName, nullptr, handle) != err::Success) return false;
        sim_.spooler().closePrinter(handle);
        return true;
    }

    bool driverInstalled() {
        std::vector<ports::DriverInfo3> drivers;
        if (sim_.spooler().enumPrinterDrivers(environment_, drivers) != err::Success) return false;
        return std::any_of(drivers.begin(), drivers.end(),
                           [&](const ports::DriverInfo3& d) { return EqualsNoCase(d.name, request_.model); });
    }

    std::uint32_t installDriver() {
        World& world = sim_.world();
        // cmd and rundll32 inherit the program's current directory.
        std::string currentDirectory, infPath;
        if (std::uint32_t error = winpath::Normalise(world.currentDirectory, {}, currentDirectory)) return error;
        if (std::uint32_t error = winpath::Normalise(request_.infPath, currentDirectory, infPath)) return error;
        const FileRecord* infFile = world.files.findFile(infPath);
        if (infFile == nullptr) return err::FileNotFound;
        // An INF that breaks a printer INF's rules installs nothing; the run
        // started hidden shows no message about it either.
        std::string reason;
        const SystemInfLookup systemInfs = [&world, this](std::string_view name) {
            return FindSystemInf(world, name, architecture_);
        };
        const std::optional<InfPrinterDriver> driver =
            ReadPrinterDriver(InfFile::Parse(infFile->bytes), winpath::ParentOf(infPath), request_.model,
                              architecture_, systemInfs, reason);
        if (!driver) return err::UnknownPrinterDriver;
        for (const InfSourceFile& file : driver->files)
            if (world.files.findFile(file.sourcePath) == nullptr) return err::FileNotFound;

        // The trust prompt of a package that is not signed by a trusted
        // publisher: in a hidden process nobody sees it, and it waits.
        if (DecideDriverSigning(world, infPath, InfFile::Parse(infFile->bytes)).verdict == SigningVerdict::Prompt) {
            waitsOnPrompt_ = true;
            return err::Success;
        }

        std::string storedInf;
        const std::uint32_t copied = sim_.deviceSetup().copyOEMInf(infPath, ports::devsetup::SpostPath,
                                                                   ports::devsetup::SpCopyNoOverwrite, storedInf);
        if (copied != err::Success && copied != err::FileExists) return copied;

        if (std::uint32_t error = placeFiles(*driver)) return error;
        if (std::uint32_t error = installLanguageMonitor(*driver)) return error;
        if (std::uint32_t error = installPrintProcessor(*driver)) return error;
        return registerDriver(*driver);
    }

    // Each file into the directory its destination names: the version folder
    // of the driver directory, the print-processor directory or the native
    // system directory of the environment.
    std::uint32_t placeFiles(const InfPrinterDriver& driver) {
        std::string driverDirectory, processorDirectory;
        if (std::uint32_t error = sim_.spooler().getPrinterDriverDirectory(environment_, driverDirectory))
            return error;
        if (std::uint32_t error = sim_.spooler().getPrintProcessorDirectory(environment_, processorDirectory))
            return error;
        const std::string versionFolder = winpath::Join(driverDirectory, std::to_string(kDriverVersion));
        for (const InfSourceFile& file : driver.files)
            place(file, file.destination == InfDestination::PrinterDriver    ? versionFolder
                        : file.destination == InfDestination::PrintProcessor ? processorDirectory
                                                                             : systemDirectory());
        return err::Success;
    }

    void place(const InfSourceFile& file, std::string_view directory) {
        FileStore& files = sim_.world().files;
        std::string bytes = files.findFile(file.sourcePath)->bytes;
        files.putFile(winpath::Join(directory, file.name), std::move(bytes));
    }

    std::string systemDirectory() const {
        std::string path;
        winpath::Normalise(winpath::Join(sim_.world().windowsDirectory, systemFolder_), {}, path);
        return path;
    }

    // The monitor and the processor DLLs lie where the INF put them (the
    // system and the print-processor directory, as ReadPrinterDriver checked).
    std::uint32_t installLanguageMonitor(const InfPrinterDriver& driver) {
        if (!driver.languageMonitor) return err::Success;
        const InfNamedDll& monitor = *driver.languageMonitor;
        const std::uint32_t error = sim_.spooler().addMonitor({monitor.name, environment_, monitor.dll});
        return error == err::PrintMonitorAlreadyInstalled ? err::Success : error;
    }

    std::uint32_t installPrintProcessor(const InfPrinterDriver& driver) {
        if (!driver.printProcessor) return err::Success;
        const InfNamedDll& processor = *driver.printProcessor;
        const std::uint32_t error = sim_.spooler().addPrintProcessor(environment_, processor.dll, processor.name);
        return error == err::PrintProcessorAlreadyInstalled ? err::Success : error;
    }

    std::uint32_t registerDriver(const InfPrinterDriver& driver) {
        ports::DriverInfo3 info;
        info.version = kDriverVersion;
        info.name = driver.model;
        info.environment = environment_;
        info.driverPath = driver.driverFile;
        info.dataFile = driver.dataFile;
        info.configFile = driver.configFile;
        info.helpFile = driver.helpFile;
        info.dependentFiles = driver.dependentFiles;
        info.monitorName = driver.languageMonitor ? driver.languageMonitor->name : std::string();
        info.defaultDataType = driver.defaultDataType;
        return sim_.spooler().addPrinterDriver(info);
    }

    std::uint32_t addPrinter() {
        ports::PrinterInfo2 info;
        info.printerName = request_.printerName;
        info.portName = request_.port;
        info.driverName = request_.model;
        info.printProcessor = std::string(kSystemProcessor);
        info.dataType = std::string(kRawDataType);
        info.attributes = kNewPrinterAttributes;
        info.priority = 1;
        ports::PrinterHandle handle;
        if (std::uint32_t error = sim_.spooler().addPrinter(info, handle)) return error;
        sim_.spooler().closePrinter(handle);
        return err::Success;
    }

    Simulation& sim_;
    const PrintUiRequest& request_;
    bool waitsOnPrompt_ = false;
    const std::string environment_;
    const InfArchitecture architecture_;
    const std::string_view systemFolder_;  // the system directory that printui's file copy sees
};

}  // namespace

PrintUiOptions ReadPrintUiOptions(const World& world) {
    PrintUiOptions options;
    const nlohmann::json& extra = world.extra;
    if (!extra.is_object()) return options;
    if (auto it = extra.find("printuiRunMs");
        it != extra.end() && it->is_number_integer() && it->get<std::int64_t>() >= 0)
        options.runMs = it->get<std::uint64_t>();
    if (auto it = extra.find("printuiHangs"); it != extra.end() && it->is_boolean()) options.hangs = it->get<bool>();
    return options;
}

std::optional<PrintUiRequest> ParsePrintUiCommandLine(std::string_view commandLine, std::uint32_t& error) {
    error = err::Success;
    const std::vector<std::string> words = Words(commandLine);
    if (!IsPrintUiEntry(words)) return std::nullopt;
    PrintUiRequest request;
    bool actionGiven = false;
    for (std::size_t i = 4; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "/if" || word == "/ia") {
            if (actionGiven) error = err::InvalidParameter;
            actionGiven = true;
            request.action =
                word == "/if" ? PrintUiRequest::Action::InstallPrinter : PrintUiRequest::Action::InstallDriver;
        } else if (std::string* value = ValueSwitch(request, word)) {
            if (i + 1 >= words.size()) {
                error = err::InvalidParameter;
                break;
            }
            *value = words[++i];
        } else if (word == "/u") {
            request.useInstalledDriver = true;
        } else if (word != "/z" && word != "/q") {
            error = err::InvalidParameter;
        }
    }
    const bool complete = !request.model.empty() && !request.infPath.empty() &&
                          (request.action == PrintUiRequest::Action::InstallDriver ||
                           (!request.printerName.empty() && !request.port.empty()));
    if (!actionGiven || !complete) error = err::InvalidParameter;
    if (error != err::Success) return std::nullopt;
    return request;
}

std::optional<ProcessOutcome> RunPrintUiCommand(Simulation& sim, const ports::ProcessStart& start) {
    const std::optional<Bitness> bitness = SystemCmdBitness(sim, start.application);
    if (!bitness) return std::nullopt;
    std::uint32_t error = err::Success;
    const std::optional<PrintUiRequest> request = ParsePrintUiCommandLine(start.commandLine, error);
    if (!request && error == err::Success) return std::nullopt;
    // A program of that name in the current directory runs in RUNDLL32's
    // place: it installs nothing and ends at once.
    if (CurrentDirectoryShadowsRundll32(sim.world(), start)) return ProcessOutcome{err::Success, 0};
    const PrintUiOptions options = ReadPrintUiOptions(sim.world());
    if (options.hangs) return ProcessOutcome{err::Success, kPrintUiHangMs};
    if (!request) return ProcessOutcome{error, options.runMs};
    OtherProcess printui(sim);
    Installation installation(sim, *request, *bitness);
    const std::uint32_t exitCode = installation.carryOut();
    if (installation.waitsOnPrompt()) return ProcessOutcome{err::Success, kPrintUiHangMs};
    return ProcessOutcome{exitCode, options.runMs};
}

}  // namespace kvt::sim
