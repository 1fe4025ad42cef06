// libFuzzer target of the installer's configuration lookup: the copy of
// "KVT580duo_Config.NVX" beside the installer and the one in the product
// folder hold the input (the first byte says which), and "PORTDLG" and "PORT"
// are read as the installer reads them, through the simulated profile
// service, into 256-byte buffers. The product record's number conversion
// reads the same bytes. Whatever the file holds, a value stays within its
// buffer and the port is one of the seven.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "Installer/KVT580duo_Installer/ConfigurationFile.h"
#include "Installer/KVT580duo_Installer/Port_Dlg.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "Installer/setup_common/SetupLog.h"
#include "platform/sim/Simulation.h"

namespace {

constexpr std::size_t kValueCapacity = 256;

kvt::sim::World WorldWithConfiguration(std::uint8_t where, std::string_view bytes) {
    kvt::sim::World world;
    world.files.ensureDirectory("C:\\Windows\\KVT-580duo");
    world.files.ensureDirectory("C:\\Setup");
    if ((where & 1) == 0) world.files.putFile("C:\\Setup\\KVT580duo_Config.NVX", std::string(bytes));
    if ((where & 3) != 0) world.files.putFile("C:\\Windows\\KVT-580duo\\KVT580duo_Config.NVX", std::string(bytes));
    return world;
}

void CheckValue(const std::optional<std::string>& value) {
    if (!value) return;
    if (value->size() >= kValueCapacity) std::abort();
    if (value->find('\0') != std::string::npos) std::abort();
    const int index = kvt::installer::PortIndexOfValue(std::string_view(*value));
    if (index < 0 || index >= kvt::installer::kPortCount) std::abort();
}

void CheckProductRecord(std::string_view bytes) {
    kvt::setup::LeadingDecimal(bytes);
    int number = 0;
    for (std::size_t i = 0; i < bytes.size() && i < sizeof number; ++i)
        number = static_cast<int>(static_cast<unsigned>(number) << 8 | static_cast<std::uint8_t>(bytes[i]));
    for (const auto program : {kvt::setup::SetupProgram::Installer, kvt::setup::SetupProgram::Uninstaller}) {
        const std::optional<std::string_view> entry = kvt::setup::ProductEntry(program, number);
        if (entry && entry->empty()) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    kvt::sim::Simulation sim(WorldWithConfiguration(data[0], bytes));
    kvt::ports::Platform platform = sim.platform();
    kvt::setup::SetupLog log(platform.files, platform.clock, kvt::setup::kInstallerLogFileName);
    log.InitLogFile();
    for (const std::string_view key : {kvt::installer::kPortDialogKey, kvt::installer::kPortKey})
        CheckValue(kvt::installer::GetDriverInfoFromFile(platform, log, kvt::installer::kConfigurationSection, key,
                                                         kValueCapacity));
    CheckProductRecord(bytes);
    return 0;
}
