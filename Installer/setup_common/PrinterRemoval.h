#pragma once
// The printers that use the driver, and the driver itself: the installer's
// sweep over the local printers, the deletion of one printer with its jobs,
// and the driver's deletion with its registry fallback and spooler restart.
#include <string_view>

#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// Installer: deletes every local printer whose driver is exactly the
// product's driver, then runs RemoveDrivers. When the printers cannot be
// listed it shows the error and ends the program before deleting anything.
void DeleteDriverPrinters(const RemovalContext& context);

// Opens the printer for full access and deletes it after cancelling its
// jobs; a printer that does not open is passed over without a word.
void DeletePrinterObject(const RemovalContext& context, std::string_view printerName);

// Cancels (before NT 4: JOB_CONTROL_CANCEL) or deletes every job of the
// printer, then gives the spooler a second when there were any.
void CancelPrinterJobs(const RemovalContext& context, ports::PrinterHandle printer);

// Deletes the driver "<maker> <model>" of the system's driver environment.
// When the spooler refuses, the driver's and the printer's registry keys go
// instead, unless printers still use the driver: those are named in the log
// and to the user, and the driver stays. The spooler is restarted either way
// so that it reads what is left.
// Nonzero when the spooler deleted the driver or both keys went.
int DeletePrinterDrv(const RemovalContext& context, std::string_view modelName);

}  // namespace kvt::setup
