#include "Installer/setup_common/DriverPresence.h"

#include <vector>

namespace kvt::setup {

int PrinterDrvExist(ports::Platform& platform, SetupLog& log, std::string_view driverName,
                    ports::SetupWindow* announceTo) {
    log.WriteLog("\r\n");
    log.WriteLog("PrinterDrvExist BEGIN");
    if (announceTo != nullptr) {
        announceTo->setStepText(kCheckingDriversText);
        announceTo->stepProgress();
        announceTo->refresh();
        platform.clock.sleep(kCheckingDriversWaitMs);
    }

    std::vector<ports::DriverInfo3> drivers;
    bool found = false;
    if (platform.spooler.enumPrinterDrivers(std::nullopt, drivers) == 0) {
        for (const ports::DriverInfo3& driver : drivers) found = found || driver.name == driverName;
    }
    if (found)
        log.WriteLog("%s PRINTER DRIVER EXISTS.", driverName);
    else
        log.WriteLog("%s PRINTER DRIVER DOES NOT EXIST.", driverName);
    log.WriteLog("PrinterDrvExist END");
    return found ? 1 : 0;
}

}  // namespace kvt::setup
