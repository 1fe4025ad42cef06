#include "Installer/KVT580duo_Installer/InstallerStartup.h"

#include "Installer/setup_common/ProductConfiguration.h"

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

}  // namespace kvt::installer
