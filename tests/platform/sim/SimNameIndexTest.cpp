// The simulated spooler and device setup find printers and device nodes
// through indexes rather than by scanning (a removal on a large system
// asks for every one of them). These tests change the lists the ways the
// programs do (deleting from the middle, renaming, restarting the spooler,
// removing devices while walking their list) and the ways only tests do
// (editing the world behind the index), and check that every name still
// finds its own object and that the order stays the system's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

namespace ds = ports::devsetup;
using ports::PrinterHandle;

constexpr int kPrinters = 30;

std::string Receipt(int number) { return "Receipt " + std::to_string(number); }

class SpoolerNameIndex : public ::testing::Test {
protected:
    void SetUp() override {
        sim.spooler().setPrinterInitialization(nullptr);
        ASSERT_TRUE(test::RegisterProduct(sim.spooler(), "Windows x64"));
        for (int i = 0; i < kPrinters; ++i) {
            PrinterHandle added;
            ASSERT_EQ(sim.spooler().addPrinter(test::ProductPrinter(Receipt(i)), added), err::Success);
            sim.spooler().closePrinter(added);
        }
    }

    static World Prepared() {
        World world = *FreshImage("win10-x64");
        test::StageProductFiles(world, "Windows x64");
        return world;
    }

    // What the printer opened by `name` says its name is; empty when it does not open.
    std::string OpenedName(const std::string& name) {
        PrinterHandle handle;
        if (sim.spooler().openPrinter(name, nullptr, handle) != err::Success) return {};
        ports::PrinterInfo2 info;
        sim.spooler().getPrinter(handle, info);
        sim.spooler().closePrinter(handle);
        return info.printerName;
    }

    bool Delete(const std::string& name) {
        PrinterHandle handle;
        if (sim.spooler().openPrinter(name, nullptr, handle) != err::Success) return false;
        const bool deleted = sim.spooler().deletePrinter(handle) == err::Success;
        sim.spooler().closePrinter(handle);
        return deleted;
    }

    std::vector<std::string> Enumerated() {
        std::vector<ports::PrinterInfo2> printers;
        EXPECT_EQ(sim.spooler().enumPrinters(ports::spool::EnumLocal, printers), err::Success);
        std::vector<std::string> names;
        for (const auto& p : printers) names.push_back(p.printerName);
        return names;
    }

    void RestartSpooler() {
        for (const char* verb : {"stop", "start"}) {
            ports::ProcessHandle process;
            ASSERT_EQ(sim.processes().startProcess(
                          {"C:\\Windows\\System32\\net.exe", std::string("net ") + verb + " spooler", true, {}},
                          process),
                      err::Success);
            sim.processes().closeProcess(process);
        }
    }

    Simulation sim{Prepared(), Bitness::x86};
};

TEST_F(SpoolerNameIndex, DeletingFromTheMiddleKeepsEveryOtherPrinterAndTheOrder) {
    std::vector<std::string> expected;
    for (int i = 0; i < kPrinters; ++i) {
        if (i % 3 == 1) {
            ASSERT_TRUE(Delete(Receipt(i))) << Receipt(i);
        } else {
            expected.push_back(Receipt(i));
        }
    }
    EXPECT_EQ(Enumerated(), expected);
    for (int i = 0; i < kPrinters; ++i) {
        const std::string upper = "RECEIPT " + std::to_string(i);
        EXPECT_EQ(OpenedName(upper), i % 3 == 1 ? "" : Receipt(i)) << upper;
    }
    // A deleted name can be used again; the new printer comes last.
    PrinterHandle added;
    ASSERT_EQ(sim.spooler().addPrinter(test::ProductPrinter(Receipt(1)), added), err::Success);
    sim.spooler().closePrinter(added);
    expected.push_back(Receipt(1));
    EXPECT_EQ(Enumerated(), expected);
    EXPECT_EQ(OpenedName("receipt 1"), Receipt(1));
}

TEST_F(SpoolerNameIndex, ARenamedPrinterAnswersToItsNewNameOnly) {
    PrinterHandle handle;
    const ports::PrinterDefaults administer{std::nullopt, ports::spool::PrinterAllAccess};
    ASSERT_EQ(sim.spooler().openPrinter(Receipt(7), &administer, handle), err::Success);
    ports::PrinterInfo2 info;
    ASSERT_EQ(sim.spooler().getPrinter(handle, info), err::Success);
    info.printerName = "Till 7";
    ASSERT_EQ(sim.spooler().setPrinter(handle, info), err::Success);
    // Only the case changes: the name is still taken by the same printer.
    info.printerName = "TILL 7";
    ASSERT_EQ(sim.spooler().setPrinter(handle, info), err::Success);
    sim.spooler().closePrinter(handle);

    EXPECT_EQ(OpenedName(Receipt(7)), "");
    EXPECT_EQ(OpenedName("till 7"), "TILL 7");
    EXPECT_EQ(OpenedName(Receipt(8)), Receipt(8));
    PrinterHandle again;
    EXPECT_EQ(sim.spooler().addPrinter(test::ProductPrinter("Till 7"), again), err::PrinterAlreadyExists);
    ASSERT_TRUE(Delete("Till 7"));
    EXPECT_EQ(Enumerated().size(), static_cast<std::size_t>(kPrinters - 1));
}

TEST_F(SpoolerNameIndex, ARestartedSpoolerFindsWhatItReadBack) {
    ASSERT_TRUE(Delete(Receipt(0)));
    RestartSpooler();
    EXPECT_EQ(OpenedName(Receipt(0)), "");
    EXPECT_EQ(OpenedName("receipt 29"), Receipt(29));
    ASSERT_TRUE(Delete(Receipt(15)));
    EXPECT_EQ(OpenedName(Receipt(16)), Receipt(16));
    EXPECT_EQ(Enumerated().size(), static_cast<std::size_t>(kPrinters - 2));
}

// --- Device nodes ---------------------------------------------------------------

std::string NodeId(int number) { return "USB\\VID_1000&PID_" + std::to_string(1000 + number) + "\\5&" + std::to_string(number); }

World NodesWorld(int count) {
    World world;
    for (int i = 0; i < count; ++i) world.devices.push_back(DeviceNode{"USB", NodeId(i), {NodeId(i) + "&REV_01"}, {}});
    return world;
}

// The first hardware id of list member `index`; empty when it cannot be read.
std::string FirstId(Simulation& sim, ports::DevInfoList list, std::uint32_t index) {
    ports::DeviceInfo device;
    if (sim.deviceSetup().enumDeviceInfo(list, index, device) != err::Success) return {};
    std::vector<std::uint8_t> data;
    std::uint32_t required = 0;
    if (sim.deviceSetup().getDeviceRegistryProperty(list, device, ds::SpdrpHardwareId, 256, data, required) !=
        err::Success)
        return {};
    return std::string(reinterpret_cast<const char*>(data.data()));
}

TEST(DeviceNameIndex, RemovingWhileWalkingLeavesTheLaterMembersReadable) {
    constexpr int kNodes = 24;
    Simulation sim(NodesWorld(kNodes), Bitness::x64);  // a WOW64 process may not remove devices
    ports::DevInfoList list;
    ASSERT_EQ(sim.deviceSetup().getClassDevs("usb", ds::DigcfAllClasses, list), err::Success);
    for (std::uint32_t i = 0; i < kNodes; ++i) {
        ASSERT_EQ(FirstId(sim, list, i), NodeId(static_cast<int>(i)) + "&REV_01") << i;
        if (i % 4 != 2) continue;
        ports::DeviceInfo device;
        ASSERT_EQ(sim.deviceSetup().enumDeviceInfo(list, i, device), err::Success);
        ASSERT_EQ(sim.deviceSetup().removeDevice(list, device), err::Success) << i;
    }
    EXPECT_EQ(sim.world().devices.size(), static_cast<std::size_t>(kNodes - kNodes / 4));
    for (std::uint32_t i = 0; i < kNodes; ++i)
        EXPECT_EQ(FirstId(sim, list, i), i % 4 == 2 ? "" : NodeId(static_cast<int>(i)) + "&REV_01") << i;
}

TEST(DeviceNameIndex, NodesChangedBehindTheIndexAreStillFoundOrMissedRightly) {
    Simulation sim(NodesWorld(6), Bitness::x64);
    ports::DevInfoList list;
    ASSERT_EQ(sim.deviceSetup().getClassDevs("USB", ds::DigcfAllClasses, list), err::Success);
    ASSERT_EQ(FirstId(sim, list, 5), NodeId(5) + "&REV_01");  // the index is built

    auto& devices = sim.world().devices;
    devices.erase(devices.begin() + 1);
    devices.insert(devices.begin(), DeviceNode{"USB", "USB\\ROOT_HUB20\\4&1", {"USB\\ROOT_HUB20"}, {}});
    devices[4].hardwareIds = {"USB\\CHANGED"};  // was node 4

    EXPECT_EQ(FirstId(sim, list, 0), NodeId(0) + "&REV_01");
    EXPECT_EQ(FirstId(sim, list, 1), "") << "removed behind the index";
    EXPECT_EQ(FirstId(sim, list, 4), "USB\\CHANGED");
    EXPECT_EQ(FirstId(sim, list, 5), NodeId(5) + "&REV_01");
}

}  // namespace
}  // namespace kvt::sim
