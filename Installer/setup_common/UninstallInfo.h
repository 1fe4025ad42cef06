#pragma once
// The driver's entry in the system's list of installed software. On 64-bit
// Windows it lives in the 64-bit registry view, where the installer wrote it.
#include <string_view>

#include "Installer/setup_common/RemovalContext.h"

namespace kvt::setup {

// Deletes "...\Uninstall\<maker>_<model>". 1 when it went; 0 when the
// deletion failed, which ends the step's log block without its END line.
int DeleteUninstallationInfo(const RemovalContext& context, std::string_view modelName);

// Uninstaller: deletes the configured uninstall key if it is still there.
void DeleteUninstallInfoFromReg(const RemovalContext& context);

}  // namespace kvt::setup
