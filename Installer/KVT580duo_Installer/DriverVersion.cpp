#include "Installer/KVT580duo_Installer/DriverVersion.h"

#include "Installer/setup_common/DriverPresence.h"
#include "Installer/setup_common/ProductConfiguration.h"

namespace kvt::installer {
namespace {

std::string Entry(int number) {
    return std::string(setup::ProductEntry(setup::SetupProgram::Installer, number).value_or(std::string_view()));
}

}  // namespace

InstallEngine::InstallEngine(ports::Platform& platform, setup::SetupLog& log)
    : platform_(platform),
      log_(log),
      makerName_(Entry(setup::entry::MakerName)),
      driverName_(Entry(setup::entry::DriverName)),
      infName_(Entry(setup::entry::InfFileName)),
      languageMonitorDll_(Entry(setup::entry::LanguageMonitorDll)),
      languageMonitorName_(Entry(setup::entry::LanguageMonitorName)),
      printProcessorDll_(Entry(setup::entry::PrintProcessorDll)),
      printProcessorName_(Entry(setup::entry::PrintProcessorName)),
      driverDll_(Entry(setup::entry::DriverDll)),
      uiPluginDll_(Entry(setup::entry::UiPluginDll)),
      secondDriverDll_(Entry(setup::entry::SecondDriverDll)) {}

void InstallEngine::SetSystemInfo(int wow64, int osCode) {
    log_.WriteLog("\r\n");
    log_.WriteLog("SetSystemInfo BEGIN");

    wow64_ = wow64;
    osCode_ = osCode;
    // The installer is a 32-bit program; on 64-bit Windows it installs the
    // 64-bit driver all the same.
    if (wow64 != 0) {
        environment_ = std::string(kEnvironmentX64);
        packageFolder_ = std::string(kPackageFolderX64);
    } else {
        environment_ = std::string(kEnvironmentX86);
        packageFolder_ = std::string(kPackageFolderX86);
    }

    log_.WriteLog("ENV : %s, DRV DIR : %s ", environment_, packageFolder_);
    log_.WriteLog("SetSystemInfo END");
}

void InstallEngine::SetControlPointers(ports::SetupWindow& window) {
    log_.WriteLog("\r\n");
    log_.WriteLog("SetControlPointers BEGIN");
    window_ = &window;
    log_.WriteLog("SetControlPointers END");
}

int InstallEngine::PrinterDrvExist(std::string_view driverName) {
    // The installer's own environment, "Windows NT x86" also on 64-bit
    // Windows: there a 64-bit-only driver leads to a full installation.
    return setup::PrinterDrvExist(platform_, log_, driverName, window_, std::nullopt);
}

setup::RemovalContext InstallEngine::RemovalContextFor(const setup::RemovalForm& form) {
    return setup::RemovalContext{
        .platform = platform_,
        .spooler = platform_.spooler,
        .devices = platform_.devices,
        .window = *window_,
        .log = log_,
        .wow64 = wow64_,
        .osCode = osCode_,
        .form = form,
        .failedExitCode = ExitCodeOf(setup::RunOutcome::Failed),
    };
}

const std::string& InstallEngine::LoadEntry(int number) {
    scratch_ = Entry(number);
    return scratch_;
}

}  // namespace kvt::installer
