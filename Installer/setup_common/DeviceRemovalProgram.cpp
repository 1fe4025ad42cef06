#include "Installer/setup_common/DeviceRemovalProgram.h"

#include <algorithm>

#include "Installer/setup_common/DeviceCleanup.h"
#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

constexpr std::uint32_t kFailureBit = 0x80000000;
constexpr std::uint32_t kWin32Facility = 0x80070000;  // FACILITY_WIN32 with the failure bit
constexpr std::uint32_t kMaxCount = 0xFFFF;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One argument as the C runtime splits a command line, for the plain cases
// this program's own command lines use: quoted (no quote inside) or a run
// of non-blanks. `rest` moves past it.
std::string_view NextArgument(std::string_view& rest) {
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) return {};
    std::size_t end = 0;
    std::string_view argument;
    if (rest.front() == '"') {
        end = rest.find('"', 1);
        argument = rest.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
        end = end == std::string_view::npos ? rest.size() : end + 1;
    } else {
        end = std::min(rest.find_first_of(" \t"), rest.size());
        argument = rest.substr(0, end);
    }
    rest.remove_prefix(end);
    return argument;
}

}  // namespace

std::string DeviceRemovalCommandLine(std::string_view programPath, std::string_view prefix) {
    std::string line = "\"";
    line += programPath;
    line += "\" \"";
    line += prefix;
    line += '"';
    return line;
}

std::optional<std::string> DeviceRemovalPrefix(std::string_view commandLine) {
    NextArgument(commandLine);  // the program itself
    const std::string_view prefix = NextArgument(commandLine);
    if (prefix.empty()) return std::nullopt;
    return std::string(prefix);
}

std::uint32_t DeviceRemovalExitCode(const UsbNodeRemoval& outcome) {
    if (outcome.error == 0) return std::min(outcome.removed, kMaxCount);
    if ((outcome.error & kFailureBit) != 0) return outcome.error;
    return kWin32Facility | (outcome.error & 0xFFFF);
}

UsbNodeRemoval DeviceRemovalOutcome(std::uint32_t exitCode) {
    if ((exitCode & kFailureBit) != 0) return {exitCode, 0};
    return {0, exitCode};
}

std::uint32_t RunDeviceRemoval(ports::DeviceSetup& devices, std::string_view commandLine) {
    const std::optional<std::string> prefix = DeviceRemovalPrefix(commandLine);
    if (!prefix) return DeviceRemovalExitCode({err::InvalidParameter, 0});
    return DeviceRemovalExitCode(RemoveUsbDeviceNodes(devices, *prefix));
}

}  // namespace kvt::setup
