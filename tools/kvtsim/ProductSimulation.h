#pragma once
// The simulated Windows with the product's part that Windows itself runs:
// the spooler hands a new printer of a driver that names the plug-in to the
// plug-in's PrinterEvent; a start of KVT580duo_DeviceRemoval.exe runs the
// device removal program as a 64-bit process; the spooler learns the data
// types of the print processor PRO580D.dll. The simulation knows nothing
// of these; kvtsim, the tests and the benchmarks compose it through this
// class (and make the plug-in's dialogs with PluginDialogTemplate).
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/Simulation.h"

namespace kvt::kvtsim {

class ProductSimulation final : public sim::Simulation {
public:
    explicit ProductSimulation(sim::World world, sim::Bitness program = sim::Bitness::x86);
};

// What the spooler does once it has added a printer whose driver names the
// plug-in among its dependent files: PrinterEvent(PRINTER_EVENT_INITIALIZE)
// in the spooler's process.
// The data types the product's print processor enumerates, handed to the
// simulated spooler: for every simulation that installs the product.
void DescribeProductPrintProcessor(sim::SimSpooler& spooler);

void RunPluginPrinterInitialization(sim::Simulation& sim, std::string_view printerName,
                                    const std::vector<std::string>& dependentFiles);

}  // namespace kvt::kvtsim
