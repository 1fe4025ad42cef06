#include "Installer/setup_common/UninstallInfo.h"

#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/MachineKeyDeletion.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

constexpr std::string_view kUninstallKeys = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr std::size_t kConfiguredKeyCapacity = 520;
constexpr std::uint32_t kReadWrite = reg::Read | reg::Write;

}  // namespace

int DeleteUninstallationInfo(const RemovalContext& context, std::string_view modelName) {
    LogStepBegin(context, "DeleteUninstallationInfo");

    BoundedText key(kRemovalBufferCapacity);
    key.assign(kUninstallKeys);
    key.append(context.entry(removal_entry::MakerName));
    key.append("_");
    key.append(modelName);
    if (context.form.logsUninstallKey) context.log.WriteLog("RegKey : %s", key.view());

    if (!DeleteMachineKey(context, key.view())) return 0;
    LogStepEnd(context, "DeleteUninstallationInfo");
    return 1;
}

void DeleteUninstallInfoFromReg(const RemovalContext& context) {
    LogStepBegin(context, "DeleteUninstallInfoFromReg");

    BoundedText key(kConfiguredKeyCapacity);
    key.assign(context.entry(removal_entry::UninstallKey));
    context.log.WriteLog("REGKEY : %s", key.view());

    ports::Registry& registry = context.platform.registry;
    const std::uint32_t access = kReadWrite | (context.wow64 != 0 ? reg::Wow64_64Key : 0);
    ports::RegKey opened;
    if (registry.openKey(ports::hkey::LocalMachine, key.view(), access, opened) == 0) {
        DeleteMachineKey(context, key.view());
        registry.closeKey(opened);
    }

    LogStepEnd(context, "DeleteUninstallInfoFromReg");
}

}  // namespace kvt::setup
