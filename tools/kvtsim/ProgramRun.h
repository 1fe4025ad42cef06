#pragma once
// The runner behind `kvtsim run`, shared with the scenario tests: it places
// the driver package into a system image, builds the simulated Windows with
// the scripted answers in place of the user, runs a setup program to its end
// and collects the result (program, exit code, image afterwards, log,
// transcript, virtual time).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/World.h"

namespace kvt::kvtsim {

// What the user would have answered (kvtsim's answers file).
struct RunAnswers {
    std::optional<std::string> portDialog;  // a port text or "cancel"; nothing: "Next"
    std::vector<sim::MessageBoxAnswer> messageBoxes;
    nlohmann::json uninstall;  // the uninstaller's check-list answers; null when absent
    // The program's command line after its name (kvtsim's --args); empty:
    // the interactive program. A quiet command line makes the run one
    // without a person: the answers above are then not used.
    std::string args;
};

// Reads an answers document. Nothing, and `problem` as "JSON_PATH: reason",
// when a field the runner uses has the wrong form; unknown fields are
// ignored.
std::optional<RunAnswers> ParseAnswers(const nlohmann::json& document, std::string& problem);
// Reads `file` ("-" reads `stdinStream`); `errorLine` is "FILE: JSON_PATH: reason".
std::optional<RunAnswers> LoadAnswersFile(const std::string& file, std::istream& stdinStream,
                                          std::string& errorLine);

// The package as the build assembles it (dist/ of the build tree).
std::filesystem::path DefaultPackageDirectory();

// Copies every file below `packageDirectory` into the image's current
// directory, keeping the folder structure; a file the image already holds
// there stays as it is. False, with `problem`, when the folder cannot be
// read or a name cannot be a Windows path.
bool PlacePackage(sim::World& world, const std::filesystem::path& packageDirectory, std::string& problem);

struct ProgramRun {
    std::optional<std::uint32_t> exitCode;  // empty when the program did not end
    sim::World after;                       // the image afterwards
    nlohmann::json result;                  // kvtsim's result document
};

// Lets a caller change the simulation before the program starts (tests plan
// faults with it).
using RunPreparation = std::function<void(sim::Simulation&)>;

// Runs the installer, as the shipped 32-bit program, on an image that holds
// the package already.
ProgramRun RunInstaller(sim::World world, const RunAnswers& answers, const RunPreparation& prepare = {});

// How a program's flow ended: its exit code (empty when the program did not
// end) and the path of the log it wrote (empty when it wrote none).
struct FlowEnd {
    std::optional<std::uint32_t> exitCode;
    std::string logPath;
};
// The installer's flow alone, in a simulation built for the 32-bit program:
// what RunInstaller does between building the simulation and collecting
// the result (the benchmarks time just this).
FlowEnd RunInstallerFlow(sim::Simulation& sim, const RunAnswers& answers);
// The image afterwards and kvtsim's result document of a flow that ran in `sim`.
ProgramRun CollectRun(const sim::Simulation& sim, std::string_view program, const FlowEnd& end);

// The programs `kvtsim run` knows, by name. A program whose runner is not
// there yet is listed without one.
struct RunnableProgram {
    std::string_view name;
    ProgramRun (*run)(sim::World world, const RunAnswers& answers, const RunPreparation& prepare);
};
const std::vector<RunnableProgram>& RunnablePrograms();
const RunnableProgram* FindRunnableProgram(std::string_view name);

}  // namespace kvt::kvtsim
