// The setup programs on grown systems, each run as kvtsim runs it: the whole
// program against the simulated Windows, from its start to its end, waits
// taking no real time. Each iteration runs on a fresh simulation of the
// grown system. Not timed: building that simulation (a copy of the system
// and the spooler's first start on it, which Windows did at boot), and
// kvtsim's result document (the image afterwards as JSON), which is the
// runner's output and not the program's work; it is built once, after the
// timed runs, for the run's check. A spooler restart that the program
// asks for is part of its run and is timed.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Installer/KVT580duo_Installer/InstalledVersion.h"
#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/KVT580duo_Installer/NVXPOS_InstallerDlg.h"
#include "Installer/setup_common/ProductConfiguration.h"
#include "benchmarks/BenchmarkSystems.h"
#include "platform/sim/SimPortDialog.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/SpoolerKeys.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tools/kvtsim/UninstallerRun.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::bench {
namespace {

constexpr const char* kWin10 = "win10-x64";
constexpr const char* kXp = "xp-x86";

using Flow = kvtsim::FlowEnd (*)(sim::Simulation&, const kvtsim::RunAnswers&);
// What a run must have done for its time to count; empty when it did.
using RunCheck = std::string (*)(const kvtsim::ProgramRun& run, std::size_t n);

std::size_t SizeOf(const benchmark::State& state) { return static_cast<std::size_t>(state.range(0)); }

kvtsim::RunAnswers InstallOnCom2() {
    kvtsim::RunAnswers answers;
    answers.portDialog = "COM2";
    answers.messageBoxes.push_back({"Restarting your computer", ports::MessageAnswer::No});
    return answers;
}

// Uninstall pressed with every printer of the list still chosen.
kvtsim::RunAnswers UninstallEverything() {
    kvtsim::RunAnswers answers;
    answers.uninstall = {{"action", "uninstall"}};
    answers.messageBoxes.push_back({"Restart the computer", ports::MessageAnswer::No});
    return answers;
}

std::string EndedWell(const kvtsim::ProgramRun& run) {
    if (run.exitCode != 0u) return "the program did not end with exit code 0";
    return {};
}

std::string RemovedEverything(const kvtsim::ProgramRun& run, std::size_t n) {
    if (std::string problem = EndedWell(run); !problem.empty()) return problem;
    const SystemCounts after = CountSystem(run.after), grown = ExpectedCounts(n);
    if (after.productPrinters != 0 || after.printers != grown.printers - grown.productPrinters)
        return "the uninstaller did not delete exactly the product's printers";
    if (after.productForms != 0 || after.productInfs != 0 || after.productDevices != 0)
        return "the uninstaller left forms, INF copies or devices of the product";
    if (after.userForms != grown.userForms - grown.productForms || after.usbDevices != grown.usbDevices - kProductUsbDevices)
        return "the uninstaller removed another maker's forms or devices";
    return {};
}

// The same version is installed, so the installer adds one printer and
// keeps everything else.
std::string AddedOnePrinter(const kvtsim::ProgramRun& run, std::size_t n) {
    if (std::string problem = EndedWell(run); !problem.empty()) return problem;
    const SystemCounts after = CountSystem(run.after);
    if (after.printers != n + 1 || after.productPrinters != ExpectedCounts(n).productPrinters + 1)
        return "the installer did not add exactly one printer of the product";
    return {};
}

std::string HandedPrinterToPrintUi(const kvtsim::ProgramRun& run, std::size_t n) {
    if (std::string problem = EndedWell(run); !problem.empty()) return problem;
    bool started = false;
    for (const auto& event : run.result["transcript"])
        if (event["event"] == "process" &&
            event["commandLine"].get<std::string>().find("printui.dll,PrintUIEntry /if") != std::string::npos)
            started = true;
    if (!started) return "the installer did not start printui";
    if (CountSystem(run.after).printers < n) return "the installer lost printers";
    return {};
}

std::string RemovedForRestart(const kvtsim::ProgramRun& run, std::size_t n) {
    if (std::string problem = RemovedEverything(run, n); !problem.empty()) return problem;
    if (!run.after.restart) return "the installer did not restart the system after removing the other version";
    return {};
}

void TimeRuns(benchmark::State& state, const sim::World& world, Flow flow, std::string_view program,
              const kvtsim::RunAnswers& answers, RunCheck check) {
    // One run before the timed ones, so that every size is measured with
    // the allocator's memory already in the process, not with the first
    // touch of it (which only the first run of the largest size would pay).
    std::optional<kvtsim::ProductSimulation> sim(std::in_place, world, sim::Bitness::x86);
    kvtsim::FlowEnd end = flow(*sim, answers);
    HeapPeak peak;
    for (auto _ : state) {
        state.PauseTiming();
        sim.reset();
        sim.emplace(world, sim::Bitness::x86);
        peak.start();
        state.ResumeTiming();
        end = flow(*sim, answers);
        state.PauseTiming();
        peak.stop();
        state.ResumeTiming();
    }
    const kvtsim::ProgramRun last = kvtsim::CollectRun(*sim, program, end);
    if (const std::string problem = check(last, SizeOf(state)); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    ReportCounters(state, SizeOf(state), peak);
}

void Uninstall(benchmark::State& state, const char* os) {
    if (const sim::World* world = CachedSystem(state, os, SizeOf(state)))
        TimeRuns(state, *world, kvtsim::RunUninstallerFlow, "uninstaller", UninstallEverything(), RemovedEverything);
}

void Install(benchmark::State& state, const char* os, RunCheck check) {
    if (const sim::World* world = CachedSystem(state, os, SizeOf(state)))
        TimeRuns(state, *world, kvtsim::RunInstallerFlow, "installer", InstallOnCom2(), check);
}

// The grown system with the product's printers recording an earlier build:
// the installer removes everything of the product and restarts.
const sim::World* OlderVersionSystem(benchmark::State& state, const char* os) {
    static std::map<std::pair<std::string, std::size_t>, sim::World> systems;
    const auto key = std::pair{std::string(os), SizeOf(state)};
    if (auto found = systems.find(key); found != systems.end()) return &found->second;
    const sim::World* grown = CachedSystem(state, os, SizeOf(state));
    if (grown == nullptr) return nullptr;
    sim::World older = *grown;
    const ports::RegValue build{reg::TypeDword, {2, 0, 0, 0}};
    for (const std::string& printer : older.registry.children(std::string(sim::kPrintKey) + "\\Printers"))
        if (sim::RegistryKeyRecord* data = older.registry.find(printer + "\\PrinterDriverData"))
            for (auto& [name, value] : data->values)
                if (name == "BuildVersion") value = build;
    return &systems.emplace(key, std::move(older)).first->second;
}

void InstallOverOlderVersion(benchmark::State& state, const char* os) {
    if (const sim::World* world = OlderVersionSystem(state, os))
        TimeRuns(state, *world, kvtsim::RunInstallerFlow, "installer", InstallOnCom2(), RemovedForRestart);
}

// The installer's CheckInstalledVersion alone, on a system with the same
// version: it only reads, so one simulated program serves every iteration.
void VersionCheck(benchmark::State& state, const char* os) {
    const sim::World* world = CachedSystem(state, os, SizeOf(state));
    if (world == nullptr) return;
    kvtsim::ProductSimulation sim(*world, sim::Bitness::x86);
    ports::Platform platform = sim.platform();
    sim::SimSetupWindow window(sim, std::string(installer::kProgramTitle));
    sim::SimPortDialog portDialog(sim, std::nullopt);
    installer::NVXPOS_InstallerDlg flow(platform, window, portDialog);
    HeapPeak peak;
    try {
        flow.OnInitDialog();
        if (installer::CompareInstalledDriverVersion(platform.spooler, setup::product::DriverName,
                                                     flow.engine().printProcessorName(),
                                                     setup::InstallerProductVersion()) != installer::installed::Same) {
            state.SkipWithError("the grown system does not record the product's version");
            return;
        }
        // The peak is taken on the first check: later ones find the log
        // that earlier ones wrote.
        bool first = true;
        for (auto _ : state) {
            if (first) peak.start();
            flow.CheckInstalledVersion();
            if (first) peak.stop();
            first = false;
        }
    } catch (const sim::ProcessExited&) {
        state.SkipWithError("the version check ended the program");
        return;
    }
    ReportCounters(state, SizeOf(state), peak);
}

// Machine references, not judged: the same grown systems handled by the
// simulated Windows alone, with no program of the product running. Copying
// the system is plain linear work over its memory; the spooler's start
// reads every printer, driver and monitor from the registry, as each
// restart that the setup programs ask for does. Their ratios show what the
// memory of this machine makes of ten times the data.
void ReferenceCopy(benchmark::State& state, const char* os) {
    const sim::World* world = CachedSystem(state, os, SizeOf(state));
    if (world == nullptr) return;
    HeapPeak peak;
    for (auto _ : state) {
        peak.start();
        sim::World copy = *world;
        benchmark::DoNotOptimize(copy);
        peak.stop();
        state.PauseTiming();
        { sim::World gone = std::move(copy); }
        state.ResumeTiming();
    }
    ReportCounters(state, SizeOf(state), peak);
}

void ReferenceSpoolerStart(benchmark::State& state, const char* os) {
    const sim::World* world = CachedSystem(state, os, SizeOf(state));
    if (world == nullptr) return;
    HeapPeak peak;
    std::optional<kvtsim::ProductSimulation> sim;
    for (auto _ : state) {
        state.PauseTiming();
        sim.reset();
        sim::World copy = *world;
        peak.start();
        state.ResumeTiming();
        sim.emplace(std::move(copy), sim::Bitness::x86);
        state.PauseTiming();
        peak.stop();
        state.ResumeTiming();
    }
    ReportCounters(state, SizeOf(state), peak);
}

}  // namespace

void RegisterSetupBenchmarks() {
    RegisterGrowing("Uninstall/win10-x64", [](benchmark::State& state) { Uninstall(state, kWin10); });
    RegisterGrowing("Uninstall/xp-x86", [](benchmark::State& state) { Uninstall(state, kXp); });
    RegisterGrowing("VersionCheck/win10-x64", [](benchmark::State& state) { VersionCheck(state, kWin10); });
    RegisterGrowing("Install/win10-x64",
                    [](benchmark::State& state) { Install(state, kWin10, HandedPrinterToPrintUi); });
    RegisterGrowing("Install/xp-x86", [](benchmark::State& state) { Install(state, kXp, AddedOnePrinter); });
    RegisterGrowing("InstallOverOlderVersion/win10-x64",
                    [](benchmark::State& state) { InstallOverOlderVersion(state, kWin10); });
    RegisterGrowing("Reference/SystemCopy/win10-x64", [](benchmark::State& state) { ReferenceCopy(state, kWin10); });
    RegisterGrowing("Reference/SpoolerStart/win10-x64",
                    [](benchmark::State& state) { ReferenceSpoolerStart(state, kWin10); });
}

}  // namespace kvt::bench
