#include "Installer/setup_common/DriverPresence.h"

#include <vector>

#include "Installer/setup_common/SetupPauses.h"

namespace kvt::setup {

bool DriverRegistered(ports::Spooler& spooler, const std::optional<std::string>& environment,
                      std::string_view driverName) {
    std::vector<ports::DriverInfo3> drivers;
    if (spooler.enumPrinterDrivers(environment, drivers) != 0) return false;
    for (const ports::DriverInfo3& driver : drivers)
        if (driver.name == driverName) return true;
    return false;
}

int PrinterDrvExist(ports::Platform& platform, SetupLog& log, std::string_view driverName,
                    ports::SetupWindow* announceTo, const std::optional<std::string>& environment) {
    log.WriteLog("\r\n");
    log.WriteLog("PrinterDrvExist BEGIN");
    if (announceTo != nullptr) {
        announceTo->setStepText(kCheckingDriversText);
        announceTo->stepProgress();
        announceTo->refresh();
        Pause(platform.clock, *announceTo, pause::CheckingDrivers);
    }

    const bool found = DriverRegistered(platform.spooler, environment, driverName);
    if (found)
        log.WriteLog("%s PRINTER DRIVER EXISTS.", driverName);
    else
        log.WriteLog("%s PRINTER DRIVER DOES NOT EXIST.", driverName);
    log.WriteLog("PrinterDrvExist END");
    return found ? 1 : 0;
}

}  // namespace kvt::setup
