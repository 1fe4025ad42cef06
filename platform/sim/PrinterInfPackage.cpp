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

// A section together with the INF it was found in.
struct SectionIn {
    const InfSource* source;
    const InfSection* section;
};

std::vector<std::string> LineValues(const InfSection& section, std::string_view key) {
    std::vector<std::string> values;
    for (const InfLine& line : section.lines)
        if (line.hasKey && EqualsNoCase(line.key, key))
            for (const std::string& value : line.values)
                if (!value.empty()) values.push_back(value);
    return values;
}

// The INFs that the install section's Include= names, as the system has them.
std::optional<std::vector<InfSource>> IncludedInfs(const InfSection& install, const SystemInfLookup& systemInfs,
                                                   std::string& reason) {
    std::vector<InfSource> included;
    for (const std::string& name : LineValues(install, "Include")) {
        std::optional<InfSource> found = systemInfs ? systemInfs(name) : std::nullopt;
        if (!found) {
            reason = "Include names an INF the system lacks: " + name;
            return std::nullopt;
        }
        included.push_back(std::move(*found));
    }
    return included;
}

// The install section and the included sections its Needs= pulls in, in
// that order.
std::optional<std::vector<SectionIn>> InstallSections(const InfSource& package, const InfSection& install,
                                                      const std::vector<InfSource>& included, std::string& reason) {
    std::vector<SectionIn> sections{{&package, &install}};
    for (const std::string& name : LineValues(install, "Needs")) {
        const auto owner = std::find_if(included.begin(), included.end(),
                                        [&](const InfSource& s) { return s.inf.section(name) != nullptr; });
        if (owner == included.end()) {
            reason = "Needs names a section no included INF has: " + name;
            return std::nullopt;
        }
        sections.push_back({&*owner, owner->inf.section(name)});
    }
    return sections;
}

// Keys of the install sections, then of the sections their DataSection
// names (in the section's own INF first, then in the included ones).
class DriverKeys {
public:
    DriverKeys(const std::vector<SectionIn>& install, const std::vector<InfSource>& included) {
        sections_ = install;
        for (const SectionIn& in : install)
            for (const std::string& name : LineValues(*in.section, "DataSection"))
                if (const std::optional<SectionIn> data = find(in, name, included)) sections_.push_back(*data);
    }
    const InfLine* line(std::string_view key) const {
        for (const SectionIn& in : sections_)
            if (const InfLine* found = in.source->inf.findLine(in.section->name, key)) return found;
        return nullptr;
    }
    std::string value(std::string_view key) const {
        const InfLine* found = line(key);
        return found == nullptr || found->values.empty() ? std::string() : found->values.front();
    }

private:
    static std::optional<SectionIn> find(const SectionIn& from, const std::string& name,
                                         const std::vector<InfSource>& included) {
        if (const InfSection* own = from.source->inf.section(name)) return SectionIn{from.source, own};
        for (const InfSource& source : included)
            if (const InfSection* section = source.inf.section(name)) return SectionIn{&source, section};
        return std::nullopt;
    }

    std::vector<SectionIn> sections_;
};

// "name,dll" as one field. Split over two fields (an unquoted comma) it is
// not the directive's form, and the system does not read it as one.
bool ReadNamedDll(const InfLine* line, std::string_view directive, std::optional<InfNamedDll>& named,
                  std::string& reason) {
    if (line == nullptr) return true;
    const std::size_t comma = line->values.size() == 1 ? line->values[0].find(',') : std::string::npos;
    if (comma == std::string::npos || comma == 0 || comma + 1 == line->values[0].size()) {
        reason = std::string(directive) + " is not one string \"name,dll\"";
        return false;
    }
    named = InfNamedDll{line->values[0].substr(0, comma), line->values[0].substr(comma + 1)};
    return true;
}

// DIRID_DEFAULT in setupapi.h: where files go that no DestinationDirs entry
// places.
constexpr std::string_view kDefaultDirectoryId = "11";

std::optional<InfDestination> DestinationOf(const InfFile& inf, std::string_view fileList, std::string& reason) {
    const InfLine* line = fileList.empty() ? nullptr : inf.findLine("DestinationDirs", fileList);
    if (line == nullptr) line = inf.findLine("DestinationDirs", "DefaultDestDir");
    const std::string id =
        line == nullptr || line->values.empty() ? std::string(kDefaultDirectoryId) : line->values.front();
    const bool subdirectory = line != nullptr && line->values.size() > 1 && !line->values[1].empty();
    if (!subdirectory) {
        if (id == "66000") return InfDestination::PrinterDriver;
        if (id == "66001") return InfDestination::PrintProcessor;
        if (id == "66002" || id == kDefaultDirectoryId) return InfDestination::System;
    }
    reason = "destination " + id + (subdirectory ? " with a subdirectory" : "") + " is not a printer driver's";
    return std::nullopt;
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

// Where the file lies: the INF's source folder, below it the disk's path
// (the fourth field of [SourceDisksNames]) and the file's subdirectory.
std::string SourcePathOf(const InfSource& source, const std::string& file, InfArchitecture architecture) {
    const InfLine* fileLine = SourceLine(source.inf, "SourceDisksFiles", architecture, file);
    std::string relative;
    if (fileLine != nullptr) {
        const InfLine* disk = SourceLine(source.inf, "SourceDisksNames", architecture, Field(fileLine, 0));
        for (const std::string& part : {Field(disk, 3), Field(fileLine, 1)}) {
            const std::size_t begin = part.find_first_not_of("\\/");
            if (begin == std::string::npos) continue;
            relative += part.substr(begin);
            relative += '\\';
        }
    }
    relative += file;
    std::string path;
    if (winpath::Normalise(relative, source.directory, path) != 0) return winpath::Join(source.directory, file);
    return path;
}

class CopyList {
public:
    explicit CopyList(InfArchitecture architecture) : architecture_(architecture) {}

    // The files the CopyFiles lines of one install section copy: "@file"
    // directly, anything else as a file-list section of the same INF (first
    // field of a line the installed name, second the source name if given).
    bool addCopiesOf(const SectionIn& in, std::string& reason) {
        const InfFile& inf = in.source->inf;
        for (const std::string& entry : LineValues(*in.section, "CopyFiles")) {
            const bool single = entry.starts_with('@');
            const InfSection* list = single ? nullptr : inf.section(entry);
            if (!single && list == nullptr) {
                reason = "CopyFiles names a missing section: " + entry;
                return false;
            }
            const std::optional<InfDestination> destination = DestinationOf(inf, single ? "" : entry, reason);
            if (!destination) return false;
            if (single) {
                add(*in.source, entry.substr(1), {}, *destination);
                continue;
            }
            for (const InfLine& line : list->lines)
                add(*in.source, line.hasKey ? line.key : line.values.front(), line.hasKey ? "" : Field(&line, 1),
                    *destination);
        }
        return true;
    }

    bool copies(std::string_view name, InfDestination destination) const {
        return std::any_of(files_.begin(), files_.end(), [&](const InfSourceFile& f) {
            return f.destination == destination && EqualsNoCase(f.name, name);
        });
    }

    std::vector<InfSourceFile> take() { return std::move(files_); }

private:
    void add(const InfSource& from, const std::string& name, const std::string& sourceName,
             InfDestination destination) {
        if (name.empty() || copies(name, destination)) return;
        files_.push_back({name, SourcePathOf(from, sourceName.empty() ? name : sourceName, architecture_),
                          destination});
    }

    InfArchitecture architecture_;
    std::vector<InfSourceFile> files_;
};

bool Copied(const CopyList& copies, const std::string& name, InfDestination destination, std::string_view where,
            std::string& reason) {
    if (name.empty() || copies.copies(name, destination)) return true;
    reason = name + " is not copied to " + std::string(where);
    return false;
}

bool ReadDriverKeys(const DriverKeys& keys, std::string_view installName, InfPrinterDriver& driver,
                    std::string& reason) {
    driver.driverFile = keys.value("DriverFile");
    if (driver.driverFile.empty()) {
        reason = "no DriverFile for " + std::string(installName);
        return false;
    }
    driver.dataFile = keys.value("DataFile");
    if (driver.dataFile.empty()) driver.dataFile = std::string(installName);  // a printer INF's rule
    driver.configFile = keys.value("ConfigFile");
    driver.helpFile = keys.value("HelpFile");
    driver.defaultDataType = keys.value("DefaultDataType");
    return ReadNamedDll(keys.line("LanguageMonitor"), "LanguageMonitor", driver.languageMonitor, reason) &&
           ReadNamedDll(keys.line("PrintProcessor"), "PrintProcessor", driver.printProcessor, reason);
}

// Each file where its role needs it: the four driver files in the printer
// driver directory, the monitor DLL in the system directory, the processor
// DLL in the print-processor directory.
bool PlacedByRole(const CopyList& copies, const InfPrinterDriver& driver, std::string& reason) {
    for (const std::string& name : {driver.driverFile, driver.dataFile, driver.configFile, driver.helpFile})
        if (!Copied(copies, name, InfDestination::PrinterDriver, "the printer driver directory (66000)", reason))
            return false;
    if (driver.languageMonitor &&
        !Copied(copies, driver.languageMonitor->dll, InfDestination::System, "the system directory (66002)", reason))
        return false;
    return !driver.printProcessor || Copied(copies, driver.printProcessor->dll, InfDestination::PrintProcessor,
                                            "the print-processor directory (66001)", reason);
}

std::optional<InfPrinterDriver> ReadDriver(const InfSource& package, const InfSection& install,
                                           std::string_view installName, std::string_view model,
                                           InfArchitecture architecture, const SystemInfLookup& systemInfs,
                                           std::string& reason) {
    const std::optional<std::vector<InfSource>> included = IncludedInfs(install, systemInfs, reason);
    if (!included) return std::nullopt;
    const std::optional<std::vector<SectionIn>> sections = InstallSections(package, install, *included, reason);
    if (!sections) return std::nullopt;

    InfPrinterDriver driver;
    driver.model = std::string(model);
    if (!ReadDriverKeys(DriverKeys(*sections, *included), installName, driver, reason)) return std::nullopt;
    CopyList copies(architecture);
    for (const SectionIn& in : *sections)
        if (!copies.addCopiesOf(in, reason)) return std::nullopt;
    if (!PlacedByRole(copies, driver, reason)) return std::nullopt;

    driver.files = copies.take();
    const std::string mainFiles[] = {driver.driverFile, driver.dataFile, driver.configFile, driver.helpFile};
    for (const InfSourceFile& file : driver.files)
        if (file.destination == InfDestination::PrinterDriver &&
            std::none_of(std::begin(mainFiles), std::end(mainFiles),
                         [&](const std::string& name) { return EqualsNoCase(name, file.name); }))
            driver.dependentFiles.push_back(file.name);
    return driver;
}

}  // namespace

std::optional<InfPrinterDriver> ReadPrinterDriver(const InfFile& inf, std::string_view infDirectory,
                                                  std::string_view model, InfArchitecture architecture,
                                                  const SystemInfLookup& systemInfs, std::string& reason) {
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
    const InfSource package{inf, std::string(infDirectory)};
    return ReadDriver(package, *install, *installName, model, architecture, systemInfs, reason);
}

}  // namespace kvt::sim
