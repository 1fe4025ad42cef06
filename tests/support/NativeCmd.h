#pragma once
// The full path by which a 32-bit program starts the system's own cmd.exe:
// Sysnative on 64-bit Windows, where System32 leads to the 32-bit one.
#include <string>

#include "platform/sim/World.h"

namespace kvt::test {

inline std::string NativeCmdOf32BitProgram(const sim::World& world) {
    return world.os.is64Bit ? "C:\\Windows\\Sysnative\\cmd.exe" : "C:\\Windows\\System32\\cmd.exe";
}

}  // namespace kvt::test
