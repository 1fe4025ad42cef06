#pragma once
// KVT580duo_DeviceRemoval.exe on the simulated computer: the simulation
// knows nothing of it, so the runner hands it the program, the same core
// that the Windows build runs, as a 64-bit process.
#include <cstdint>

#include "platform/sim/Simulation.h"

namespace kvt::kvtsim {

// Virtual time one run of the device removal program takes.
inline constexpr std::uint64_t kDeviceRemovalRunMs = 400;

// Registers the device removal program with `sim`'s process port, as a
// program of `bitness` (x64 as it is built; tests may choose x86 to see the
// refusal a 32-bit build would meet).
void HostDeviceRemovalProgram(sim::Simulation& sim, sim::Bitness bitness = sim::Bitness::x64,
                              std::uint64_t runMs = kDeviceRemovalRunMs);

}  // namespace kvt::kvtsim
