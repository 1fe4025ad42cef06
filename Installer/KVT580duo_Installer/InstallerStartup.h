#pragma once
// The piece of the installer's start-up that NVXPOS_InstallerDlg::OnInitDialog
// uses: the version line of the progress window (the spooler's grace time
// is in the table of SetupPauses.h).
#include <string>

namespace kvt::installer {

// "Driver Version: V3.4.3"; the fourth number is never shown.
std::string DriverVersionText();

}  // namespace kvt::installer
