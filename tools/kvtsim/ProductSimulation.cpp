#include "tools/kvtsim/ProductSimulation.h"

#include <algorithm>
#include <utility>

#include "Installer/setup_common/ProductConfiguration.h"
#include "driversrc/kvt-580duo/DrvPackage/PrinterSetup.h"
#include "driversrc/kvt-580duo/PrintProcessor/PrintProcessorJob.h"
#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/OtherProcess.h"
#include "platform/sim/SimPluginSpooler.h"
#include "tools/kvtsim/DeviceRemovalHost.h"

namespace kvt::kvtsim {
namespace {

constexpr std::string_view kPluginFile = "UI580D.DLL";

}  // namespace

ProductSimulation::ProductSimulation(sim::World world, sim::Bitness program) : Simulation(std::move(world), program) {
    spooler().setPrinterInitialization(
        [this](std::string_view printerName, const std::vector<std::string>& dependentFiles) {
            RunPluginPrinterInitialization(*this, printerName, dependentFiles);
        });
    HostDeviceRemovalProgram(*this);
    DescribeProductPrintProcessor(spooler());
}

// The processor's data types are ASCII names.
void DescribeProductPrintProcessor(sim::SimSpooler& spooler) {
    std::vector<std::string> types;
    for (const std::u16string& type : processor::DataTypes()) types.emplace_back(type.begin(), type.end());
    spooler.describePrintProcessor(setup::product::PrintProcessorDll, std::move(types));
}

void RunPluginPrinterInitialization(sim::Simulation& sim, std::string_view printerName,
                                    const std::vector<std::string>& dependentFiles) {
    const bool namesPlugin = std::any_of(dependentFiles.begin(), dependentFiles.end(),
                                         [](const std::string& file) { return sim::EqualsNoCase(file, kPluginFile); });
    if (!namesPlugin) return;
    sim::KeepLastError programThread(sim);
    // The spooler does not look at the result: a printer stays added even
    // when its plug-in could not set it up.
    plugin::PrinterEvent(sim.pluginSpooler(), sim::AnsiToUtf16(printerName), plugin::printer_event::Initialize);
}

}  // namespace kvt::kvtsim
