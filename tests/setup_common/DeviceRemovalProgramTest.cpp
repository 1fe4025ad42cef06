// What passes between the setup programs and the device removal program:
// the prefix on its command line and the outcome in its exit code.
#include "Installer/setup_common/DeviceRemovalProgram.h"

#include <gtest/gtest.h>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"

namespace kvt::setup {
namespace {

TEST(DeviceRemovalCommandLine, CarriesThePrefixWhateverThePathHolds) {
    const std::string line =
        DeviceRemovalCommandLine("C:\\Program Files\\KVT 580\\KVT580duo_DeviceRemoval.exe", "USB\\Vid_2E9C&Pid_000b");
    EXPECT_EQ(DeviceRemovalPrefix(line), "USB\\Vid_2E9C&Pid_000b");
    struct Row {
        const char* line;
        std::optional<std::string> prefix;
    };
    const Row rows[] = {
        {"helper.exe USB\\Vid_1&Pid_2", "USB\\Vid_1&Pid_2"},
        {"\"C:\\a b\\helper.exe\"   \"USB\\V\"", "USB\\V"},
        {"\"C:\\a b\\helper.exe\" \"\"", std::nullopt},
        {"\"C:\\a b\\helper.exe\"  ", std::nullopt},
        {"helper.exe", std::nullopt},
    };
    for (const Row& row : rows) EXPECT_EQ(DeviceRemovalPrefix(row.line), row.prefix) << row.line;
}

// A failure keeps the top bit, so no count of removed nodes reads as one.
TEST(DeviceRemovalExitCode, TellsCountsFromFailures) {
    struct Row {
        UsbNodeRemoval outcome;
        std::uint32_t exitCode;
        UsbNodeRemoval read;
    };
    const Row rows[] = {
        {{0, 0}, 0, {0, 0}},
        {{0, 3}, 3, {0, 3}},
        {{0, 0x12345}, 0xFFFF, {0, 0xFFFF}},
        {{err::InWow64, 2}, 0xE0000235, {0xE0000235, 0}},
        {{err::AccessDenied, 0}, 0x80070005, {0x80070005, 0}},
        {{err::InvalidParameter, 0}, 0x80070057, {0x80070057, 0}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DeviceRemovalExitCode(row.outcome), row.exitCode) << row.exitCode;
        const UsbNodeRemoval read = DeviceRemovalOutcome(row.exitCode);
        EXPECT_EQ(read.error, row.read.error) << row.exitCode;
        EXPECT_EQ(read.removed, row.read.removed) << row.exitCode;
    }
}

// Without a prefix the program removes nothing: an empty one would match
// every USB device of the computer.
TEST(RunDeviceRemoval, RemovesTheMatchingNodesAndRefusesAMissingPrefix) {
    sim::World world = *sim::FreshImage("win10-x64");
    world.devices.clear();
    world.devices.push_back({"USB", "A", {"USB\\VID_2E9C&PID_000B&REV_0100"}, {}});
    world.devices.push_back({"USB", "B", {"USB\\VID_1A2C&PID_0E24"}, {}});
    sim::Simulation sim(std::move(world), sim::Bitness::x64);

    EXPECT_EQ(RunDeviceRemoval(sim.deviceSetup(), "helper.exe \"\""), 0x80070057u);
    EXPECT_EQ(sim.world().devices.size(), 2u);
    EXPECT_EQ(RunDeviceRemoval(sim.deviceSetup(), "helper.exe \"USB\\Vid_2E9C&Pid_000b\""), 1u);
    ASSERT_EQ(sim.world().devices.size(), 1u);
    EXPECT_EQ(sim.world().devices[0].instanceId, "B");
    EXPECT_EQ(RunDeviceRemoval(sim.deviceSetup(), "helper.exe \"USB\\Vid_2E9C&Pid_000b\""), 0u);
}

}  // namespace
}  // namespace kvt::setup
