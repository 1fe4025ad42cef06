#pragma once
// The product's printer INF, package/kvt580d.inf, as the tests place it in
// simulated systems: models sections for x86 and x64, the files from the
// package folders .\Driver32 and .\Driver64, the language monitor and the
// print processor, the universal driver from the system's ntprint.inf. Read from the package itself, so the tests always see the
// file that ships.
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/sim/World.h"
#include "tools/kvtsim/PackagePublisher.h"

namespace kvt::test {

inline std::string PackageFileText(std::string_view name) {
    const std::string path = std::string(KVT_PACKAGE_DIR) + "/" + std::string(name);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the package file " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline const std::string& ProductInfText() {
    static const std::string text = PackageFileText("kvt580d.inf");
    return text;
}

// The files of the package folders: those the INF names, and the universal
// driver's files that the pre-Vista sequence stages (the INF takes these
// from the system).
inline const char* const kProductInfFiles[] = {"KVT580D.GPD", "KVT580D.dll",  "UI580D.dll", "UNI580D.dll",
                                               "UI580D.INI",  "MON580D.dll",  "PRO580D.dll", "UNIDRV.DLL",
                                               "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",  "STDNAMES.GPD"};

// A file of the package as the native build assembled and signed it.
inline std::string BuiltPackageFile(std::string_view relative) {
    const std::string path = std::string(KVT_DIST_DIR) + "/" + std::string(relative);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the built package file " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The product's print processor DLL of the native package, where the
// spooler of a 64-bit image loads it when the image registers the processor.
inline void PlaceProductProcessorDll(sim::World& world) {
    world.files.putFile(world.windowsDirectory + "\\System32\\spool\\prtprocs\\x64\\PRO580D.dll",
                        BuiltPackageFile("Driver64/PRO580D.dll"));
}

// The INF as "kvt580d.inf" in `directory`, its signed catalog beside it and
// its files in the package folders Driver32 and Driver64 below it, as the
// native build made them; the computer trusts the package's publisher, as
// a company's computers do once the maker's certificate is deployed.
inline void PlaceProductPackage(sim::World& world, std::string_view directory = "C:\\Setup") {
    const std::string root(directory);
    world.files.putFile(root + "\\kvt580d.inf", ProductInfText());
    world.files.putFile(root + "\\kvt580d.cat", BuiltPackageFile("kvt580d.cat"));
    for (const char* folder : {"Driver32", "Driver64"})
        for (const char* file : kProductInfFiles)
            world.files.putFile(root + "\\" + folder + "\\" + file,
                                BuiltPackageFile(std::string(folder) + "/" + file));
    world.files.putFile(root + "\\Driver64\\KVT580duo_DeviceRemoval.exe", "device removal program");
    kvtsim::TrustPackagePublisher(world, KVT_DIST_DIR);
}

}  // namespace kvt::test
