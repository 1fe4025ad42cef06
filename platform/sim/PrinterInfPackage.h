#pragma once
// The printer driver that a printer INF file names for one model and one
// processor architecture, as the system's printer installation reads it:
// [Manufacturer] leads to the models section of the architecture's
// decoration ("NTamd64" on x64; "NTx86" or none on x86), the model's line to
// its install section, and that section (with its DataSection) to the driver
// files, the language monitor ("LanguageMonitor=name,dll") and the print
// processor ("PrintProcessor=name,dll"). Files come from the INF's folder, or
// from the path that [SourceDisksNames] and [SourceDisksFiles] give them
// (".amd64" / ".x86" decorations first). Include= and Needs= (sections of the
// system's own INF files) are not followed: the INF must name every file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/InfFile.h"

namespace kvt::sim {

enum class InfArchitecture { x86, amd64 };

struct InfSourceFile {
    std::string name;        // the installed file's name
    std::string sourcePath;  // full path of the file to copy
};

struct InfNamedDll {
    std::string name;  // the monitor's or processor's registered name
    std::string dll;
};

struct InfPrinterDriver {
    std::string model;
    std::string driverFile, dataFile, configFile, helpFile, defaultDataType;
    // Files of the driver folder other than the four above.
    std::vector<std::string> dependentFiles;
    std::optional<InfNamedDll> languageMonitor;
    std::optional<InfNamedDll> printProcessor;
    // Every file to install, driver-folder files and the two DLLs alike.
    std::vector<InfSourceFile> files;
};

// `infDirectory` is the normalised folder the INF was read from. Nothing, with
// `reason` set, when the INF has no driver for the model on the architecture.
std::optional<InfPrinterDriver> ReadPrinterDriver(const InfFile& inf, std::string_view infDirectory,
                                                  std::string_view model, InfArchitecture architecture,
                                                  std::string& reason);

}  // namespace kvt::sim
