// kvtsim startup installer|uninstaller --system FILE [--out FILE] [--format json|text]
#include <optional>
#include <string>

#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/KVT580duo_Installer/InstallerStartup.h"
#include "Installer/setup_common/SetupStartup.h"
#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/KvtsimCli.h"
#include "tools/kvtsim/RunResult.h"

namespace kvt::kvtsim {
namespace {

// Runs the start-up of the program's main window; the program stays running.
void RunStartup(sim::Simulation& sim, setup::SetupProgram program, setup::SetupLog& log) {
    ports::Platform platform = sim.platform();
    if (program == setup::SetupProgram::Installer) {
        installer::InstallEngine engine(platform, log);
        installer::StartInstaller(platform, log, engine);
    } else {
        setup::StartSetupProgram(platform, log);
    }
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
    auto program = name == "installer" ? setup::SetupProgram::Installer : setup::SetupProgram::Uninstaller;
    sim::Simulation sim(std::move(world), sim::Bitness::x86);
    ports::Platform platform = sim.platform();
    setup::SetupLog log(platform.files, platform.clock, setup::LogFileName(program));
    std::optional<std::uint32_t> exitCode;
    try {
        RunStartup(sim, program, log);
    } catch (const sim::ProcessExited& exited) {
        exitCode = exited.code;
    }

    nlohmann::json result = RunResultJson(sim, name, exitCode, log.path());
    std::string text = format == "text" ? RunResultText(result) : result.dump(2) + "\n";
    std::optional<std::string> outFile;
    if (line->options.count("out")) outFile = line->options["out"];
    if (!WriteOutput(text, outFile, io.out, problem)) return UsageError(io.err, "startup: " + problem);
    return kExitOk;
}

}  // namespace kvt::kvtsim
