#pragma once
// A printer INF of the product as a driver package carries it: models
// sections for x86 and x64, the files from the package folders .\Driver32 and
// .\Driver64, the language monitor and the print processor.
#include <string>
#include <string_view>

#include "platform/sim/World.h"

namespace kvt::test {

inline std::string ProductInfText() {
    return "; kvt580d.inf\r\n"
           "[Version]\r\n"
           "Signature=\"$Windows NT$\"\r\n"
           "Provider=%NORVEX%\r\n"
           "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"
           "Class=Printer\r\n"
           "DriverVer=12/01/2026,3.4.3.0\r\n"
           "\r\n"
           "[Manufacturer]\r\n"
           "%NORVEX%=NORVEX,NTamd64\r\n"
           "\r\n"
           "[NORVEX]\r\n"
           "\"NORVEX KVT-580duo\" = KVT580D.GPD, USBPRINT\\NORVEXKVT-580duo4C3A\r\n"
           "\r\n"
           "[NORVEX.NTamd64]\r\n"
           "\"NORVEX KVT-580duo\" = KVT580D.GPD, USBPRINT\\NORVEXKVT-580duo4C3A\r\n"
           "\r\n"
           "[KVT580D.GPD]\r\n"
           "CopyFiles=KVT580D_FILES,UNIDRV_FILES\r\n"
           "DataSection=KVT580D_DATA\r\n"
           "LanguageMonitor=%MONITOR%,MON580D.dll\r\n"
           "PrintProcessor=\"%PROCESSOR%,PRO580D.dll\"\r\n"
           "\r\n"
           "[KVT580D_DATA]\r\n"
           "DriverFile=UNIDRV.DLL\r\n"
           "ConfigFile=UNIDRVUI.DLL\r\n"
           "HelpFile=UNIDRV.HLP\r\n"
           "DefaultDataType=RAW\r\n"
           "\r\n"
           "[KVT580D_FILES]\r\n"
           "KVT580D.dll\r\n"
           "UI580D.dll\r\n"
           "UNI580D.dll\r\n"
           "UI580D.INI\r\n"
           "MON580D.dll\r\n"
           "PRO580D.dll\r\n"
           "\r\n"
           "[UNIDRV_FILES]\r\n"
           "UNIDRV.DLL\r\n"
           "UNIDRVUI.DLL\r\n"
           "UNIDRV.HLP\r\n"
           "UNIRES.DLL\r\n"
           "STDNAMES.GPD\r\n"
           "\r\n"
           "[DestinationDirs]\r\n"
           "DefaultDestDir=66000\r\n"
           "\r\n"
           "[SourceDisksNames.x86]\r\n"
           "1 = %DISK%,,,\\Driver32\r\n"
           "\r\n"
           "[SourceDisksNames.amd64]\r\n"
           "1 = %DISK%,,,\\Driver64\r\n"
           "\r\n"
           "[SourceDisksFiles]\r\n"
           "KVT580D.GPD = 1\r\nKVT580D.dll = 1\r\nUI580D.dll = 1\r\nUNI580D.dll = 1\r\nUI580D.INI = 1\r\n"
           "MON580D.dll = 1\r\nPRO580D.dll = 1\r\nUNIDRV.DLL = 1\r\nUNIDRVUI.DLL = 1\r\nUNIDRV.HLP = 1\r\n"
           "UNIRES.DLL = 1\r\nSTDNAMES.GPD = 1\r\n"
           "\r\n"
           "[Strings]\r\n"
           "NORVEX=\"NORVEX\"\r\n"
           "MONITOR=\"NVX Language Monitor KVT580duo\"\r\n"
           "PROCESSOR=\"NVX PRINT PROCESSOR KVT580duo\"\r\n"
           "DISK=\"NORVEX KVT-580duo driver disk\"\r\n";
}

// The files the INF names, as the package folders hold them.
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
}

}  // namespace kvt::test
