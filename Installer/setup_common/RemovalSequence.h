#pragma once
// The order of the removal: the installer's RemoveDrivers, the RemoveFromOS
// that both programs run, and the removal part of the uninstaller's flow.
// No step stops the sequence; each logs its own failures and the next one
// runs whatever the last one achieved.
#include <functional>
#include <string>
#include <vector>

#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// Installer, after the printer sweep: RemoveFromOS, the device and directory
// steps, then the completion text with the bar at 100.
void RemoveDrivers(const RemovalContext& context);

// Forms, driver, monitor, processor, driver files, INF copies and the
// uninstall entry, in this order. Returns DeleteUninstallationInfo's result.
int RemoveFromOS(const RemovalContext& context);

// The uninstaller's deletion of the printers the user chose
// (RemovePrinterObjects, which the uninstaller itself provides).
using RemovePrinterObjectsStep = std::function<void(const std::vector<std::string>& chosenPrinters)>;

enum class UninstallRemoval {
    DriverRemoved,  // everything went; the completion text is shown, the list emptied
    DriverKept,     // only the chosen printers went; the caller closes the run
};

// Uninstaller: deletes the chosen printers when the driver has any
// (`printerObjectCount` found at start), and the driver with every trace of
// it when all of them were chosen (this includes having none).
UninstallRemoval RemoveForUninstall(const RemovalContext& context, int printerObjectCount,
                                    std::vector<std::string>& chosenPrinters,
                                    const RemovePrinterObjectsStep& removePrinterObjects);

}  // namespace kvt::setup
