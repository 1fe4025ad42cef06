#include "platform/sim/PrinterInfPackage.h"

#include <algorithm>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

std::string_view DecorationOf(InfArchitecture architecture) {
    return architecture == InfArchitecture::amd64 ? "NTamd64" : "NTx86";
}

std::string_view SourceDecorationOf(InfArchitecture architecture) {
    return architecture == InfArchitecture::amd64 ? "amd64" : "x86";
}

// "NTamd64" and "NTamd64.6.0" (a version-limited decoration) alike.
bool DecorationMatches(std::string_view decoration, std::string_view wanted) {
    return StartsWithNoCase(decoration, wanted) &&
           (decoration.size() == wanted.size() || decoration[wanted.size()] == '.');
}

// The models section of one [Manufacturer] line for the architecture. An x64
// system only takes a section its decoration names; an x86 system falls back
// to the undecorated one.
std::optional<std::string> ModelsSectionOf(const InfLine& manufacturer, InfArchitecture architecture) {
    if (manufacturer.values.empty() || manufacturer.values.front().empty()) return std::nullopt;
    const std::string& base = manufacturer.values.front();
    const std::string_view wanted = DecorationOf(architecture);
    for (std::size_t i = 1; i < manufacturer.values.size(); ++i)
        if (DecorationMatches(manufacturer.values[i], wanted)) return base + "." + manufacturer.values[i];
    if (architecture == InfArchitecture::amd64) return std::nullopt;
    return base;
}

std::optional<std::string> InstallSectionOf(const InfFile& inf, std::string_view model,
                                            InfArchitecture architecture) {
    const InfSection* manufacturers = inf.section("Manufacturer");
    if (manufacturers == nullptr) return std::nullopt;
    for (const InfLine& manufacturer : manufacturers->lines) {
        const std::optional<std::string> models = ModelsSectionOf(manufacturer, architecture);
        if (!models) continue;
        if (const InfLine* line = inf.findLine(*models, model); line != nullptr && !line->values.empty())
            return line->values.front();
    }
    return std::nullopt;
}

// An install section may be decorated for the architecture or for NT.
const InfSection* DecoratedSection(const InfFile& inf, const std::string& name, InfArchitecture architecture) {
    for (const std::string& candidate :
         {name + "." + std::string(DecorationOf(architecture)), name + ".NT", name})
        if (const InfSection* section = inf.section(candidate)) return section;
    return nullptr;
}

// Keys of the install section, then of the sections its DataSection names.
class DriverKeys {
public:
    DriverKeys(const InfFile& inf, const InfSection& install) : inf_(inf) {
        sections_.push_back(install.name);
        if (const InfLine* data = inf.findLine(install.name, "DataSection"))
            for (const std::string& name : data->values)
                if (!name.empty()) sections_.push_back(name);
    }
    const InfLine* line(std::string_view key) const {
        for (const std::string& section : sections_)
            if (const InfLine* found = inf_.findLine(section, key)) return found;
        return nullptr;
    }
    std::string value(std::string_view key) const {
        const InfLine* found = line(key);
        return found == nullptr || found->values.empty() ? std::string() : found->values.front();
    }

private:
    const InfFile& inf_;
    std::vector<std::string> sections_;
};

// "name,dll", also when the whole pair is one quoted field.
std::optional<InfNamedDll> NamedDll(const InfLine* line) {
    if (line == nullptr || line->values.empty()) return std::nullopt;
    std::vector<std::string> parts = line->values;
    if (parts.size() == 1) {
        const std::size_t comma = parts[0].find(',');
        if (comma == std::string::npos) return std::nullopt;
        parts = {parts[0].substr(0, comma), parts[0].substr(comma + 1)};
    }
    if (parts[0].empty() || parts[1].empty()) return std::nullopt;
    return InfNamedDll{parts[0], parts[1]};
}

// Names of the files that the install section's CopyFiles lines name: "@file"
// directly, anything else as a section listing files (first field of a line).
std::vector<std::string> CopiedFiles(const InfFile& inf, const InfSection& install) {
    std::vector<std::string> files;
    for (const InfLine& line : install.lines) {
        if (!line.hasKey || !EqualsNoCase(line.key, "CopyFiles")) continue;
        for (const std::string& entry : line.values) {
            if (entry.starts_with('@')) {
                files.push_back(entry.substr(1));
            } else if (const InfSection* list = inf.section(entry)) {
                for (const InfLine& fileLine : list->lines) {
                    const std::string& name = fileLine.hasKey ? fileLine.key : fileLine.values.front();
                    if (!name.empty()) files.push_back(name);
                }
            }
        }
    }
    return files;
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
    if (name.empty()) return;
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, name); }))
        names.push_back(name);
}

const InfLine* SourceLine(const InfFile& inf, std::string_view section, InfArchitecture architecture,
                          std::string_view key) {
    const std::string decorated = std::string(section) + "." + std::string(SourceDecorationOf(architecture));
    if (const InfLine* line = inf.findLine(decorated, key)) return line;
    return inf.findLine(section, key);
}

std::string Field(const InfLine* line, std::size_t index) {
    return line != nullptr && index < line->values.size() ? line->values[index] : std::string();
}

// Where the file lies: the INF's folder, below it the disk's path (the fourth
// field of [SourceDisksNames]) and the file's subdirectory.
std::string SourcePathOf(const InfFile& inf, std::string_view infDirectory, const std::string& file,
                         InfArchitecture architecture) {
    const InfLine* fileLine = SourceLine(inf, "SourceDisksFiles", architecture, file);
    std::string relative;
    if (fileLine != nullptr) {
        const InfLine* disk = SourceLine(inf, "SourceDisksNames", architecture, Field(fileLine, 0));
        for (const std::string& part : {Field(disk, 3), Field(fileLine, 1)}) {
            const std::size_t begin = part.find_first_not_of("\\/");
            if (begin == std::string::npos) continue;
            relative += part.substr(begin);
            relative += '\\';
        }
    }
    relative += file;
    std::string path;
    if (winpath::Normalise(relative, infDirectory, path) != 0) return winpath::Join(infDirectory, file);
    return path;
}

}  // namespace

std::optional<InfPrinterDriver> ReadPrinterDriver(const InfFile& inf, std::string_view infDirectory,
                                                  std::string_view model, InfArchitecture architecture,
                                                  std::string& reason) {
    const std::optional<std::string> installName = InstallSectionOf(inf, model, architecture);
    if (!installName) {
        reason = "no models line for the model on this architecture";
        return std::nullopt;
    }
    const InfSection* install = DecoratedSection(inf, *installName, architecture);
    if (install == nullptr) {
        reason = "install section missing: " + *installName;
        return std::nullopt;
    }
    const DriverKeys keys(inf, *install);

    InfPrinterDriver driver;
    driver.model = std::string(model);
    driver.driverFile = keys.value("DriverFile");
    if (driver.driverFile.empty()) {
        reason = "no DriverFile in " + install->name;
        return std::nullopt;
    }
    driver.dataFile = keys.value("DataFile");
    if (driver.dataFile.empty()) driver.dataFile = *installName;  // a printer INF's rule
    driver.configFile = keys.value("ConfigFile");
    driver.helpFile = keys.value("HelpFile");
    driver.defaultDataType = keys.value("DefaultDataType");
    driver.languageMonitor = NamedDll(keys.line("LanguageMonitor"));
    driver.printProcessor = NamedDll(keys.line("PrintProcessor"));

    std::vector<std::string> names;
    for (const std::string& name : {driver.driverFile, driver.dataFile, driver.configFile, driver.helpFile})
        AddOnce(names, name);
    for (const std::string& name : CopiedFiles(inf, *install)) AddOnce(names, name);
    if (driver.languageMonitor) AddOnce(names, driver.languageMonitor->dll);
    if (driver.printProcessor) AddOnce(names, driver.printProcessor->dll);

    std::vector<std::string> notDependent = {driver.driverFile, driver.dataFile, driver.configFile,
                                             driver.helpFile};
    if (driver.languageMonitor) notDependent.push_back(driver.languageMonitor->dll);
    if (driver.printProcessor) notDependent.push_back(driver.printProcessor->dll);
    for (const std::string& name : names) {
        driver.files.push_back({name, SourcePathOf(inf, infDirectory, name, architecture)});
        if (std::none_of(notDependent.begin(), notDependent.end(),
                         [&](const std::string& n) { return EqualsNoCase(n, name); }))
            driver.dependentFiles.push_back(name);
    }
    return driver;
}

}  // namespace kvt::sim
