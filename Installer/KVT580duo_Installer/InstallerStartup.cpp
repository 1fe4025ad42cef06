#include "Installer/KVT580duo_Installer/InstallerStartup.h"

#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/SpoolerService.h"

namespace kvt::installer {

std::string DriverVersionText() {
    using setup::ProductEntry;
    using setup::SetupProgram;
    namespace entry = setup::entry;
    std::string text = "Driver Version: V";
    text += ProductEntry(SetupProgram::Installer, entry::MajorVersion).value_or("");
    text += ".";
    text += ProductEntry(SetupProgram::Installer, entry::MinorVersion).value_or("");
    text += ".";
    text += ProductEntry(SetupProgram::Installer, entry::BuildVersion).value_or("");
    return text;
}

InstallerStartup StartInstaller(ports::Platform& platform, setup::SetupLog& log, InstallEngine& engine) {
    InstallerStartup startup;
    startup.facts = setup::StartSetupProgram(platform, log);
    engine.SetSystemInfo(startup.facts.wow64, startup.facts.osCode);
    startup.versionText = DriverVersionText();
    setup::NetStartSpooler(platform);
    platform.clock.sleep(kSpoolerStartWaitMs);
    return startup;
}

}  // namespace kvt::installer
