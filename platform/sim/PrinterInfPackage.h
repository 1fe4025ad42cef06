#pragma once
// The printer driver that a printer INF file names for one model and one
// processor architecture, as the system's printer installation reads it:
// [Manufacturer] leads to the models section of the architecture's
// decoration ("NTamd64" on x64; "NTx86" or none on x86), the model's line to
// its install section, and that section (with its DataSection) to the driver
// files, the language monitor and the print processor.
//
// The install section's Include= names INF files of the system's own (such as
// ntprint.inf) and Needs= sections of them, which count as part of the
// install section: their CopyFiles copy the system's files, their
// DataSection gives driver keys the INF leaves out. Each INF resolves its
// own CopyFiles sections, [DestinationDirs] and [SourceDisksNames] /
// [SourceDisksFiles] (".amd64" / ".x86" decorations first); files come from
// the INF's source folder, below it the path those sections give.
//
// The rules of a printer INF, which the reading enforces (an INF that breaks
// one yields no driver):
//   - a file is installed only when a CopyFiles line copies it; it lands in
//     the directory that [DestinationDirs] gives its file-list section, or
//     DefaultDestDir (for "@file" entries and unlisted sections), or, without
//     that, DIRID_DEFAULT, the system directory (11);
//   - the destinations a printer installation knows are 66000 (the printer
//     driver directory), 66001 (the print-processor directory) and 66002 or
//     11 (the system directory); another directory id, or a subdirectory,
//     is refused (the simulation knows no other place for a driver's files);
//   - the driver, data, configuration and help files are copied to 66000;
//   - "LanguageMonitor" and "PrintProcessor" are one string "name,dll"
//     (commonly a %strkey% whose string holds the comma); the monitor DLL is
//     copied to the system directory, the processor DLL to the
//     print-processor directory, where the spooler loads them from;
//   - every INF that Include= names is one the system has, and every section
//     that Needs= names is in one of them.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/InfFile.h"

namespace kvt::sim {

enum class InfArchitecture { x86, amd64 };

// Where a copied file lands.
enum class InfDestination {
    PrinterDriver,   // 66000: the version folder of the environment's driver directory
    PrintProcessor,  // 66001: the environment's print-processor directory
    System,          // 66002 and 11: the system directory of the environment's own bitness
};

struct InfSourceFile {
    std::string name;        // the installed file's name
    std::string sourcePath;  // full path of the file to copy
    InfDestination destination = InfDestination::PrinterDriver;
};

// An INF file with the folder its files come from.
struct InfSource {
    InfFile inf;
    std::string directory;  // normalised
};

// The system's own INF of a file name that Include= gives; nothing when the
// system has none.
using SystemInfLookup = std::function<std::optional<InfSource>(std::string_view fileName)>;

struct InfNamedDll {
    std::string name;  // the monitor's or processor's registered name
    std::string dll;
};

struct InfPrinterDriver {
    std::string model;
    std::string driverFile, dataFile, configFile, helpFile, defaultDataType;
    // Files copied to the printer driver directory other than the four above.
    std::vector<std::string> dependentFiles;
    std::optional<InfNamedDll> languageMonitor;
    std::optional<InfNamedDll> printProcessor;
    // Every file to install, each with its destination.
    std::vector<InfSourceFile> files;
};

// `infDirectory` is the normalised folder the INF was read from. Nothing, with
// `reason` set, when the INF has no driver for the model on the architecture
// or breaks a rule above.
std::optional<InfPrinterDriver> ReadPrinterDriver(const InfFile& inf, std::string_view infDirectory,
                                                  std::string_view model, InfArchitecture architecture,
                                                  const SystemInfLookup& systemInfs, std::string& reason);

}  // namespace kvt::sim
