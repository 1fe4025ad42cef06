#include "tools/kvtsim/DeviceRemovalHost.h"

#include <string>

#include "Installer/setup_common/DeviceRemovalProgram.h"
#include "platform/sim/HostedProgram.h"

namespace kvt::kvtsim {

void HostDeviceRemovalProgram(sim::Simulation& sim, sim::Bitness bitness, std::uint64_t runMs) {
    sim::AddHostedProgram(sim, {std::string(setup::kDeviceRemovalProgramFile), bitness, runMs,
                                [](ports::Platform& platform, std::string_view commandLine) {
                                    return setup::RunDeviceRemoval(platform.devices, commandLine);
                                }});
}

}  // namespace kvt::kvtsim
