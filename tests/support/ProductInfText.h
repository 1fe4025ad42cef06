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

// The INF as "kvt580d.inf" in `directory` and stand-ins of its files in the
// package folders Driver32 and Driver64 below it.
inline void PlaceProductPackage(sim::World& world, std::string_view directory = "C:\\Setup") {
    const std::string root(directory);
    world.files.putFile(root + "\\kvt580d.inf", ProductInfText());
    for (const char* folder : {"Driver32", "Driver64"})
        for (const char* file : kProductInfFiles)
            world.files.putFile(root + "\\" + folder + "\\" + file, std::string(folder) + " stand-in " + file);
    world.files.putFile(root + "\\Driver64\\KVT580duo_DeviceRemoval.exe", "device removal program");
}

}  // namespace kvt::test
