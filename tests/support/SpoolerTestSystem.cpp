#include "tests/support/SpoolerTestSystem.h"

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/SimSpooler.h"
#include "tests/support/ProductInfText.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::test {
namespace {

constexpr std::string_view kDriverFiles[] = {"UNIDRV.DLL",  "KVT580D.GPD",  "UNIDRVUI.DLL", "UNIDRV.HLP",
                                             "UNIRES.DLL",  "STDNAMES.GPD", "KVT580D.DLL",  "UI580D.DLL",
                                             "UNI580D.DLL", "UI580D.INI"};
// The modules among them, as the native package names its loadable stand-ins.
constexpr std::string_view kDriverModules[] = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIRES.DLL",
                                               "KVT580D.dll", "UI580D.dll",   "UNI580D.dll"};

std::string PackageFolder(bool is64Bit) { return is64Bit ? "Driver64" : "Driver32"; }

// The module of that name for the environment, or a text for other files.
std::string DriverFileBytes(std::string_view file, std::string_view environment) {
    for (std::string_view module : kDriverModules)
        if (sim::EqualsNoCase(module, file))
            return BuiltPackageFile(PackageFolder(environment == "Windows x64") + "/" + std::string(module));
    return "stand-in " + std::string(file);
}

std::string Spool(const sim::World& world) { return world.windowsDirectory + "\\System32\\spool"; }

}  // namespace

std::string EnvironmentFolder(std::string_view environment) { return environment == "Windows x64" ? "x64" : "W32X86"; }

std::string DriverDirectory(const sim::World& world, std::string_view environment) {
    return Spool(world) + "\\drivers\\" + EnvironmentFolder(environment);
}

std::string ProcessorDirectory(const sim::World& world, std::string_view environment) {
    return Spool(world) + "\\prtprocs\\" + EnvironmentFolder(environment);
}

void StageProductFiles(sim::World& world, std::string_view environment) {
    for (std::string_view file : kDriverFiles)
        world.files.putFile(DriverDirectory(world, environment) + "\\" + std::string(file),
                            DriverFileBytes(file, environment));
    // The monitor runs in the spooler, a process of the system's own machine.
    world.files.putFile(world.windowsDirectory + "\\System32\\" + std::string(kMonitorDll),
                        BuiltPackageFile(PackageFolder(world.os.is64Bit) + "/" + std::string(kMonitorDll)));
    world.files.putFile(ProcessorDirectory(world, environment) + "\\" + std::string(kProcessorDll),
                        BuiltPackageFile(PackageFolder(environment == "Windows x64") + "/" + std::string(kProcessorDll)));
}

ports::DriverInfo3 ProductDriver(std::string_view environment) {
    ports::DriverInfo3 d;
    d.version = 3;
    d.name = kDriverName;
    d.environment = environment;
    d.driverPath = "UNIDRV.DLL";
    d.dataFile = "KVT580D.GPD";
    d.configFile = "UNIDRVUI.DLL";
    d.helpFile = "UNIDRV.HLP";
    d.dependentFiles = {"UNIRES.DLL", "STDNAMES.GPD", "KVT580D.DLL", "UI580D.DLL", "UNI580D.DLL", "UI580D.INI"};
    d.monitorName = kMonitorName;
    d.defaultDataType = "RAW";
    return d;
}

ports::MonitorInfo2 ProductMonitor(std::string_view environment) {
    return {std::string(kMonitorName), std::string(environment), std::string(kMonitorDll)};
}

ports::PrinterInfo2 ProductPrinter(std::string_view name, std::string_view port) {
    ports::PrinterInfo2 p;
    p.printerName = name;
    p.portName = port;
    p.driverName = kDriverName;
    p.printProcessor = kProcessorName;
    p.dataType = "RAW";
    p.attributes = ports::spool::AttributeEnableBidi | ports::spool::AttributeRawOnly;
    p.priority = 1;
    p.status = 0x80;
    return p;
}

bool RegisterProduct(sim::SimSpooler& spooler, std::string_view environment) {
    // The spooler learns what the product's processor handles, as kvtsim's
    // simulation does.
    kvtsim::DescribeProductPrintProcessor(spooler);
    const std::string env(environment);
    return spooler.addMonitor(ProductMonitor(environment)) == err::Success &&
           spooler.addPrintProcessor(env, kProcessorDll, kProcessorName) == err::Success &&
           spooler.addPrinterDriver(ProductDriver(environment)) == err::Success;
}

}  // namespace kvt::test
