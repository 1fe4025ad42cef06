#include "tests/reliability/SweepScenarios.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "Installer/setup_common/RegistryHelpers.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/setup_common/removal/InstalledProduct.h"
#include "tests/support/InstallerRuns.h"
#include "tools/kvtsim/UninstallerRun.h"

namespace kvt::test {
namespace {

using setup::TextValue;

// Beside the other makers' things of SystemBeforeProduct: another program's
// uninstall entry in both registry views, another language monitor and print
// processor, another user's file in C:\Temp, another NORVEX product's folder,
// files and folders under the product's names at the root of the drive, and
// the rest of the built package (the uninstaller and the configuration file)
// in C:\Setup.
sim::World ForeignSystem(const std::string& os) {
    sim::World world = SystemBeforeProduct(os);
    for (const char* view : {"HKLM\\SOFTWARE\\", "HKLM\\SOFTWARE\\WOW6432Node\\"}) {
        sim::RegistryKeyRecord& entry =
            world.registry.ensure(std::string(view) + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\Harbor Label 200");
        entry.values.emplace_back("DisplayName", TextValue("Harbor Label 200 Driver"));
        entry.values.emplace_back("UninstallString", TextValue("C:\\Program Files\\Harbor\\unsetup.exe"));
    }
    const std::string environment = world.os.is64Bit ? "Windows x64" : "Windows NT x86";
    const std::string processors = world.os.is64Bit ? "x64" : "W32X86";
    sim::WriteMonitorKey(world.registry, {"Harbor Language Monitor", environment, "HARBORLM.dll", {}});
    sim::WritePrintProcessorKey(world.registry, {"Harbor Processor", environment, "HARBORPP.dll", {}});
    world.files.putFile(world.windowsDirectory + "\\System32\\HARBORLM.dll", "Harbor monitor");
    world.files.putFile(world.windowsDirectory + "\\System32\\spool\\prtprocs\\" + processors + "\\HARBORPP.dll",
                        "Harbor processor");
    world.files.putFile("C:\\Temp\\harbor-setup.log", "another program's log");
    world.files.putFile("C:\\NORVEX Printer Driver\\KVT-100\\KVT100.txt", "another NORVEX product");
    // What a path built on a directory the system did not give would reach:
    // the user's own files under the product's names at the root of the drive.
    for (const char* name : {"KVT580D.dll", "KVT580D.GPD", "KVT580D.BUD", "UI580D.dll", "UNI580D.dll", "UI580D.INI",
                             "MON580D.dll", "PRO580D.dll", "UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",
                             "STDNAMES.GPD", "KVT580duo_Config.NVX"}) {
        world.files.putFile(std::string("C:\\") + name, std::string("the user's ") + name);
        world.files.putFile(std::string("C:\\3\\") + name, std::string("the user's ") + name);
    }
    world.files.putFile("C:\\KVT-580duo\\notes.txt", "the user's unpacked driver");
    world.files.putFile("C:\\norvexkvt_580duoaed9\\notes.txt", "the user's folder");
    world.files.putFile("C:\\inf\\oem5.inf", "the user's INF");
    std::string problem;
    EXPECT_TRUE(kvtsim::PlacePackage(world, kvtsim::DefaultPackageDirectory(), problem)) << problem;
    return world;
}

// The product installed (InstalledProduct.h: two printers, one with jobs,
// "[580duo]" forms, INF copies, device nodes and keys, package folders, the
// uninstall entry) beside the foreign things.
sim::World InstalledSystem(const std::string& os) { return InstallProduct(ForeignSystem(os)); }

// The same with the printers telling an older build, 3.4.2.0.
sim::World OlderVersionInstalled(const std::string& os) {
    sim::World world = InstalledSystem(os);
    const std::string environment = world.os.is64Bit ? "Windows x64" : "Windows NT x86";
    for (sim::PrinterRecord printer : sim::ReadSpoolerObjects(world.registry, environment).printers) {
        if (printer.driver != kProductDriver) continue;
        for (auto& [name, value] : printer.data)
            if (name == "BuildVersion") value = ports::RegValue{reg::TypeDword, {2, 0, 0, 0}};
        sim::WritePrinterKey(world.registry, printer);
    }
    return world;
}

kvtsim::RunAnswers InstallAnswers(const char* port) { return Answers(std::string(port)); }

kvtsim::RunAnswers UninstallAnswers(std::vector<std::string> uncheck) {
    kvtsim::RunAnswers answers;
    answers.uninstall = {{"uncheck", uncheck}, {"action", "uninstall"}};
    answers.messageBoxes.push_back({std::string("Restart the computer"), ports::MessageAnswer::No});
    return answers;
}

sim::World BuildStart(const SweepScenario& scenario) {
    if (scenario.kind == "install") return ForeignSystem(scenario.os);
    if (scenario.kind == "reinstall") {
        const SweepScenario* first = nullptr;
        for (const SweepScenario& other : SweepScenarios())
            if (other.os == scenario.os && other.kind == "install") first = &other;
        const kvtsim::ProgramRun installed = RunProgram(*first, StartOf(*first), {});
        EXPECT_EQ(installed.exitCode, 0u) << scenario.name();
        return installed.after;
    }
    if (scenario.kind == "version replacement") return OlderVersionInstalled(scenario.os);
    return InstalledSystem(scenario.os);
}

}  // namespace

std::string SweepScenario::identifier() const {
    std::string id = name();
    for (char& c : id)
        if (!(std::isalnum(static_cast<unsigned char>(c)))) c = '_';
    return id;
}

const std::vector<SweepScenario>& SweepScenarios() {
    static const std::vector<SweepScenario> scenarios = [] {
        std::vector<SweepScenario> list;
        for (const char* os : {"xp-x86", "win10-x64"}) {
            auto add = [&](const char* kind, SetupProgram program, kvtsim::RunAnswers answers) {
                list.push_back(SweepScenario{static_cast<int>(list.size()) + 1, os, kind, program, std::move(answers)});
            };
            add("install", SetupProgram::Installer, InstallAnswers("COM2"));
            add("reinstall", SetupProgram::Installer, InstallAnswers("COM3"));
            add("version replacement", SetupProgram::Installer, InstallAnswers("LPT1"));
            add("uninstall all", SetupProgram::Uninstaller, UninstallAnswers({}));
            add("uninstall some", SetupProgram::Uninstaller, UninstallAnswers({"Receipt 2"}));
        }
        return list;
    }();
    return scenarios;
}

const sim::World& StartOf(const SweepScenario& scenario) {
    static std::recursive_mutex guard;
    static std::map<int, sim::World> built;
    std::lock_guard lock(guard);
    auto it = built.find(scenario.number);
    if (it == built.end()) it = built.emplace(scenario.number, BuildStart(scenario)).first;
    return it->second;
}

kvtsim::ProgramRun RunProgram(const SweepScenario& scenario, sim::World world, const kvtsim::RunPreparation& prepare) {
    if (scenario.program == SetupProgram::Installer) return kvtsim::RunInstaller(std::move(world), scenario.answers, prepare);
    return kvtsim::RunUninstaller(std::move(world), scenario.answers, prepare);
}

}  // namespace kvt::test
