// What the simulated spooler refuses while a removal runs: printers that
// outlive DeletePrinter, modules the running service holds, a stop that
// takes time. (The removal's own tests show the device keys that only SYSTEM
// deletes and the stop that never comes.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

using ports::PrinterHandle;

constexpr const char* kMonitorPath = "C:\\Windows\\System32\\MON580D.dll";
constexpr const char* kPluginPath = "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\UI580D.DLL";

World RemovalWorld() {
    World world = *FreshImage("win10-x64");
    test::StageProductFiles(world, "Windows x64");
    return world;
}

void NetCommand(Simulation& sim, const char* verb) {
    ports::ProcessHandle process;
    ASSERT_EQ(sim.processes().startProcess(
                  {"C:\\Windows\\System32\\net.exe", std::string("net ") + verb + " spooler", true, {}}, process),
              err::Success);
    sim.processes().closeProcess(process);
}

std::uint32_t ServiceState(Simulation& sim) {
    std::uint32_t state = 0;
    EXPECT_EQ(sim.processes().queryServiceState("Spooler", state), err::Success);
    return state;
}

class SpoolerRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        spooler.setPrinterInitialization(nullptr);
        ASSERT_TRUE(test::RegisterProduct(spooler, "Windows x64"));
    }

    void addClosed(const std::string& name, const char* port = "COM1:") {
        PrinterHandle handle;
        ASSERT_EQ(spooler.addPrinter(test::ProductPrinter(name, port), handle), err::Success);
        spooler.closePrinter(handle);
    }
    PrinterHandle open(const std::string& name) {
        PrinterHandle handle;
        EXPECT_EQ(spooler.openPrinter(name, nullptr, handle), err::Success) << name;
        return handle;
    }
    // The printer's status as EnumPrinters reports it; nothing when it is gone.
    std::optional<std::uint32_t> status(const std::string& name) {
        std::vector<ports::PrinterInfo2> printers;
        EXPECT_EQ(spooler.enumPrinters(ports::spool::EnumLocal, printers), err::Success);
        for (const auto& p : printers)
            if (p.printerName == name) return p.status;
        return std::nullopt;
    }
    void restart() {
        NetCommand(sim, "stop");
        sim.clock().advance(1000);
        NetCommand(sim, "start");
    }

    Simulation sim{RemovalWorld(), Bitness::x64};
    SimSpooler& spooler = sim.spooler();
};

TEST_F(SpoolerRemovalTest, APrinterWithJobsIsOnlyMarkedAndOutlivesRestartsUntilItsJobsAreGone) {
    addClosed("Receipt");
    sim.world().spooler.jobs["Receipt"] = {5, 6};
    PrinterHandle handle = open("Receipt");

    ASSERT_EQ(spooler.deletePrinter(handle), err::Success);
    spooler.closePrinter(handle);
    EXPECT_EQ(status("Receipt"), ports::spool::StatusPendingDeletion);
    EXPECT_EQ(spooler.openPrinter(std::string("Receipt"), nullptr, handle), err::PrinterDeleted);
    EXPECT_EQ(spooler.deletePrinterDriverEx(std::nullopt, test::kDriverName, 1, 3), err::PrinterDriverInUse);
    EXPECT_EQ(spooler.deleteMonitor(std::nullopt, test::kMonitorName), err::PrintMonitorInUse);

    restart();
    EXPECT_EQ(status("Receipt"), ports::spool::StatusPendingDeletion);
    EXPECT_EQ(sim.world().spooler.jobs["Receipt"], (std::vector<std::uint32_t>{5, 6}));

    sim.world().spooler.jobs.erase("Receipt");  // printed meanwhile
    restart();
    EXPECT_EQ(status("Receipt"), std::nullopt);
    EXPECT_EQ(sim.world().registry.find(PrinterKeyPath("Receipt")), nullptr);
}

TEST_F(SpoolerRemovalTest, APrinterGoesWithTheLastHandleThatHeldIt) {
    addClosed("Receipt");
    PrinterHandle other = open("Receipt");
    PrinterHandle deleting = open("Receipt");

    ASSERT_EQ(spooler.deletePrinter(deleting), err::Success);
    spooler.closePrinter(deleting);
    EXPECT_EQ(status("Receipt"), ports::spool::StatusPendingDeletion);
    spooler.closePrinter(other);
    EXPECT_EQ(status("Receipt"), std::nullopt);
}

TEST_F(SpoolerRemovalTest, APausedPrinterWithJobsRefusesDeletion) {
    addClosed("Receipt");
    PrinterRecord paused = spooler.memory()->printers[0];
    paused.status = ports::spool::StatusPaused;
    WritePrinterKey(sim.world().registry, paused);
    sim.world().spooler.jobs["Receipt"] = {9};
    restart();
    PrinterHandle handle = open("Receipt");

    EXPECT_EQ(spooler.deletePrinter(handle), err::AccessDenied);
    EXPECT_EQ(status("Receipt"), 0x1u);
}

TEST_F(SpoolerRemovalTest, AJobPrintingToAnOfflinePortStaysUntilThePortGivesUp) {
    addClosed("Counter", "LPT1:");
    sim.world().spooler.offlinePorts = {"LPT1:"};
    sim.world().spooler.jobs["Counter"] = {8, 9};
    PrinterHandle handle = open("Counter");

    EXPECT_EQ(spooler.setJob(handle, 8, ports::spool::JobControlDelete), err::Success);
    EXPECT_EQ(spooler.setJob(handle, 9, ports::spool::JobControlDelete), err::Success);
    EXPECT_EQ(sim.world().spooler.jobs["Counter"], std::vector<std::uint32_t>{8}) << "the job being printed stays";
    ASSERT_EQ(spooler.deletePrinter(handle), err::Success);
    spooler.closePrinter(handle);
    sim.clock().advance(89000);
    EXPECT_EQ(status("Counter"), ports::spool::StatusPendingDeletion);
    sim.clock().advance(1000);
    EXPECT_EQ(status("Counter"), std::nullopt);
}

TEST_F(SpoolerRemovalTest, TheRunningServiceHoldsTheModulesItLoadedUntilItHasStopped) {
    addClosed("Receipt");
    EXPECT_EQ(sim.files().deleteFile(kMonitorPath), err::AccessDenied);
    EXPECT_EQ(sim.files().deleteFile(kPluginPath), err::AccessDenied);
    EXPECT_EQ(ServiceState(sim), ports::service::Running);

    NetCommand(sim, "stop");
    EXPECT_EQ(ServiceState(sim), ports::service::StopPending);
    EXPECT_EQ(sim.files().deleteFile(kMonitorPath), err::AccessDenied);
    sim.clock().advance(1000);
    EXPECT_EQ(ServiceState(sim), ports::service::Stopped);
    EXPECT_EQ(sim.files().deleteFile(kMonitorPath), err::Success);
    EXPECT_EQ(sim.files().deleteFile(kPluginPath), err::Success);
}

}  // namespace
}  // namespace kvt::sim
