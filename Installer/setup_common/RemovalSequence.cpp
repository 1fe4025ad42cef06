#include "Installer/setup_common/RemovalSequence.h"

#include "Installer/setup_common/ComponentRemoval.h"
#include "Installer/setup_common/DeviceCleanup.h"
#include "Installer/setup_common/FileRemoval.h"
#include "Installer/setup_common/PrinterRemoval.h"
#include "Installer/setup_common/UninstallInfo.h"

namespace kvt::setup {
namespace {

constexpr StepStatus kRemovingDriver{removal_text::RemovingPrinterDriver, StatusReport::Step, pause::RemovalPhase.ms};
constexpr StepStatus kDeletingChosenPrinters{removal_text::DeletingPrinterDriverObjects, StatusReport::Step,
                                             pause::RemovalPhase.ms};
constexpr StepStatus kRemovingDrivers{removal_text::RemovingPrinterDrivers, StatusReport::Step, pause::RemovalPhase.ms};

void RemoveDeviceTraces(const RemovalContext& context) {
    DeleteVidPid(context);
    Delete_LPT_USB_Info(context);
    DeletePrnDrvPnPDirectory(context);
}

}  // namespace

void RemoveDrivers(const RemovalContext& context) {
    LogStepBegin(context, "RemoveDrivers");
    ReportStatus(context, kRemovingDriver);

    RemoveFromOS(context);
    RemoveDeviceTraces(context);

    ShowRemovalCompleted(context);
    Wait(context, pause::RemovalPhase);
    LogStepEnd(context, "RemoveDrivers");
}

int RemoveFromOS(const RemovalContext& context) {
    if (context.form.logsRemoveFromOS) LogStepBegin(context, "RemoveFromOS");
    const std::string modelName = context.entry(removal_entry::ModelName);

    DeleteForms(context);
    DeletePrinterDrv(context, modelName);
    DeleteLanguageMonitor(context);
    DeleteProcessor(context);
    DeleteDriverFiles(context);
    DeleteINFFile(context);
    const int result = DeleteUninstallationInfo(context, modelName);

    if (context.form.logsRemoveFromOS) LogStepEnd(context, "RemoveFromOS");
    return result;
}

UninstallRemoval RemoveForUninstall(const RemovalContext& context, int printerObjectCount,
                                    std::vector<std::string>& chosenPrinters,
                                    const RemovePrinterObjectsStep& removePrinterObjects) {
    if (printerObjectCount != 0) {
        ReportStatus(context, kDeletingChosenPrinters);
        if (removePrinterObjects) removePrinterObjects(chosenPrinters);
    }
    if (static_cast<int>(chosenPrinters.size()) != printerObjectCount) return UninstallRemoval::DriverKept;

    ReportStatus(context, kRemovingDrivers);
    RemoveFromOS(context);
    RemoveDeviceTraces(context);
    DeleteUninstallInfoFromReg(context);
    DeleteInstalledDirectory(context);

    ShowRemovalCompleted(context);
    chosenPrinters.clear();
    Wait(context, pause::RemovalPhase);
    return UninstallRemoval::DriverRemoved;
}

}  // namespace kvt::setup
