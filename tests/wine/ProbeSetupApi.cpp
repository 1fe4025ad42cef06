// Device setup: the INF store (list, copy in, open, find the driver line,
// copy again, uninstall) and the device list of the USB enumerator.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ports/DeviceSetup.h"
#include "platform/ports/WinCodes.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

namespace ds = ports::devsetup;

constexpr const char* kDriverName = "NORVEX KVT-580duo";

const char* const kProductInf =
    "; kvt580d.inf written by adapter_probe\r\n"
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Printer\r\n"
    "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"
    "Provider=%NVX%\r\n"
    "DriverVer=12/01/2026,3.4.3.0\r\n"
    "\r\n"
    "[Manufacturer]\r\n"
    "%NVX%=NORVEX,NTamd64\r\n"
    "\r\n"
    "[NORVEX]\r\n"
    "\"NORVEX KVT-580duo\" = KVT580D.GPD,USBPRINT\\NORVEXKVT-580duo8A5C\r\n"
    "\r\n"
    "[NORVEX.NTamd64]\r\n"
    "%KVT580% = KVT580D.GPD,USBPRINT\\NORVEXKVT-580duo8A5C ; the 64-bit models line\r\n"
    "\r\n"
    "[KVT580D.GPD]\r\n"
    "CopyFiles=@KVT580D.GPD,\\\r\n"
    "          @UI580D.DLL\r\n"
    "\r\n"
    "[Strings]\r\n"
    "NVX=\"NORVEX\"\r\n"
    "KVT580=\"NORVEX KVT-580duo\"\r\n";

bool Holds(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return n.size() == name.size() && ::lstrcmpiA(n.c_str(), name.c_str()) == 0;
    });
}

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// The store named by its path: Wine lists nothing when no directory is
// named (Windows then lists its INF directory), so the checks of the copy
// name the directory and the product's own search finds nothing under Wine.
std::vector<std::string> ListStore(win32::Win32Platform& windows, ProbeReport& report, const char* name) {
    std::string store;
    windows.files().getWindowsDirectory(store);
    store += "\\inf";
    std::vector<std::string> names;
    report.code(windows.deviceSetup().getInfFileList(store, ds::InfStyleWin4, names), err::Success, name);
    return names;
}

void CheckOpenAndFind(ports::DeviceSetup& setup, const std::string& stored, ProbeReport& report) {
    ports::InfHandle inf;
    if (!report.code(setup.openInfFile(stored, ds::InfStyleOldNt | ds::InfStyleWin4, inf), err::Success,
                     "SetupOpenInfFileA of the copy by its bare name"))
        return;
    report.code(setup.findFirstLine(inf, "NORVEX.NTamd64", kDriverName), err::Success,
                "SetupFindFirstLineA finds the driver line in NORVEX.NTamd64 through its string key");
    report.code(setup.findFirstLine(inf, "norvex", "norvex kvt-580DUO"), err::Success,
                "SetupFindFirstLineA ignores the case of section and key");
    report.code(setup.findFirstLine(inf, "NORVEX.NTamd64", "NORVEX KVT-580"), err::LineNotFound,
                "SetupFindFirstLineA without such a key");
    report.code(setup.findFirstLine(inf, "NORVEX.NTx86", kDriverName), err::LineNotFound,
                "SetupFindFirstLineA in a section the INF lacks");
    setup.closeInfFile(inf);
    report.code(setup.findFirstLine(inf, "NORVEX.NTamd64", kDriverName), err::InvalidHandle,
                "a closed INF handle is refused");
}

void CheckInfOpenFailures(ports::DeviceSetup& setup, const std::string& source, ProbeReport& report) {
    ports::InfHandle inf;
    report.code(setup.openInfFile("kvt-probe-none.inf", ds::InfStyleWin4, inf), err::FileNotFound,
                "SetupOpenInfFileA of a missing INF");
    // Windows refuses a Windows NT INF asked for as old style only; Wine opens it.
    const std::uint32_t oldStyle = setup.openInfFile(source, ds::InfStyleOldNt, inf);
    if (oldStyle == err::Success) {
        report.code(setup.findFirstLine(inf, "Version", "Signature"), err::Success,
                    "SetupOpenInfFileA as old style (Wine opens the INF; Windows refuses it with ERROR_WRONG_INF_STYLE)");
        setup.closeInfFile(inf);
    } else {
        report.code(oldStyle, err::WrongInfStyle, "SetupOpenInfFileA refuses a Windows NT INF as old style");
    }
}

// The same INF again under SP_COPY_NOOVERWRITE: Windows and Wine refuse it
// with 80 and name the copy already there. Wine keeps the INF's own name in
// the store, so how Windows finds the same bytes under an oemN.inf name is
// not to be seen here (the simulation covers it).
void CheckCopyAgain(ports::DeviceSetup& setup, const std::string& source, const std::string& first,
                    ProbeReport& report) {
    std::string again;
    report.code(setup.copyOEMInf(source, ds::SpostPath, ds::SpCopyNoOverwrite, again), err::FileExists,
                "SetupCopyOEMInfA refuses the duplicate under SP_COPY_NOOVERWRITE");
    report.check(again == first, "the refusal names the copy in the store", again);
    std::string replaced;
    report.code(setup.copyOEMInf(source, ds::SpostPath, ds::SpCopyReplaceOnly, replaced), err::Success,
                "SetupCopyOEMInfA with SP_COPY_REPLACEONLY over the copy");
    report.check(replaced == first, "the replacement names the same copy", replaced);
}

void CheckUninstall(win32::Win32Platform& windows, const std::string& stored, const std::string& path,
                    ProbeReport& report) {
    auto& setup = windows.deviceSetup();
    if (!setup.hasUninstallOEMInf()) {
        report.code(windows.files().deleteFile(path), err::Success,
                    "SetupUninstallOEMInfA is missing here: DeleteFileA of the copy");
        return;
    }
    report.code(setup.uninstallOEMInf(stored, ds::SuoiForceDelete), err::Success, "SetupUninstallOEMInfA");
    std::uint32_t attributes = 0;
    const std::uint32_t gone = windows.files().getFileAttributes(path, attributes);
    report.code(gone, err::FileNotFound, "the copy left the store");
    if (gone == err::Success) windows.files().deleteFile(path);
    report.check(!Holds(ListStore(windows, report, "SetupGetInfFileListA after the uninstall"), stored),
                 "the list no longer holds the copy");
}

void CheckInfStore(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    auto& setup = windows.deviceSetup();
    auto& files = windows.files();
    std::vector<std::string> unnamed;
    const std::uint32_t listed = setup.getInfFileList("", ds::InfStyleWin4, unnamed);
    report.check(listed == err::Success, "SetupGetInfFileListA without a directory (Wine lists no file)",
                 std::to_string(unnamed.size()) + " files, code " + std::to_string(listed));
    const std::vector<std::string> before = ListStore(windows, report, "SetupGetInfFileListA of the store by path");
    report.check(!before.empty(), "the store holds INF files", std::to_string(before.size()) + " files");

    const std::string source = scratch + "\\kvt580d.inf";
    if (!report.code(files.createDirectory(scratch, {}), err::Success, "CreateDirectoryA for the INF")) return;
    files.writeFile(source, kProductInf);
    std::vector<std::string> here;
    report.code(setup.getInfFileList(scratch, ds::InfStyleWin4, here), err::Success,
                "SetupGetInfFileListA of a named directory");
    report.check(here == std::vector<std::string>{"kvt580d.inf"}, "it lists the written INF");
    CheckInfOpenFailures(setup, source, report);

    std::string destination;
    if (report.code(setup.copyOEMInf(source, ds::SpostPath, ds::SpCopyNoOverwrite, destination), err::Success,
                    "SetupCopyOEMInfA into the store")) {
        const std::string stored = NameOf(destination);
        report.check(destination.find('\\') != std::string::npos, "the destination is a full path", destination);
        report.check(Holds(ListStore(windows, report, "SetupGetInfFileListA after the copy"), stored),
                     "the store lists the copy (Wine keeps the INF's own name, Windows names it oemN.inf)",
                     stored);
        CheckOpenAndFind(setup, stored, report);
        CheckCopyAgain(setup, source, destination, report);
        CheckUninstall(windows, stored, destination, report);
    }
    report.check(setup.openInfCount() == 0, "no INF handle is left open");
    files.deleteFile(source);
    report.code(files.removeDirectory(scratch), err::Success, "RemoveDirectoryA of the INF folder");
}

// Wine may know no USB device at all; the walk must still end with 259.
void CheckUsbDevices(ports::DeviceSetup& setup, ProbeReport& report) {
    ports::DevInfoList list;
    report.code(setup.getClassDevs("USB", ds::DigcfPresent, list), err::InvalidParameter,
                "SetupDiGetClassDevsA without a class and without DIGCF_ALLCLASSES");
    if (!report.code(setup.getClassDevs("USB", ds::DigcfAllClasses, list), err::Success,
                     "SetupDiGetClassDevsA of the USB enumerator, all classes"))
        return;
    std::uint32_t index = 0, end = 0, withIds = 0;
    for (;; ++index) {
        ports::DeviceInfo device;
        end = setup.enumDeviceInfo(list, index, device);
        if (end != err::Success) break;
        std::vector<std::uint8_t> data;
        std::uint32_t required = 0;
        if (setup.getDeviceRegistryProperty(list, device, ds::SpdrpHardwareId, 100, data, required) == 0) ++withIds;
    }
    report.check(end == err::NoMoreItems, "SetupDiEnumDeviceInfo ends with 259 (Wine may have no USB node)",
                 std::to_string(index) + " nodes, " + std::to_string(withIds) + " with hardware ids in 100 bytes, code " +
                     std::to_string(end));
    report.code(setup.destroyDeviceInfoList(list), err::Success, "SetupDiDestroyDeviceInfoList");
    report.code(setup.destroyDeviceInfoList(list), err::InvalidHandle, "a destroyed list is refused");
}

}  // namespace

void CheckDeviceSetup(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    CheckInfStore(windows, scratch, report);
    CheckUsbDevices(windows.deviceSetup(), report);
}

}  // namespace kvt::probe
