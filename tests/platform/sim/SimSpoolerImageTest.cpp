// The spooler's registry keys as its only persistent store: restarts, system
// images, and the default device mode's bytes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/pe/PeImage.h"
#include "platform/sim/SystemModules.h"
#include "platform/ports/WinCodes.h"
#include "platform/sim/DevModeBlob.h"
#include "platform/sim/FreshImage.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::sim {
namespace {

using nlohmann::json;

constexpr const char* kImageX64 = "Windows x64";

void RunNetCommand(Simulation& sim, const char* verb) {
    ports::ProcessHandle process;
    ASSERT_EQ(sim.processes().startProcess(
                  {"C:\\Windows\\System32\\net.exe", std::string("net ") + verb + " spooler", true, {}}, process),
              err::Success);
    sim.processes().waitForProcess(process, 0xFFFFFFFF);  // net ends when the service has stopped
    sim.processes().closeProcess(process);
}

// A system with the product registered and one printer with data and jobs.
World InstalledWorld() {
    World world = *FreshImage("win10-x64");
    test::StageProductFiles(world, kImageX64);
    Simulation sim(std::move(world), Bitness::x86);
    sim.spooler().setPrinterInitialization(nullptr);
    EXPECT_TRUE(test::RegisterProduct(sim.spooler(), kImageX64));
    ports::PrinterHandle printer;
    EXPECT_EQ(sim.spooler().addPrinter(test::ProductPrinter("Receipt"), printer), err::Success);
    EXPECT_EQ(sim.spooler().setPrinterData(printer, "MajorVersion", {reg::TypeDword, {3, 0, 0, 0}}), err::Success);
    EXPECT_EQ(sim.spooler().addForm(printer, {0, "Roll [580duo]", 80000, 297000, 0, 0, 80000, 297000}), err::Success);
    sim.world().spooler.jobs["Receipt"] = {5, 6};
    return sim.snapshot();
}

// ---------------------------------------------------------------- restarts

struct DeletedKeyCase {
    const char* name;
    std::string key;  // below HKLM, as the removal's fallbacks name it
    std::function<bool(SimSpooler&)> present;
};

bool HasPrinter(SimSpooler& spooler) {
    std::vector<ports::PrinterInfo2> printers;
    return spooler.enumPrinters(ports::spool::EnumLocal, printers) == err::Success && printers.size() == 1;
}

bool HasDriver(SimSpooler& spooler) {
    std::vector<ports::DriverInfo3> drivers;
    return spooler.enumPrinterDrivers(std::string(kImageX64), drivers) == err::Success && drivers.size() == 1;
}

bool HasProcessor(SimSpooler& spooler) {
    std::vector<std::string> names;
    return spooler.enumPrintProcessors(std::string(kImageX64), names) == err::Success && names.size() == 2;
}

// The monitor in use refuses deletion while the spooler knows it.
bool HasMonitor(SimSpooler& spooler) {
    return spooler.deleteMonitor(std::nullopt, test::kMonitorName) == err::PrintMonitorInUse;
}

class SimSpoolerRestartTest : public ::testing::TestWithParam<DeletedKeyCase> {};

TEST_P(SimSpoolerRestartTest, AKeyDeletedBehindTheSpoolersBackCountsAfterTheNextStart) {
    Simulation sim(InstalledWorld(), Bitness::x86);
    ASSERT_TRUE(GetParam().present(sim.spooler()));
    // As the removal's fallback deletes it.
    ASSERT_EQ(sim.registry().shDeleteKey(ports::hkey::LocalMachine, GetParam().key), err::Success);
    EXPECT_TRUE(GetParam().present(sim.spooler())) << "the running spooler still holds it";
    RunNetCommand(sim, "stop");
    EXPECT_FALSE(GetParam().present(sim.spooler())) << "stopped: 1722";
    RunNetCommand(sim, "start");
    EXPECT_FALSE(GetParam().present(sim.spooler())) << "gone after the restart";
}

const std::string kPrint = "SYSTEM\\CurrentControlSet\\Control\\Print\\";

INSTANTIATE_TEST_SUITE_P(
    Rows, SimSpoolerRestartTest,
    ::testing::Values(
        DeletedKeyCase{"printer", kPrint + "Printers\\Receipt", HasPrinter},
        DeletedKeyCase{"driver", kPrint + "Environments\\Windows x64\\Drivers\\Version-3\\NORVEX KVT-580duo",
                       HasDriver},
        DeletedKeyCase{"print_processor",
                       kPrint + "Environments\\Windows x64\\Print Processors\\NVX PRINT PROCESSOR KVT580duo",
                       HasProcessor},
        DeletedKeyCase{"monitor", kPrint + "Monitors\\NVX Language Monitor KVT580duo", HasMonitor}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SimSpoolerRestart, APrinterWhoseKeyWentLosesItsSpoolFilesAtTheNextStart) {
    Simulation sim(InstalledWorld(), Bitness::x86);
    ASSERT_EQ(sim.registry().shDeleteKey(ports::hkey::LocalMachine, kPrint + "Printers\\Receipt"), err::Success);
    EXPECT_TRUE(sim.world().spooler.jobs.contains("Receipt"));
    RunNetCommand(sim, "stop");
    RunNetCommand(sim, "start");
    EXPECT_FALSE(sim.world().spooler.jobs.contains("Receipt"));
    EXPECT_EQ(sim.spooler().memory()->printers.size(), 0u);
}

TEST(SimSpoolerRestart, AChangeWhileRunningRewritesTheWholeObject) {
    Simulation sim(InstalledWorld(), Bitness::x86);
    ASSERT_EQ(sim.registry().shDeleteKey(ports::hkey::LocalMachine, kPrint + "Printers\\Receipt"), err::Success);
    ports::PrinterHandle printer;
    const ports::PrinterDefaults administer{std::nullopt, ports::spool::PrinterAllAccess};
    ASSERT_EQ(sim.spooler().openPrinter(std::string("Receipt"), &administer, printer), err::Success);
    ASSERT_EQ(sim.spooler().setPrinterData(printer, "MinorVersion", {reg::TypeDword, {4, 0, 0, 0}}), err::Success);
    RunNetCommand(sim, "stop");
    RunNetCommand(sim, "start");
    ASSERT_EQ(sim.spooler().memory()->printers.size(), 1u);
    EXPECT_EQ(sim.spooler().memory()->printers[0].driver, test::kDriverName);
    EXPECT_EQ(sim.spooler().memory()->printers[0].data.size(), 2u);
}

// ---------------------------------------------------------------- images

TEST(SimSpoolerImage, SaveLoadSaveIsIdenticalWithPrintersDriversAndForms) {
    const World installed = InstalledWorld();
    const std::string first = SaveImage(installed).dump(2);
    World loaded;
    auto error = ParseImageText(first, loaded);
    ASSERT_FALSE(error) << error->jsonPath << ": " << error->reason;
    EXPECT_EQ(SaveImage(loaded).dump(2), first);

    const json saved = json::parse(first);
    const json& spooler = saved["spooler"];
    ASSERT_EQ(spooler["printers"].size(), 1u);
    EXPECT_EQ(spooler["printers"][0]["driver"], test::kDriverName);
    EXPECT_EQ(spooler["printers"][0]["jobs"], json::array({5, 6}));
    EXPECT_EQ(spooler["printers"][0]["data"]["MajorVersion"]["data"], 3);
    EXPECT_EQ(spooler["printers"][0]["devmode"]["paperSize"], 9);
    ASSERT_EQ(spooler["drivers"].size(), 1u);
    EXPECT_EQ(spooler["drivers"][0]["dependentFiles"].size(), 6u);
    EXPECT_EQ(spooler["monitors"].size(), 2u);
    EXPECT_EQ(spooler["printProcessors"].size(), 3u);
    EXPECT_EQ(spooler["forms"].back()["name"], "Roll [580duo]");

    // What the next program finds through the spooler is what the first left.
    Simulation next(std::move(loaded), Bitness::x86);
    ports::PrinterHandle printer;
    ASSERT_EQ(next.spooler().openPrinter(std::string("Receipt"), nullptr, printer), err::Success);
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    EXPECT_EQ(next.spooler().getPrinterData(printer, "MajorVersion", 4, value, needed), err::Success);
    std::vector<std::uint32_t> jobs;
    EXPECT_EQ(next.spooler().enumJobs(printer, 0, 1000, jobs), err::Success);
    EXPECT_EQ(jobs, (std::vector<std::uint32_t>{5, 6}));
}

TEST(SimSpoolerImage, TheRegistrySectionDoesNotRepeatTheSpoolersKeys) {
    World world = InstalledWorld();
    // What the spooler section cannot say stays in the registry section.
    RegistryKeyRecord& printerKey = world.registry.ensure(PrinterKeyPath("Receipt"));
    printerKey.values.emplace_back("ChangeID", ports::RegValue{reg::TypeDword, {1, 0, 0, 0}});
    world.registry.ensure(PrinterKeyPath("Receipt") + "\\DsSpooler");

    const json saved = SaveImage(world);
    std::vector<std::string> printKeys;
    for (const auto& entry : saved["registry"]) {
        const std::string key = entry["key"];
        if (key.rfind(std::string(kPrintKey), 0) == 0) printKeys.push_back(key.substr(kPrintKey.size()));
    }
    EXPECT_EQ(printKeys, (std::vector<std::string>{
                             "\\Environments\\Windows NT x86", "\\Environments\\Windows NT x86\\Drivers\\Version-3",
                             "\\Environments\\Windows x64", "\\Printers\\Receipt", "\\Printers\\Receipt\\DsSpooler"}));
    for (const auto& entry : saved["registry"]) {
        if (entry["key"] == std::string(PrinterKeyPath("Receipt"))) {
            EXPECT_EQ(entry["values"], json({{"ChangeID", {{"type", "REG_DWORD"}, {"data", 1}}}}));
        }
    }

    World loaded;
    ASSERT_FALSE(LoadImage(saved, loaded));
    EXPECT_EQ(SaveImage(loaded), saved);
    const RegistryKeyRecord* reloaded = loaded.registry.find(PrinterKeyPath("Receipt"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->values.size(), printerKey.values.size());
}

TEST(SimSpoolerImage, UnknownFieldsLiveInTheKeysAndSurviveTheSpoolersChanges) {
    const json image = json::parse(R"({
      "os": { "is64Bit": false },
      "spooler": {
        "ports": [ "COM1:" ],
        "monitors": [ { "name": "M", "dll": "m.dll", "vendor": { "id": 7 } } ],
        "printProcessors": [ { "name": "WinPrint", "dll": "winprint.dll", "note": "p" } ],
        "drivers": [ { "name": "D", "driverPath": "d.dll", "note": "d" } ],
        "printers": [ { "name": "R", "driver": "D", "port": "COM1:", "printProcessor": "WinPrint",
                        "note": "r", "data": { "X": { "type": "REG_BINARY", "data": "00", "note": "x" } },
                        "devmode": { "copies": 2, "note": "dm" } } ] } })");
    World world;
    ASSERT_FALSE(LoadImage(image, world));
    // The spooler starts with the print processor only when its DLL loads.
    world.files.putFile(world.windowsDirectory + "\\System32\\spool\\prtprocs\\W32X86\\winprint.dll",
                        SystemDll("winprint.dll", pe::kMachineI386));
    Simulation sim(std::move(world), Bitness::x86);
    std::vector<ports::DriverInfo3> drivers;
    ASSERT_EQ(sim.spooler().enumPrinterDrivers(std::nullopt, drivers), err::Success);
    EXPECT_EQ(drivers.size(), 1u) << "an omitted environment is the system's own";
    ports::PrinterHandle printer;
    const ports::PrinterDefaults administer{std::nullopt, ports::spool::PrinterAllAccess};
    ASSERT_EQ(sim.spooler().openPrinter(std::string("R"), &administer, printer), err::Success);
    ports::PrinterInfo2 info;
    ASSERT_EQ(sim.spooler().getPrinter(printer, info), err::Success);
    info.comment = "front desk";
    ASSERT_EQ(sim.spooler().setPrinter(printer, info), err::Success);

    const json saved = SaveImage(sim.snapshot());
    const json& s = saved["spooler"];
    EXPECT_EQ(s["monitors"][0]["vendor"]["id"], 7);
    EXPECT_EQ(s["monitors"][0]["environment"], "Windows NT x86");
    EXPECT_EQ(s["printProcessors"][0]["note"], "p");
    EXPECT_EQ(s["drivers"][0]["note"], "d");
    EXPECT_EQ(s["printers"][0]["note"], "r");
    EXPECT_EQ(s["printers"][0]["comment"], "front desk");
    EXPECT_EQ(s["printers"][0]["data"]["X"]["note"], "x");
    EXPECT_EQ(s["printers"][0]["devmode"]["note"], "dm");
    EXPECT_EQ(s["printers"][0]["devmode"]["copies"], 2);
}

// ---------------------------------------------------------------- device mode bytes

TEST(DevModeBlob, EncodesThePublicFieldsAndReadsThemBack) {
    DevModeRecord devmode;
    devmode.copies = 3;
    devmode.color = 2;
    devmode.defaultSource = -7;
    devmode.formName = "Roll 80 x 297 mm [580duo]";
    devmode.paperSize = 256;
    devmode.paperWidth = 800;
    devmode.paperLength = 32767;
    const std::vector<std::uint8_t> bytes = EncodeDevMode(devmode, "A printer name longer than thirty-one characters");
    ASSERT_EQ(bytes.size(), kDevModeSize);
    EXPECT_EQ(bytes[68] | bytes[69] << 8, 220) << "dmSize";
    EXPECT_EQ(bytes[86] | bytes[87] << 8, 3) << "dmCopies";
    EXPECT_EQ(bytes[2 * 30], 'r') << "the device name keeps 31 characters";
    EXPECT_EQ(bytes[2 * 31], 0);
    auto decoded = DecodeDevMode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->copies, 3);
    EXPECT_EQ(decoded->color, 2);
    EXPECT_EQ(decoded->defaultSource, -7);
    EXPECT_EQ(decoded->formName, devmode.formName);
    EXPECT_EQ(decoded->paperSize, 256);
    EXPECT_EQ(decoded->paperWidth, 800);
    EXPECT_EQ(decoded->paperLength, 32767);
}

TEST(DevModeBlob, RefusesBytesThatCannotHoldADeviceMode) {
    std::vector<std::uint8_t> bytes = EncodeDevMode(DevModeRecord{}, "P");
    EXPECT_FALSE(DecodeDevMode(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 100)));
    std::vector<std::uint8_t> lying = bytes;
    lying[70] = 16;  // dmDriverExtra: private bytes that are not there
    EXPECT_FALSE(DecodeDevMode(lying));
    lying[70] = 0;
    lying.resize(lying.size() + 16);
    lying[70] = 16;
    EXPECT_TRUE(DecodeDevMode(lying)) << "private driver bytes after the public part";
    DevModeRecord tooMany;
    tooMany.copies = 40000;
    ASSERT_TRUE(CheckDevMode(tooMany));
    EXPECT_EQ(CheckDevMode(tooMany)->field, "copies");
    EXPECT_FALSE(CheckDevMode(DevModeRecord{}));
}

}  // namespace
}  // namespace kvt::sim
