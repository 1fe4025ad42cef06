#include "tests/reliability/FaultCodes.h"

#include <algorithm>
#include <map>
#include <string>

namespace kvt::test {
namespace {

constexpr std::uint32_t kProcNotFound = 127;

// Where a method has no entry of its own, its family's refusal applies.
const std::map<std::string_view, std::uint32_t>& Refusals() {
    static const std::map<std::string_view, std::uint32_t> refusals{
        {"FileSystem", 5},
        {"FileSystem.appendToFile", 32},
        {"FileSystem.copyFile", 32},
        {"FileSystem.createDirectory", 183},      // already exists
        {"FileSystem.deleteFile", 2},
        {"FileSystem.findFiles", 3},              // path not found
        {"FileSystem.getCurrentDirectory", 122},
        {"FileSystem.getFileAttributes", 2},
        {"FileSystem.getPrivateProfileString", 2},
        {"FileSystem.getSystemDirectory", 122},
        {"FileSystem.getSystemWow64Directory", 120},  // not implemented on 32-bit Windows
        {"FileSystem.getWindowsDirectory", 122},
        {"FileSystem.moveFile", 183},
        {"FileSystem.readFile", 2},
        {"FileSystem.removeDirectory", 145},      // not empty
        {"Registry", 5},
        {"Registry.closeKey", 6},
        {"Registry.connectRegistry", 53},
        {"Registry.enumKey", 259},                // no more items
        {"Registry.openKey", 2},
        {"Registry.queryValue", 2},
        {"Registry.setEntriesInAcl", 1332},       // no mapping between account names and SIDs
        {"Spooler", 1722},
        {"Spooler.addForm", 1902},
        {"Spooler.addMonitor", 3006},             // already installed
        {"Spooler.addPrintProcessor", 3005},      // already installed
        {"Spooler.addPrinter", 1802},             // printer already exists
        {"Spooler.addPrinterDriver", 126},        // module not found
        {"Spooler.closePrinter", 6},
        {"Spooler.deleteForm", 1902},
        {"Spooler.deleteMonitor", 3000},          // unknown monitor
        {"Spooler.deletePrintProcessor", 1798},   // unknown print processor
        {"Spooler.deletePrinter", 1905},          // printer deleted
        {"Spooler.deletePrinterDriverEx", 3001},  // driver in use
        {"Spooler.enumJobs", 6},
        {"Spooler.enumPrintProcessors", 1805},    // invalid environment
        {"Spooler.enumPrinterDrivers", 1805},
        {"Spooler.getForm", 1902},
        {"Spooler.getPrintProcessorDirectory", 1805},
        {"Spooler.getPrinterData", 2},
        {"Spooler.getPrinterDriverDirectory", 1805},
        {"Spooler.openPrinter", 1801},            // invalid printer name
        {"Spooler.setForm", 1902},
        {"Spooler.setJob", 87},
        {"DeviceSetup", 13},
        {"DeviceSetup.closeInfFile", 6},
        {"DeviceSetup.copyOEMInf", 80},           // the file exists
        {"DeviceSetup.destroyDeviceInfoList", 6},
        {"DeviceSetup.enumDeviceInfo", 259},
        {"DeviceSetup.findFirstLine", 0xE0000102},  // line not found
        {"DeviceSetup.getClassDevs", 87},
        {"DeviceSetup.getInfFileList", 3},
        {"DeviceSetup.openInfFile", 0xE0000003},  // general syntax
        {"DeviceSetup.removeDevice", 0xE000020B},  // no such device instance
        {"DeviceSetup.uninstallOEMInf", 0xE0000235},  // ERROR_IN_WOW64 (not 0xE000023D, INF in use by devices)
        {"Processes", 2},
        {"Processes.waitForProcess", 6},
        {"SystemInfo", 87},
        {"SystemInfo.adjustTokenPrivileges", 1300},  // not all assigned
        {"SystemInfo.exitWindowsEx", 1314},           // privilege not held
        {"SystemInfo.isWow64Process", 6},
        {"SystemInfo.lookupPrivilegeValue", 1313},    // no such privilege
        {"SystemInfo.openProcessToken", 5},
    };
    return refusals;
}

}  // namespace

bool IsFunctionProbe(std::string_view method) {
    const std::size_t dot = method.find('.');
    return dot != std::string_view::npos && method.substr(dot + 1).starts_with("has");
}

std::uint32_t TypicalRefusal(std::string_view method) {
    if (IsFunctionProbe(method)) return kProcNotFound;
    const auto& refusals = Refusals();
    if (auto it = refusals.find(method); it != refusals.end()) return it->second;
    if (auto it = refusals.find(method.substr(0, method.find('.'))); it != refusals.end()) return it->second;
    return kWindowsCodes[0];
}

std::vector<std::uint32_t> FaultCodesFor(std::string_view method) {
    if (IsFunctionProbe(method)) return {kProcNotFound};
    std::vector<std::uint32_t> codes(std::begin(kWindowsCodes), std::end(kWindowsCodes));
    const std::uint32_t own = TypicalRefusal(method);
    if (std::find(codes.begin(), codes.end(), own) == codes.end()) codes.push_back(own);
    return codes;
}

std::vector<std::uint32_t> SweepCodes(std::size_t index, std::string_view method) {
    std::vector<std::uint32_t> codes = FaultCodesFor(method);
    if (!kSanitizedBuild) return codes;
    return {codes[index % codes.size()]};
}

}  // namespace kvt::test
