#pragma once
// Pieces of the installer's start-up that NVXPOS_InstallerDlg::OnInitDialog
// uses: the version line of the progress window and the spooler's grace time.
#include <cstdint>
#include <string>

namespace kvt::installer {

// "Driver Version: V3.4.3"; the fourth number is never shown.
std::string DriverVersionText();

}  // namespace kvt::installer
