#pragma once
// KVT580duo_DeviceRemoval.exe, the 64-bit program that removes the
// printer's USB device nodes for the 32-bit setup programs on 64-bit
// Windows, where setupapi refuses device removal to a WOW64 process. Both
// sides share what passes between them: the command line, which carries the
// hardware-id prefix, and the exit code, which carries the outcome.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/DeviceSetup.h"

namespace kvt::setup {

inline constexpr std::string_view kDeviceRemovalProgramFile = "KVT580duo_DeviceRemoval.exe";

// The outcome of a walk over the USB device nodes: `error` 0 when the walk
// reached the end of the list and released it, else the code of the call
// that stopped it; `removed` counts the nodes removed before that.
struct UsbNodeRemoval {
    std::uint32_t error = 0;
    std::uint32_t removed = 0;
};

// `"PROGRAM" "PREFIX"`: the program's full path as argv[0], then the prefix.
std::string DeviceRemovalCommandLine(std::string_view programPath, std::string_view prefix);
// The prefix of such a command line; nothing when there is no argument or
// it is empty (an empty prefix would match every USB device).
std::optional<std::string> DeviceRemovalPrefix(std::string_view commandLine);

// Exit codes: after a walk to the end, the number of nodes removed (capped
// at 0xFFFF); after a failure, its Windows error code as HRESULT_FROM_WIN32
// makes it (setupapi's own codes keep their form), so a failure always has
// the top bit set and can never read as a count.
std::uint32_t DeviceRemovalExitCode(const UsbNodeRemoval& outcome);
// The outcome an exit code stands for; `error` is the HRESULT form as it
// came (0xE0000235 for ERROR_IN_WOW64, 0x80070005 for access denied).
UsbNodeRemoval DeviceRemovalOutcome(std::uint32_t exitCode);

// The program's whole work: its command line in, its exit code out.
std::uint32_t RunDeviceRemoval(ports::DeviceSetup& devices, std::string_view commandLine);

}  // namespace kvt::setup
