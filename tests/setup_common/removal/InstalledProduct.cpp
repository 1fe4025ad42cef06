#include "tests/setup_common/removal/InstalledProduct.h"

#include <gtest/gtest.h>

#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"
#include "platform/ports/DeviceSetup.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/PrintUiCommand.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/support/NativeCmd.h"
#include "tests/support/ProductInfText.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::test {
namespace {

std::string NativeEnvironment(const sim::World& world) { return world.os.is64Bit ? "Windows x64" : "Windows NT x86"; }

void AddDevice(sim::World& world, std::string instanceId, std::initializer_list<std::string> hardwareIds) {
    sim::DeviceNode node;
    node.enumerator = "USB";
    node.instanceId = std::move(instanceId);
    node.hardwareIds = hardwareIds;
    world.devices.push_back(std::move(node));
}

void AddUserForm(sim::World& world, std::string name) {
    sim::FormRecord form;
    form.name = std::move(name);
    form.width = 80000;
    form.length = 200000;
    form.imageable[2] = form.width;
    form.imageable[3] = form.length;
    world.spooler.forms.push_back(std::move(form));
}

using setup::TextValue;

void RunPrintUi(sim::Simulation& sim, const std::string& switches) {
    const auto outcome =
        sim::RunPrintUiCommand(sim, {NativeCmdOf32BitProgram(sim.world()),
                                     "cmd /c RUNDLL32 printui.dll,PrintUIEntry " + switches, true, {}});
    ASSERT_TRUE(outcome);
    ASSERT_EQ(outcome->exitCode, 0u) << switches;
}

ports::PrinterInfo2 OtherPrinter(std::string name, std::string port) {
    ports::PrinterInfo2 info;
    info.printerName = std::move(name);
    info.portName = std::move(port);
    info.driverName = "Harbor Label 200";
    info.printProcessor = "WinPrint";
    info.dataType = "RAW";
    info.priority = 1;
    return info;
}

constexpr const char* kMonitorName = "NVX Language Monitor KVT580duo";
constexpr const char* kPrinters[][2] = {{"NORVEX KVT-580duo", "COM2:"}, {"Receipt 2", "COM4:"}};

// Vista and later: the installer hands the INF to printui.
void InstallThroughPrintUi(sim::Simulation& sim) {
    RunPrintUi(sim, "/if /b \"NORVEX KVT-580duo\" /f .\\kvt580d.inf /r \"COM2:\" /m \"NORVEX KVT-580duo\"");
    RunPrintUi(sim, "/if /b \"Receipt 2\" /f .\\kvt580d.inf /r \"COM4:\" /m \"NORVEX KVT-580duo\" /u");
}

// Before Vista the installer stages the package folder's files itself and
// registers each part with the spooler; it copies the INF into the store.
void InstallThroughTheSpooler(sim::Simulation& sim) {
    sim::World& world = sim.world();
    const std::string environment = NativeEnvironment(world);
    const std::string package = std::string("C:\\Setup\\") + (world.os.is64Bit ? "Driver64" : "Driver32") + "\\";
    auto stage = [&](const char* file, const std::string& directory) {
        world.files.putFile(directory + "\\" + file, world.files.findFile(package + file)->bytes);
    };
    std::string drivers, processors, storedInf;
    ASSERT_EQ(sim.spooler().getPrinterDriverDirectory(environment, drivers), 0u);
    ASSERT_EQ(sim.spooler().getPrintProcessorDirectory(environment, processors), 0u);
    constexpr const char* kStaged[] = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP",  "UNIRES.DLL", "STDNAMES.GPD",
                                       "KVT580D.GPD", "KVT580D.dll",  "UI580D.dll",  "UNI580D.dll", "UI580D.INI"};
    for (const char* file : kStaged) stage(file, drivers);
    stage("MON580D.dll", world.windowsDirectory + "\\System32");
    stage("PRO580D.dll", processors);
    ASSERT_EQ(sim.spooler().addMonitor({kMonitorName, environment, "MON580D.dll"}), 0u);
    ASSERT_EQ(sim.spooler().addPrintProcessor(environment, "PRO580D.dll", "NVX PRINT PROCESSOR KVT580duo"), 0u);
    const ports::DriverInfo3 driver{3,
                                    std::string(kProductDriver),
                                    environment,
                                    "UNIDRV.DLL",
                                    "KVT580D.GPD",
                                    "UNIDRVUI.DLL",
                                    "UNIDRV.HLP",
                                    {"UNIRES.DLL", "STDNAMES.GPD", "KVT580D.DLL", "UI580D.DLL", "UNI580D.DLL", "UI580D.INI"},
                                    kMonitorName,
                                    "RAW"};
    ASSERT_EQ(sim.spooler().addPrinterDriver(driver), 0u);
    for (const char* file : kStaged) world.files.eraseFile(drivers + "\\" + file);  // the files used to install
    for (const auto& [name, port] : kPrinters) {
        ports::PrinterInfo2 info = OtherPrinter(name, port);
        info.driverName = std::string(kProductDriver);
        info.attributes = 0xA00;  // as the installer adds a printer on the system's processor
        ports::PrinterHandle handle;
        ASSERT_EQ(sim.spooler().addPrinter(info, handle), 0u);
        sim.spooler().closePrinter(handle);
    }
    ASSERT_EQ(sim.deviceSetup().copyOEMInf("C:\\Setup\\kvt580d.inf", ports::devsetup::SpostPath,
                                           ports::devsetup::SpCopyNoOverwrite, storedInf),
              0u);
}

}  // namespace

std::string NativeDriverDirectory(const sim::World& world) {
    return world.windowsDirectory + "\\System32\\spool\\drivers\\" + (world.os.is64Bit ? "x64" : "W32X86");
}

std::string ModelsInf(std::string_view model, std::initializer_list<std::string_view> sections,
                      std::string_view version) {
    std::string text =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
        "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=Maker\r\nDriverVer=01/01/2020," +
        std::string(version) + "\r\n";
    for (std::string_view section : sections)
        text += "\r\n[" + std::string(section) + "]\r\n\"" + std::string(model) + "\" = MODEL.GPD\r\n";
    return text;
}

sim::World SystemWithComponents(std::string_view os) {
    sim::World world = *sim::FreshImage(os);
    const std::string environment = NativeEnvironment(world);
    const std::string folder = world.os.is64Bit ? "x64" : "W32X86";
    sim::WriteMonitorKey(world.registry, {"NVX Language Monitor KVT580duo", environment, "MON580D.dll", {}});
    sim::WritePrintProcessorKey(world.registry, {"NVX PRINT PROCESSOR KVT580duo", environment, "PRO580D.dll", {}});
    const std::string package = world.os.is64Bit ? "Driver64/" : "Driver32/";
    world.files.putFile("C:\\Windows\\System32\\MON580D.dll", BuiltPackageFile(package + "MON580D.dll"));
    world.files.putFile("C:\\Windows\\System32\\spool\\prtprocs\\" + folder + "\\PRO580D.dll",
                        BuiltPackageFile(package + "PRO580D.dll"));
    return world;
}

sim::World SystemBeforeProduct(std::string_view os) {
    sim::World world = *sim::FreshImage(os);
    PlaceProductPackage(world);
    const std::string drivers = NativeDriverDirectory(world);
    const std::uint16_t machine = world.os.is64Bit ? pe::kMachineAmd64 : pe::kMachineI386;
    for (const char* file : {"HARBORDRV.DLL", "HARBORUI.DLL"})
        world.files.putFile(drivers + "\\3\\" + file, pe::WriteMinimalDll({machine, file, {}, std::string("Harbor ") + file}));
    world.files.putFile(drivers + "\\3\\HARBOR.GPD", "Harbor HARBOR.GPD");
    world.files.putFile(drivers + "\\harbor_label_5d2e\\HARBOR.GPD", "Harbor package");
    world.files.putFile("C:\\Windows\\inf\\oem0.inf", ModelsInf("Harbor Label 200", {"HARBOR", "HARBOR.NTamd64"}));
    world.files.putFile("C:\\Windows\\inf\\oem0.PNF", "precompiled oem0");
    // The same maker, another model: not the product's INF.
    world.files.putFile("C:\\Windows\\inf\\oem1.inf", ModelsInf("NORVEX KVT-100", {"NORVEX", "NORVEX.NTamd64"}));
    world.files.putFile("C:\\Windows\\inf\\oem1.PNF", "precompiled oem1");
    AddDevice(world, "USB\\VID_2E9C&PID_000C\\7&1", {"USB\\VID_2E9C&PID_000C&REV_0100", "USB\\VID_2E9C&PID_000C"});
    world.registry.ensure("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HARBORLABEL200").isProtected = true;
    AddUserForm(world, "Label 4x6");

    kvtsim::ProductSimulation sim(std::move(world));
    ports::DriverInfo3 harbor{3,
                              "Harbor Label 200",
                              NativeEnvironment(sim.world()),
                              "HARBORDRV.DLL",
                              "HARBOR.GPD",
                              "HARBORUI.DLL",
                              "",
                              {},
                              "",
                              "RAW"};
    EXPECT_EQ(sim.spooler().addPrinterDriver(harbor), 0u);
    for (const auto& [name, port] : {std::pair{"Shop Label", "LPT1:"}, std::pair{"KVT-580duo Counter", "COM3:"}}) {
        ports::PrinterHandle handle;
        EXPECT_EQ(sim.spooler().addPrinter(OtherPrinter(name, port), handle), 0u);
        sim.spooler().closePrinter(handle);
    }
    sim.world().spooler.jobs["Shop Label"] = {7};
    return sim.world();
}

sim::World InstallProduct(sim::World before) {
    kvtsim::ProductSimulation sim(std::move(before));
    if (sim.world().os.major >= 6)
        InstallThroughPrintUi(sim);
    else
        InstallThroughTheSpooler(sim);
    sim::World& world = sim.world();
    world.spooler.jobs["NORVEX KVT-580duo"] = {3, 4};
    AddUserForm(world, "Roll 80 x 200 [580duo]");
    AddUserForm(world, "Roll 58 x 100 [580duo]");

    // An earlier version's INF copy beside the one printui made.
    std::string older = ProductInfText();
    older.replace(older.find("3.4.3.0"), 7, "3.4.2.0");
    world.files.putFile("C:\\Windows\\inf\\oem5.inf", older);
    world.files.putFile("C:\\Windows\\inf\\oem5.PNF", "precompiled oem5");

    AddDevice(world, "USB\\VID_2E9C&PID_000B\\5&2C0F3A&0&2",
              {"USB\\VID_2E9C&PID_000B&REV_0100", "USB\\VID_2E9C&PID_000B"});
    AddDevice(world, "USB\\VID_2E9C&PID_000B\\6&1B7D00&0&1", {"usb\\vid_2e9c&pid_000b&rev_0100"});
    sim::RegistryKeyRecord& usbKey = world.registry.ensure(kUsbDeviceKey);
    usbKey.isProtected = true;
    usbKey.values.emplace_back("DeviceDesc", TextValue("NORVEX KVT-580duo"));
    world.registry.ensure(kLptDeviceKey).isProtected = true;
    // From Vista on the keys are those of the printer's device nodes, which
    // only the nodes' removal takes away.
    if (world.os.major >= 6)
        for (std::string_view key : {kUsbDeviceKey, kLptDeviceKey}) {
            const std::string id(key.substr(key.find("Enum\\") + 5));
            world.registry.ensure(std::string(key) + "\\8&1F2E&0&USB001").isProtected = true;
            world.devices.push_back({id.substr(0, id.find('\\')), id + "\\8&1F2E&0&USB001", {id + "7E4B"}, {}});
        }

    const std::string drivers = NativeDriverDirectory(world);
    world.files.putFile(drivers + "\\norvexkvt_580duoaed9\\KVT580D.GPD", "package GPD");
    world.files.putFile(drivers + "\\norvexkvt_580duoaed9\\Amd64\\UI580D.dll", "package plug-in").readOnly = true;
    world.files.putFile(drivers + "\\norvex_kvt_580duobc99\\kvt580d.inf", ProductInfText());

    sim::RegistryKeyRecord& entry = world.registry.ensure(kUninstallKey);
    entry.values.emplace_back("DisplayName", TextValue("NORVEX KVT-580duo Windows Driver V3.4.3"));
    entry.values.emplace_back("UninstallString", TextValue("C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe"));
    entry.values.emplace_back("InfFile", TextValue("kvt580d.inf"));

    world.files.putFile("C:\\Windows\\KVT-580duo\\KVT580duo_Uninstaller.exe", "uninstaller");
    world.files.putFile("C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX", "[KVT580D]\r\nPORTDLG=1\r\n");
    if (world.os.is64Bit)
        world.files.putFile("C:\\Windows\\KVT-580duo\\KVT580duo_DeviceRemoval.exe", "device removal program");
    world.files.putFile(
        world.windowsDirectory + (world.os.is64Bit ? "\\SysWOW64" : "\\System32") + "\\KVT580duo_Config.NVX",
        "[KVT580D]\r\nPORTDLG=1\r\n");
    if (!world.os.is64Bit && world.os.major < 6)
        for (const char* file : {"KVT580D.dll", "KVT580D.GPD", "UI580D.dll", "UNI580D.dll", "UI580D.INI"})
            world.files.putFile(world.windowsDirectory + "\\" + file, std::string("copy of ") + file);
    return sim.world();
}

}  // namespace kvt::test
