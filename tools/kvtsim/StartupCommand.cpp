// kvtsim startup installer|uninstaller --system FILE [--out FILE] [--format json|text]
// Runs the program's OnInitDialog, the very start-up its window runs, and
// reports the log, the transcript and the image as the run command does.
#include <optional>
#include <string>
#include <string_view>

#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/KVT580duo_Installer/NVXPOS_InstallerDlg.h"
#include "Installer/KVT580duo_Uninstaller/NVXPOS_Uninstaller.h"
#include "Installer/KVT580duo_Uninstaller/NVXPOS_UninstallerDlg.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SimPortDialog.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/SimUninstallerWindow.h"
#include "tools/kvtsim/KvtsimCli.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tools/kvtsim/RunResult.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::kvtsim {
namespace {

// The main window's own initialisation, OnInitDialog of the program's dialog
// object; the program then stays running (no worker, no timer tick).
template <typename Dialog, typename... Controls>
FlowEnd RunOnInitDialog(sim::Simulation& sim, std::string_view programTitle, Controls&... controls) {
    ports::Platform platform = sim.platform();
    sim::SimSetupWindow window(sim, std::string(programTitle));
    Dialog flow(platform, window, controls...);
    FlowEnd end;
    try {
        flow.OnInitDialog();
    } catch (const sim::ProcessExited& exited) {
        end.exitCode = exited.code;
    }
    end.logPath = flow.log().path();
    return end;
}

FlowEnd RunStartup(sim::Simulation& sim, bool isInstaller) {
    if (isInstaller) {
        sim::SimPortDialog portDialog(sim, std::nullopt);
        return RunOnInitDialog<installer::NVXPOS_InstallerDlg>(sim, installer::kProgramTitle, portDialog);
    }
    sim::SimUninstallerWindow controls(sim);
    return RunOnInitDialog<uninstaller::NVXPOS_UninstallerDlg>(sim, uninstaller::kProgramTitle, controls);
}

}  // namespace

int RunStartupCommand(const std::vector<std::string>& args, KvtsimIo& io) {
    std::string problem;
    auto line = ParseCommandLine(args, {"system", "out", "format"}, problem);
    if (!line) return UsageError(io.err, "startup: " + problem);
    if (line->positional.size() != 1 || (line->positional[0] != "installer" && line->positional[0] != "uninstaller"))
        return UsageError(io.err, "startup: name the program: installer or uninstaller");
    if (!line->options.count("system")) return UsageError(io.err, "startup: --system FILE is required");
    std::string format = line->options.count("format") ? line->options["format"] : "json";
    if (format != "json" && format != "text")
        return UsageError(io.err, "startup: --format must be json or text, not \"" + format + "\"");

    sim::World world;
    std::string errorLine;
    if (!sim::LoadSystemImageFile(line->options["system"], io.in, world, errorLine))
        return UsageError(io.err, errorLine);

    const std::string& name = line->positional[0];
    ProductSimulation sim(std::move(world), sim::Bitness::x86);
    const FlowEnd end = RunStartup(sim, name == "installer");

    nlohmann::json result = RunResultJson(sim, name, end.exitCode, end.logPath);
    std::string text = format == "text" ? RunResultText(result) : result.dump(2) + "\n";
    std::optional<std::string> outFile;
    if (line->options.count("out")) outFile = line->options["out"];
    if (!WriteOutput(text, outFile, io.out, problem)) return UsageError(io.err, "startup: " + problem);
    return kExitOk;
}

}  // namespace kvt::kvtsim
