#pragma once
// The driver's files and directories: the installed driver files, the
// driver-package directories below the spooler's driver directory, and the
// uninstaller's product directory at the root of the system drive.
#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// DeleteFilesUsed (installer) or DeleteDriverComponent (uninstaller), by the
// name the form gives: deletes the driver files from the Windows directory
// and from the version folder "3" of the system's driver directory while the
// spooler is stopped, so that none of them is held open.
void DeleteDriverFiles(const RemovalContext& context);

// Removes the two driver-package directories of the system's driver
// environment. The install sequences run it quietly before they install.
void DeletePrnDrvPnPDirectory(const RemovalContext& context, Reporting reporting = Reporting::AsForm);

// Uninstaller: removes "<drive>\NORVEX Printer Driver\<model>" and the maker
// directory above it when no other product is left in it.
void DeleteInstalledDirectory(const RemovalContext& context);

}  // namespace kvt::setup
