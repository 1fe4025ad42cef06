// The sweep's judgement of a run: a change to anything not the product's is
// seen, a change to the product's own objects is not; a run that ends without
// the program's own words, without ending its process or by an exception is
// caught. Without these the sweep could pass by seeing nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/SpoolerKeys.h"
#include "tests/reliability/ProductObjects.h"
#include "tests/reliability/RunPromises.h"
#include "tests/reliability/SweepScenarios.h"

namespace kvt::test {
namespace {

const SweepScenario& Scenario(const std::string& name) {
    for (const SweepScenario& scenario : SweepScenarios())
        if (scenario.name() == name) return scenario;
    throw std::logic_error("no scenario " + name);
}

struct EditRow {
    const char* name;
    bool foreign;  // whether the edit touches something not the product's
    std::function<void(sim::World&)> edit;
    friend void PrintTo(const EditRow& row, std::ostream* out) { *out << row.name; }
};

const std::string kPrinters = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
const std::string kEnvironment = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\";

void EraseForm(sim::World& world, std::string_view name) {
    std::erase_if(world.spooler.forms, [&](const sim::FormRecord& form) { return form.name == name; });
}

const std::vector<EditRow>& Edits() {
    static const std::vector<EditRow> rows{
        // Not the product's.
        {"OtherProgramsLogInTemp", true, [](sim::World& w) { w.files.eraseFile("C:\\Temp\\harbor-setup.log"); }},
        {"OtherMakersInfCopy", true, [](sim::World& w) { w.files.eraseFile("C:\\Windows\\inf\\oem0.inf"); }},
        {"SameMakersOtherModelInf", true,
         [](sim::World& w) { w.files.putFile("C:\\Windows\\inf\\oem1.inf", "changed"); }},
        {"OtherDriversFile", true,
         [](sim::World& w) { w.files.eraseFile("C:\\Windows\\System32\\spool\\drivers\\W32X86\\3\\HARBORDRV.DLL"); }},
        {"OtherPrinterNamedLikeTheModel", true, [](sim::World& w) { w.registry.eraseTree(kPrinters + "KVT-580duo Counter"); }},
        {"OtherPrintersJob", true, [](sim::World& w) { w.spooler.jobs["Shop Label"].clear(); }},
        {"OtherPrintersPort", true,
         [](sim::World& w) {
             w.registry.find(kPrinters + "Shop Label")->values.emplace_back(
                 "Port", ports::RegValue{reg::TypeSz, {'C', 'O', 'M', '4', ':', 0}});
         }},
        {"UserForm", true, [](sim::World& w) { EraseForm(w, "Label 4x6"); }},
        {"BuiltInForm", true, [](sim::World& w) { EraseForm(w, "A4"); }},
        {"OtherUsbDevice", true,
         [](sim::World& w) {
             std::erase_if(w.devices, [](const sim::DeviceNode& d) { return d.instanceId == "USB\\VID_2E9C&PID_000C\\7&1"; });
         }},
        {"OtherDeviceKeysProtection", true,
         [](sim::World& w) {
             w.registry.find("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HARBORLABEL200")->isProtected = false;
         }},
        {"OtherUninstallEntryIn32BitView", true,
         [](sim::World& w) {
             w.registry.eraseTree(
                 "HKLM\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Harbor Label 200");
         }},
        {"OtherMonitor", true,
         [](sim::World& w) {
             w.registry.eraseTree("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Harbor Language Monitor");
         }},
        {"OtherDriver", true, [](sim::World& w) { w.registry.eraseTree(kEnvironment + "Drivers\\Version-3\\Harbor Label 200"); }},
        {"SameMakersOtherProductFolder", true,
         [](sim::World& w) { w.files.eraseDirectory("C:\\NORVEX Printer Driver\\KVT-100"); }},
        {"ProductNamedFileAtTheDriveRoot", true, [](sim::World& w) { w.files.eraseFile("C:\\KVT580D.dll"); }},
        {"ProductNamedFolderAtTheDriveRoot", true, [](sim::World& w) { w.files.eraseDirectory("C:\\KVT-580duo"); }},
        {"PackageInTheCurrentDirectory", true, [](sim::World& w) { w.files.eraseFile("C:\\Setup\\kvt580d.inf"); }},
        {"EmptyFolderOfAnother", true, [](sim::World& w) { w.files.ensureDirectory("C:\\Program Files\\Harbor\\Empty"); }},
        {"SystemPort", true, [](sim::World& w) { w.spooler.ports.pop_back(); }},
        {"SpoolerServiceLeftStopped", true, [](sim::World& w) { w.spooler.running = false; }},
        // The product's own.
        {"OwnPrinterAndItsJobs", false,
         [](sim::World& w) {
             w.registry.eraseTree(kPrinters + "NORVEX KVT-580duo");
             w.spooler.jobs.erase("NORVEX KVT-580duo");
         }},
        {"OwnSecondPrinter", false, [](sim::World& w) { w.registry.eraseTree(kPrinters + "Receipt 2"); }},
        {"OwnForms", false,
         [](sim::World& w) {
             EraseForm(w, "Roll 80 x 200 [580duo]");
             EraseForm(w, "Roll 58 x 100 [580duo]");
         }},
        {"OwnInfCopy", false,
         [](sim::World& w) {
             w.files.eraseFile("C:\\Windows\\inf\\oem5.inf");
             w.files.eraseFile("C:\\Windows\\inf\\oem5.PNF");
         }},
        {"OwnUsbDevices", false,
         [](sim::World& w) {
             std::erase_if(w.devices, [](const sim::DeviceNode& d) { return d.instanceId.find("PID_000B") != std::string::npos; });
         }},
        {"OwnKeys", false,
         [](sim::World& w) {
             w.registry.eraseTree("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NORVEX_KVT-580duo");
             w.registry.eraseTree("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\NORVEXKVT-580duo");
             w.registry.eraseTree("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\NVX Language Monitor KVT580duo");
             w.registry.eraseTree(kEnvironment + "Print Processors\\NVX PRINT PROCESSOR KVT580duo");
             w.registry.eraseTree(kEnvironment + "Drivers\\Version-3\\NORVEX KVT-580duo");
         }},
        {"OwnFolders", false,
         [](sim::World& w) {
             w.files.eraseDirectory("C:\\Windows\\KVT-580duo");
             w.files.eraseDirectory("C:\\Windows\\System32\\spool\\drivers\\W32X86\\norvexkvt_580duoaed9");
         }},
        {"OwnFilesAndLeftovers", false,
         [](sim::World& w) {
             w.files.eraseFile("C:\\Windows\\System32\\spool\\drivers\\W32X86\\3\\UNIDRV.DLL");
             w.files.eraseFile("C:\\Windows\\System32\\MON580D.dll");
             w.files.putFile("C:\\Windows\\KVT580D.dll.old", "moved aside");
             w.files.putFile("C:\\Temp\\KVT-580duo_UnInstaller.txt", "log");
             w.files.putFile("C:\\Windows\\System32\\framedyn.dll", "lent");
         }},
        {"RestartAsked", false, [](sim::World& w) { w.restart = sim::RestartRecord{6, 0}; }},
    };
    return rows;
}

class ProductObjectsJudgement : public ::testing::TestWithParam<EditRow> {};

TEST_P(ProductObjectsJudgement, SeesChangesToWhatIsNotTheProducts) {
    const EditRow& row = GetParam();
    const sim::World& start = StartOf(Scenario("xp-x86 uninstall all"));
    sim::World edited = start;
    row.edit(edited);
    const ProductObjects product(start, {&edited});
    const std::vector<std::string> changes = ForeignChanges(start, edited, product);
    if (row.foreign) EXPECT_FALSE(changes.empty());
    else EXPECT_TRUE(changes.empty()) << ::testing::PrintToString(changes);
}

INSTANTIATE_TEST_SUITE_P(Edits, ProductObjectsJudgement, ::testing::ValuesIn(Edits()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ProductObjectsJudgement, AFileTheSystemHadIsNotLentAway) {
    sim::World start = StartOf(Scenario("xp-x86 install"));
    start.files.putFile("C:\\Windows\\System32\\framedyn.dll", "the system's own");
    sim::World after = start;
    after.files.eraseFile("C:\\Windows\\System32\\framedyn.dll");
    EXPECT_FALSE(ForeignChanges(start, after, ProductObjects(start, {&after})).empty());
}

// A run whose end is changed afterwards, as a program with that fault would
// have ended.
struct EndingRow {
    const char* name;
    std::function<void(FaultedRun&)> spoil;
    const char* promise;
    friend void PrintTo(const EndingRow& row, std::ostream* out) { *out << row.name; }
};

class RunPromisesJudgement : public ::testing::TestWithParam<EndingRow> {};

TEST_P(RunPromisesJudgement, CatchesARunThatBreaksOne) {
    const SweepScenario& scenario = Scenario("xp-x86 uninstall some");
    const FaultedRun unfaulted = RunWithFaults(scenario, {}, {});
    ASSERT_TRUE(unfaulted.run);
    ASSERT_TRUE(BrokenPromises(scenario, unfaulted, unfaulted).empty());
    FaultedRun spoiled = unfaulted;
    GetParam().spoil(spoiled);
    const std::vector<std::string> broken = BrokenPromises(scenario, unfaulted, spoiled);
    ASSERT_FALSE(broken.empty());
    EXPECT_NE(broken.front().find(GetParam().promise), std::string::npos) << broken.front();
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RunPromisesJudgement,
    ::testing::Values(
        EndingRow{"Silent",
                  [](FaultedRun& run) {
                      nlohmann::json kept = nlohmann::json::array();
                      for (const auto& event : run.run->result["transcript"])
                          if (event["event"] != "stepText" && event["event"] != "messageBox") kept.push_back(event);
                      run.run->result["transcript"] = kept;
                  },
                  "ended silently"},
        EndingRow{"WindowLeftOpen", [](FaultedRun& run) { run.run->exitCode.reset(); }, "did not end"},
        EndingRow{"OtherExitCode", [](FaultedRun& run) { run.run->exitCode = 3; }, "exit code 3"},
        EndingRow{"Escaped",
                  [](FaultedRun& run) {
                      run.run.reset();
                      run.escaped = "exception: vector::at";
                  },
                  "escaped the program"},
        EndingRow{"ForeignChange",
                  [](FaultedRun& run) { run.run->after.files.eraseFile("C:\\Temp\\harbor-setup.log"); },
                  "not own"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kvt::test
