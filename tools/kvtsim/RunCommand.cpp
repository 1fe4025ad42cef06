// kvtsim run installer|uninstaller --system FILE [--args TEXT] [--answers FILE] [--package DIR] [--out FILE]
//                                  [--format json|text]
#include <optional>
#include <string>

#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/KvtsimCli.h"
#include "tools/kvtsim/PackagePublisher.h"
#include "tools/kvtsim/ProgramReport.h"
#include "tools/kvtsim/ProgramRun.h"
#include "tools/kvtsim/RunResult.h"

namespace kvt::kvtsim {
namespace {

std::string ProgramNames() {
    std::string names;
    for (const RunnableProgram& program : RunnablePrograms())
        names += (names.empty() ? "" : " or ") + std::string(program.name);
    return names;
}

std::optional<std::string> Option(CommandLine& line, const std::string& name) {
    auto it = line.options.find(name);
    if (it == line.options.end()) return std::nullopt;
    return it->second;
}

}  // namespace

int RunRunCommand(const std::vector<std::string>& args, KvtsimIo& io) {
    std::string problem;
    auto line = ParseCommandLine(args, {"system", "args", "answers", "package", "out", "format"}, problem);
    if (!line) return UsageError(io.err, "run: " + problem);
    if (line->positional.size() != 1) return UsageError(io.err, "run: name the program: " + ProgramNames());
    const RunnableProgram* program = FindRunnableProgram(line->positional[0]);
    if (program == nullptr)
        return UsageError(io.err, "run: unknown program \"" + line->positional[0] + "\" (programs: " +
                                      ProgramNames() + ")");
    if (program->run == nullptr)
        return UsageError(io.err, "run: the " + std::string(program->name) + " is not built yet");

    const std::optional<std::string> systemFile = Option(*line, "system");
    if (!systemFile) return UsageError(io.err, "run: --system FILE is required");
    const std::string format = Option(*line, "format").value_or("json");
    if (format != "json" && format != "text")
        return UsageError(io.err, "run: --format must be json or text, not \"" + format + "\"");
    const std::optional<std::string> answersFile = Option(*line, "answers");
    if (answersFile && *answersFile == "-" && *systemFile == "-")
        return UsageError(io.err, "run: --system and --answers cannot both read standard input");

    sim::World world;
    std::string errorLine;
    if (!sim::LoadSystemImageFile(*systemFile, io.in, world, errorLine)) return UsageError(io.err, errorLine);

    RunAnswers answers;
    if (answersFile) {
        auto loaded = LoadAnswersFile(*answersFile, io.in, errorLine);
        if (!loaded) return UsageError(io.err, errorLine);
        answers = std::move(*loaded);
    }

    answers.args = Option(*line, "args").value_or("");

    const std::optional<std::string> packageOption = Option(*line, "package");
    const std::filesystem::path package = packageOption ? std::filesystem::path(*packageOption)
                                                        : DefaultPackageDirectory();
    if (!PlacePackage(world, package, problem)) return UsageError(io.err, problem);
    // An image that says nothing of its Trusted Publishers is a company
    // computer that got the package's certificate, as `image` makes one;
    // "trustedPublishers": [] is one that trusts nobody.
    if (!world.extra.contains("trustedPublishers")) TrustPackagePublisher(world, package);

    const ProgramRun run = program->run(std::move(world), answers, {});
    const std::string text = format == "text" ? ProgramRunText(run.result) : run.result.dump(2) + "\n";
    if (!WriteOutput(text, Option(*line, "out"), io.out, problem)) return UsageError(io.err, "run: " + problem);
    return kExitOk;
}

}  // namespace kvt::kvtsim
