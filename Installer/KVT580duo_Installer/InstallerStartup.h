#pragma once
// The installer's work while its "Installation Progress" window opens, before
// the worker starts: the log and the system facts, the driver environment and
// package folder, the version line, and the print spooler started.
#include <string>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/setup_common/SetupStartup.h"

namespace kvt::installer {

// The spooler service gets this long to come up before the worker starts.
inline constexpr std::uint32_t kSpoolerStartWaitMs = 2000;

struct InstallerStartup {
    setup::SystemFacts facts;
    std::string versionText;  // "Driver Version: V3.4.3"; the fourth number is never shown
};

std::string DriverVersionText();

InstallerStartup StartInstaller(ports::Platform& platform, setup::SetupLog& log, InstallEngine& engine);

}  // namespace kvt::installer
