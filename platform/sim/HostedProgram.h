#pragma once
// A program that whoever composes the simulation brings along: the
// simulation knows nothing of it but its file name, its bitness and its
// entry point. Started through the process port, it runs at once as another
// process (OtherProcess.h) of its own bitness over the same computer, and
// its exit code is what the entry point returns.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/ports/Platform.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {

// CreateProcess of a 64-bit image on 32-bit Windows.
inline constexpr std::uint32_t kBadExeFormat = 193;  // ERROR_BAD_EXE_FORMAT

struct HostedProgram {
    std::string fileName;  // matched against the started application's file name, in any case
    Bitness bitness = Bitness::x86;
    std::uint64_t runMs = 0;  // virtual time the run takes
    std::function<std::uint32_t(ports::Platform& platform, std::string_view commandLine)> main;
};

// Registers `program` with the simulation's process port.
void AddHostedProgram(Simulation& sim, HostedProgram program);

}  // namespace kvt::sim
