#include "platform/sim/FreshImage.h"

#include <array>
#include <cstdint>
#include <initializer_list>

#include "platform/pe/PeImage.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/SpoolerKeys.h"
#include "platform/sim/SystemModules.h"

namespace kvt::sim {
namespace {

struct Release {
    const char* name;
    std::uint32_t major, minor, build;
    bool is64Bit;
    const char* productName;
    const char* currentVersion;  // the registry's "CurrentVersion" (Windows 10 still says "6.3")
};

constexpr std::array<Release, 6> kReleases{{
    {"xp-x86", 5, 1, 2600, false, "Microsoft Windows XP", "5.1"},
    {"xp-x64", 5, 2, 3790, true, "Microsoft Windows XP", "5.2"},
    {"vista-x86", 6, 0, 6002, false, "Windows Vista (TM) Business", "6.0"},
    {"win7-x86", 6, 1, 7601, false, "Windows 7 Professional", "6.1"},
    {"win7-x64", 6, 1, 7601, true, "Windows 7 Professional", "6.1"},
    {"win10-x64", 10, 0, 19045, true, "Windows 10 Pro", "6.3"},
}};

constexpr const char* kEnvironmentX86 = "Windows NT x86";
constexpr const char* kEnvironmentX64 = "Windows x64";

constexpr const char* kSystemFiles[] = {"net.exe",      "cmd.exe",      "rundll32.exe", "kernel32.dll",
                                        "advapi32.dll", "setupapi.dll", "winspool.drv"};
// The spooler loads these; they are DLLs of the system directory's machine.
constexpr const char* kSystemModules[] = {"localspl.dll"};

constexpr const char* kWindows = "C:\\Windows";
constexpr const char* kSystem32 = "C:\\Windows\\System32";
constexpr const char* kSysWow64 = "C:\\Windows\\SysWOW64";
constexpr const char* kSpool = "C:\\Windows\\System32\\spool";
constexpr const char* kPrintControl = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print";
constexpr const char* kEnum = "HKLM\\SYSTEM\\CurrentControlSet\\Enum";
constexpr const char* kUninstall = "Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string Lines(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

const std::string& UsbPrintInf() {
    static const std::string text = Lines({
        "; USBPRINT.INF -- USB printing support",
        "",
        "[Version]",
        "Signature=\"$Windows NT$\"",
        "Class=USB",
        "ClassGUID={36FC9E60-C465-11CF-8056-444553540000}",
        "Provider=%Provider%",
        "DriverVer=06/21/2006,6.1.7600.16385",
        "",
        "[Manufacturer]",
        "%Generic%=Generic,NTx86,NTamd64",
        "",
        "[Generic.NTx86]",
        "%USBPRINT.DeviceDesc%=NO_DRV,USB\\Class_07&SubClass_01",
        "",
        "[Generic.NTamd64]",
        "%USBPRINT.DeviceDesc%=NO_DRV,USB\\Class_07&SubClass_01",
        "",
        "[NO_DRV]",
        "; the class driver needs no files of its own",
        "",
        "[NO_DRV.Services]",
        "AddService=usbprint,0x00000002,usbprint_Service_Inst",
        "",
        "[usbprint_Service_Inst]",
        "DisplayName=%USBPRINT.SvcDesc%",
        "ServiceType=1",
        "StartType=3",
        "ErrorControl=1",
        "ServiceBinary=%12%\\usbprint.sys",
        "",
        "[Strings]",
        "Provider=\"Generic\"",
        "Generic=\"Generic\"",
        "USBPRINT.DeviceDesc=\"USB Printing Support\"",
        "USBPRINT.SvcDesc=\"USB Printer Class Driver\"",
    });
    return text;
}

const std::string& TextOnlyPrinterInf() {
    static const std::string text = Lines({
        "; PRNGE001.INF -- generic text printer",
        "",
        "[Version]",
        "Signature=\"$Windows NT$\"",
        "Class=Printer",
        "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}",
        "Provider=%Provider%",
        "DriverVer=06/21/2006,6.1.7600.16385",
        "",
        "[Manufacturer]",
        "%Generic%=Generic,NTx86,NTamd64",
        "",
        "[Generic.NTx86]",
        "\"Generic / Text Only\"=TTY.GPD,Generic_/_Text_Only",
        "",
        "[Generic.NTamd64]",
        "\"Generic / Text Only\"=TTY.GPD,Generic_/_Text_Only",
        "",
        "[TTY.GPD]",
        "CopyFiles=@TTY.GPD,@TTYRES.DLL,@TTY.INI",
        "DataSection=UNIDRV_DATA",
        "DataFile=TTY.GPD",
        "",
        "[DestinationDirs]",
        "DefaultDestDir=66000",
        "",
        "[Strings]",
        "Provider=\"Generic\"",
        "Generic=\"Generic\"",
    });
    return text;
}

// The system's printer INF, reduced to one printer of its own and the part
// printer INFs build on: the universal printer driver, which an INF takes
// with Include=ntprint.inf and Needs=UNIDRV.OEM. Its files come from its
// driver store folder, below it the architecture's subfolder that
// [SourceDisksNames] gives.
const std::string& SystemPrinterInf() {
    static const std::string text = Lines({
        "; NTPRINT.INF -- the system's printer drivers",
        "",
        "[Version]",
        "Signature=\"$Windows NT$\"",
        "Class=Printer",
        "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}",
        "Provider=%Provider%",
        "DriverVer=06/21/2006,6.1.7600.16385",
        "",
        "[Manufacturer]",
        "%Generic%=Generic,NTx86,NTamd64",
        "",
        "[Generic.NTx86]",
        "\"Generic IBM Graphics 9pin\"=IBM239.GPD",
        "",
        "[Generic.NTamd64]",
        "\"Generic IBM Graphics 9pin\"=IBM239.GPD",
        "",
        "[IBM239.GPD]",
        "CopyFiles=@IBM239.GPD,UNIDRV_FILES",
        "DataSection=UNIDRV_DATA",
        "",
        "[UNIDRV.OEM]",
        "CopyFiles=UNIDRV_FILES",
        "DataSection=UNIDRV_DATA",
        "",
        "[UNIDRV_FILES]",
        "UNIDRV.DLL",
        "UNIDRVUI.DLL",
        "UNIDRV.HLP",
        "UNIRES.DLL",
        "STDNAMES.GPD",
        "",
        "[UNIDRV_DATA]",
        "DriverFile=UNIDRV.DLL",
        "ConfigFile=UNIDRVUI.DLL",
        "HelpFile=UNIDRV.HLP",
        "",
        "[DestinationDirs]",
        "DefaultDestDir=66000",
        "",
        "[SourceDisksNames.x86]",
        "1=%Disk%,,,\\I386",
        "",
        "[SourceDisksNames.amd64]",
        "1=%Disk%,,,\\Amd64",
        "",
        "[SourceDisksFiles]",
        "UNIDRV.DLL=1",
        "UNIDRVUI.DLL=1",
        "UNIDRV.HLP=1",
        "UNIRES.DLL=1",
        "STDNAMES.GPD=1",
        "IBM239.GPD=1",
        "",
        "[Strings]",
        "Provider=\"Generic\"",
        "Generic=\"Generic\"",
        "Disk=\"Windows installation disk\"",
    });
    return text;
}

ports::RegValue Sz(std::string_view text) {
    ports::RegValue value{reg::TypeSz, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

ports::RegValue Dword(std::uint32_t n) {
    return {reg::TypeDword,
            {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
             static_cast<std::uint8_t>(n >> 24)}};
}

ports::RegValue MultiSz(std::initializer_list<std::string_view> items) {
    ports::RegValue value{reg::TypeMultiSz, {}};
    for (auto item : items) {
        value.data.insert(value.data.end(), item.begin(), item.end());
        value.data.push_back(0);
    }
    value.data.push_back(0);
    return value;
}

void SetValue(RegistryKeyRecord& key, std::string name, ports::RegValue value) {
    key.values.emplace_back(std::move(name), std::move(value));
}

std::uint16_t NativeMachine(const Release& r) { return r.is64Bit ? pe::kMachineAmd64 : pe::kMachineI386; }

std::string Join(std::string_view a, std::string_view b) { return std::string(a) + "\\" + std::string(b); }

constexpr const char* kSystemPrinterInfFiles[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",
                                                  "STDNAMES.GPD", "IBM239.GPD"};

// Vista and later install the system's own INFs from the driver store:
// FileRepository\<inf>_<architecture>_<suffix> ("neutral_" before the suffix
// up to Windows 8.1) holds the INF and its files.
void AddSystemPrinterInf(World& w, const Release& r) {
    const std::string folder = std::string("ntprint.inf_") + (r.is64Bit ? "amd64_" : "x86_") +
                               (r.major < 10 ? "neutral_" : "") + "5d0e27a1c3b94f68";
    const std::string store = Join(kSystem32, "DriverStore\\FileRepository\\" + folder);
    w.files.putFile(Join(store, "ntprint.inf"), SystemPrinterInf());
    const std::uint16_t machine = NativeMachine(r);
    for (const char* file : kSystemPrinterInfFiles) {
        const std::string_view name(file);
        const bool module = name.size() > 4 && name.substr(name.size() - 4) == ".DLL";
        w.files.putFile(Join(Join(store, r.is64Bit ? "Amd64" : "I386"), file),
                        module ? SystemDll(name, machine) : std::string(kSystemFileNote));
    }
    w.files.putFile(Join(kWindows, "inf\\ntprint.inf"), SystemPrinterInf());
}

void AddFiles(World& w, const Release& r) {
    for (const char* dir : {"C:\\Setup", "C:\\Temp", "C:\\Program Files", "C:\\Windows\\Temp"})
        w.files.ensureDirectory(dir);
    const std::uint16_t native = NativeMachine(r);
    for (const char* file : kSystemFiles) w.files.putFile(Join(kSystem32, file), std::string(kSystemFileNote));
    for (const char* file : kSystemModules) w.files.putFile(Join(kSystem32, file), SystemDll(file, native));
    const std::string drivers = Join(kSpool, "drivers");
    const std::string prtprocs = Join(kSpool, "prtprocs");
    w.files.ensureDirectory(Join(drivers, "W32X86\\3"));
    w.files.ensureDirectory(Join(kSpool, "PRINTERS"));
    w.files.putFile(Join(prtprocs, "w32x86\\winprint.dll"), SystemDll("winprint.dll", pe::kMachineI386));
    if (r.is64Bit) {
        w.files.ensureDirectory("C:\\Program Files (x86)");
        for (const char* file : kSystemFiles) w.files.putFile(Join(kSysWow64, file), std::string(kSystemFileNote));
        for (const char* file : kSystemModules)
            w.files.putFile(Join(kSysWow64, file), SystemDll(file, pe::kMachineI386));
        w.files.ensureDirectory(Join(drivers, "x64\\3"));
        w.files.putFile(Join(prtprocs, "x64\\winprint.dll"), SystemDll("winprint.dll", pe::kMachineAmd64));
    }
    w.files.putFile(Join(kWindows, "inf\\usbprint.inf"), UsbPrintInf());
    w.files.putFile(Join(kWindows, "inf\\prnge001.inf"), TextOnlyPrinterInf());
    if (r.major >= 6) AddSystemPrinterInf(w, r);
}

void AddSpooler(World& w, const Release& r) {
    const std::string native = r.is64Bit ? kEnvironmentX64 : kEnvironmentX86;
    SpoolerImage& s = w.spooler;
    s.running = true;
    s.ports = {"COM1:", "COM2:", "COM3:", "COM4:", "LPT1:", "LPT2:"};
    WriteMonitorKey(w.registry, {"Local Port", native, "localspl.dll", nlohmann::json::object()});
    WritePrintProcessorKey(w.registry, {"WinPrint", native, "winprint.dll", nlohmann::json::object()});
    if (r.is64Bit)
        WritePrintProcessorKey(w.registry, {"WinPrint", kEnvironmentX86, "winprint.dll", nlohmann::json::object()});
    struct Sheet {
        const char* name;
        std::int32_t width, length;  // thousandths of a millimetre
    };
    constexpr Sheet kForms[] = {{"Letter", 215900, 279400},    {"Legal", 215900, 355600},
                                {"Executive", 184150, 266700}, {"A3", 297000, 420000},
                                {"A4", 210000, 297000},        {"A5", 148000, 210000},
                                {"B5 (JIS)", 182000, 257000},  {"Envelope #10", 104775, 241300}};
    constexpr std::uint32_t kFormBuiltin = 1;
    for (const Sheet& sheet : kForms) {
        FormRecord form;
        form.name = sheet.name;
        form.flags = kFormBuiltin;
        form.width = sheet.width;
        form.length = sheet.length;
        form.imageable[2] = sheet.width;
        form.imageable[3] = sheet.length;
        s.forms.push_back(std::move(form));
    }
}

void AddUninstallEntry(RegistryStore& reg, const std::string& key, const char* name, const char* version,
                       const char* publisher, const char* uninstaller) {
    RegistryKeyRecord& entry = reg.ensure(key);
    SetValue(entry, "DisplayName", Sz(name));
    SetValue(entry, "DisplayVersion", Sz(version));
    SetValue(entry, "Publisher", Sz(publisher));
    SetValue(entry, "UninstallString", Sz(uninstaller));
}

void AddPrintEnvironment(RegistryStore& reg, const std::string& environment, const char* directory) {
    const std::string base = std::string(kPrintControl) + "\\Environments\\" + environment;
    SetValue(reg.ensure(base), "Directory", Sz(directory));
    reg.ensure(base + "\\Drivers\\Version-3");
}

void AddRegistry(World& w, const Release& r) {
    RegistryStore& reg = w.registry;
    RegistryKeyRecord& version = reg.ensure("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    SetValue(version, "ProductName", Sz(r.productName));
    SetValue(version, "CurrentVersion", Sz(r.currentVersion));
    SetValue(version, "CurrentBuild", Sz(std::to_string(r.build)));
    SetValue(version, "SystemRoot", Sz(kWindows));
    if (r.major >= 10) {
        SetValue(version, "CurrentMajorVersionNumber", Dword(r.major));
        SetValue(version, "CurrentMinorVersionNumber", Dword(r.minor));
    }
    // Software of other makers, which the product must leave alone.
    AddUninstallEntry(reg, std::string("HKLM\\SOFTWARE\\") + kUninstall + "\\{6E2B1F40-3C7A-4D15-9A0B-52C8E1D3F7A9}",
                      "Harbor Label Studio", "2.4.1", "Harbor Software Ltd.",
                      "C:\\Program Files\\Harbor\\Label Studio\\uninst.exe");
    if (r.is64Bit) {
        AddUninstallEntry(reg, std::string("HKLM\\SOFTWARE\\WOW6432Node\\") + kUninstall + "\\AlderBarcodeFonts",
                          "Alder Barcode Fonts", "1.2", "Alder Type Works",
                          "C:\\Program Files (x86)\\Alder\\Barcode Fonts\\uninstall.exe");
    }
    AddPrintEnvironment(reg, r.is64Bit ? kEnvironmentX64 : kEnvironmentX86, r.is64Bit ? "x64" : "W32X86");
    if (r.is64Bit) AddPrintEnvironment(reg, kEnvironmentX86, "W32X86");
    reg.ensure(std::string(kPrintControl) + "\\Printers");
}

void AddDevice(World& w, const char* instanceId, std::initializer_list<std::string_view> hardwareIds,
               const char* description, const char* service) {
    DeviceNode node;
    node.enumerator = "USB";
    node.instanceId = instanceId;
    for (auto id : hardwareIds) node.hardwareIds.emplace_back(id);
    w.devices.push_back(std::move(node));
    RegistryKeyRecord& key = w.registry.ensure(std::string(kEnum) + "\\" + instanceId);
    key.isProtected = true;
    SetValue(key, "DeviceDesc", Sz(description));
    SetValue(key, "HardwareID", MultiSz(hardwareIds));
    SetValue(key, "Service", Sz(service));
}

void AddDevices(World& w) {
    AddDevice(w, "USB\\ROOT_HUB20\\4&1",
              {"USB\\ROOT_HUB20&VID8086&PID1E2D&REV0004", "USB\\ROOT_HUB20&VID8086&PID1E2D", "USB\\ROOT_HUB20"},
              "USB Root Hub", "usbhub");
    AddDevice(w, "USB\\VID_1A2C&PID_0E24\\5&3A1F2B7C&0&1",
              {"USB\\VID_1A2C&PID_0E24&REV_0110", "USB\\VID_1A2C&PID_0E24"}, "USB Input Device", "HidUsb");
    // Where printers' device nodes would go: there are none yet.
    for (const char* enumerator : {"USBPRINT", "LPTENUM"})
        w.registry.ensure(std::string(kEnum) + "\\" + enumerator).isProtected = true;
}

}  // namespace

const std::vector<std::string>& KnownOsNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Release& r : kReleases) out.emplace_back(r.name);
        return out;
    }();
    return names;
}

std::optional<World> FreshImage(std::string_view osName) {
    for (const Release& r : kReleases) {
        if (osName != r.name) continue;
        World w;
        w.os.platform = 2;
        w.os.major = r.major;
        w.os.minor = r.minor;
        w.os.build = r.build;
        w.os.productType = 1;
        w.os.is64Bit = r.is64Bit;
        w.windowsDirectory = kWindows;
        w.currentDirectory = "C:\\Setup";
        w.shutdownPrivilege = true;
        w.otherInstanceRunning = false;
        w.restart.reset();
        AddFiles(w, r);
        AddSpooler(w, r);
        AddRegistry(w, r);
        AddDevices(w);
        return w;
    }
    return std::nullopt;
}

}  // namespace kvt::sim
