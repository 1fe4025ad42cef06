#pragma once
// The printers that still use the driver when the spooler refuses to delete
// it: a printer whose jobs have not ended is only marked for deletion, and
// one that did not open was never deleted. The driver must outlive them, so
// the removal names them in the log and to the user instead of pulling the
// driver from under them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

struct RemainingPrinter {
    std::string name;
    std::uint32_t status = 0;  // PRINTER_STATUS_* as the spooler reports it
    std::uint32_t jobs = 0;
    // False: found in the spooler's registry keys while the spooler did not
    // answer; status and jobs are then unknown.
    bool listedBySpooler = true;
};

// The printers of `driverName` (in any letter case). Asks the running
// spooler; when it does not answer, reads the printers' keys, passing over
// the key named after the driver, which the driver's registry fallback
// deletes itself.
std::vector<RemainingPrinter> PrintersOfDriver(const RemovalContext& context, std::string_view driverName);

// One log line per printer with why it stays, then tells the user which
// printers keep the driver installed.
void ReportRemainingPrinters(const RemovalContext& context, const std::vector<RemainingPrinter>& printers);

// The user's message: the printers, one a line, and what to do about them.
std::string RemainingPrintersMessage(const std::vector<RemainingPrinter>& printers);

}  // namespace kvt::setup
