#include "tools/kvtsim/ProgramRun.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/KVT580duo_Installer/NVXPOS_InstallerDlg.h"
#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/DeviceRemovalHost.h"
#include "platform/sim/SimPortDialog.h"
#include "tools/kvtsim/JsonInputFile.h"
#include "tools/kvtsim/UninstallerRun.h"
#include "tools/kvtsim/RunResult.h"

namespace kvt::kvtsim {
namespace {

constexpr std::size_t kMaxAnswersNesting = 64;

// The running copy that the image's "otherInstanceRunning" stands for: it
// has counted itself, and its window is only brought forward.
class SimInstanceRecord final : public installer::InstanceRecord {
public:
    explicit SimInstanceRecord(sim::Simulation& sim) : sim_(sim) {}

    long countThisStart() override { return sim_.world().otherInstanceRunning ? 2 : 1; }

    void bringForward(const std::array<std::string_view, 3>& titles) override {
        nlohmann::json searched = nlohmann::json::array();
        for (std::string_view title : titles) searched.push_back(title);
        sim_.transcript().add({{"event", "bringForward"}, {"titles", std::move(searched)}});
    }

private:
    sim::Simulation& sim_;
};

std::optional<ports::MessageAnswer> AnswerNamed(std::string_view name) {
    if (name == "ok") return ports::MessageAnswer::Ok;
    if (name == "yes") return ports::MessageAnswer::Yes;
    if (name == "no") return ports::MessageAnswer::No;
    if (name == "cancel") return ports::MessageAnswer::Cancel;
    return std::nullopt;
}

bool ParsePortDialog(const nlohmann::json& value, RunAnswers& answers, std::string& problem) {
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (text == sim::kPortDialogCancel || sim::PortDialogButtonIndex(text)) {
            answers.portDialog = text;
            return true;
        }
    }
    problem = "$.portDialog: must be one of COM1, COM2, COM3, COM4, LPT1, LPT2, USB or \"cancel\"";
    return false;
}

bool ParseMessageBox(const nlohmann::json& entry, const std::string& path, RunAnswers& answers,
                     std::string& problem) {
    if (!entry.is_object()) {
        problem = path + ": must be an object";
        return false;
    }
    sim::MessageBoxAnswer answer;
    if (auto it = entry.find("textContains"); it != entry.end()) {
        std::string reason;
        std::optional<std::string> text;
        if (it->is_string()) text = sim::Utf8ToAnsi(it->get<std::string>(), reason);
        else reason = "must be a string";
        if (!text) {
            problem = path + ".textContains: " + reason;
            return false;
        }
        answer.textContains = std::move(*text);
    }
    auto it = entry.find("answer");
    std::optional<ports::MessageAnswer> named;
    if (it != entry.end() && it->is_string()) named = AnswerNamed(it->get<std::string>());
    if (!named) {
        problem = path + ".answer: must be \"ok\", \"yes\", \"no\" or \"cancel\"";
        return false;
    }
    answer.answer = *named;
    answers.messageBoxes.push_back(std::move(answer));
    return true;
}

std::string WindowsRelativePath(const std::filesystem::path& relative) {
    std::string text;
    for (const auto& part : relative) text += (text.empty() ? "" : "\\") + part.string();
    return text;
}

}  // namespace

std::optional<RunAnswers> ParseAnswers(const nlohmann::json& document, std::string& problem) {
    if (!document.is_object()) {
        problem = "$: the answers must be an object";
        return std::nullopt;
    }
    RunAnswers answers;
    if (auto it = document.find("portDialog"); it != document.end() && !ParsePortDialog(*it, answers, problem))
        return std::nullopt;
    if (auto it = document.find("messageBoxes"); it != document.end()) {
        if (!it->is_array()) {
            problem = "$.messageBoxes: must be an array";
            return std::nullopt;
        }
        for (std::size_t i = 0; i < it->size(); ++i)
            if (!ParseMessageBox((*it)[i], "$.messageBoxes[" + std::to_string(i) + "]", answers, problem))
                return std::nullopt;
    }
    if (auto it = document.find("uninstall"); it != document.end()) {
        if (!it->is_object()) {
            problem = "$.uninstall: must be an object";
            return std::nullopt;
        }
        answers.uninstall = *it;
    }
    return answers;
}

std::optional<RunAnswers> LoadAnswersFile(const std::string& file, std::istream& stdinStream,
                                          std::string& errorLine) {
    const std::optional<nlohmann::json> document =
        ReadJsonInput(file, stdinStream, {"an answers file", kMaxAnswersNesting, std::nullopt}, errorLine);
    if (!document) return std::nullopt;
    std::string problem;
    auto answers = ParseAnswers(*document, problem);
    if (!answers) errorLine = file + ": " + problem;
    return answers;
}

std::filesystem::path DefaultPackageDirectory() { return std::filesystem::path(KVT_DIST_DIR); }

bool PlacePackage(sim::World& world, const std::filesystem::path& packageDirectory, std::string& problem) {
    std::error_code ec;
    if (!std::filesystem::is_directory(packageDirectory, ec)) {
        problem = packageDirectory.string() + ": the package folder does not exist";
        return false;
    }
    std::filesystem::recursive_directory_iterator it(
        packageDirectory, std::filesystem::directory_options::follow_directory_symlink, ec);
    for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::filesystem::path relative = it->path().lexically_relative(packageDirectory);
        std::string reason;
        const std::optional<std::string> name = sim::Utf8ToAnsi(WindowsRelativePath(relative), reason);
        if (!name) {
            problem = it->path().string() + ": the name cannot be a Windows path: " + reason;
            return false;
        }
        const std::string target = world.currentDirectory + "\\" + *name;
        if (it->is_directory(ec)) {
            world.files.ensureDirectory(target);
            continue;
        }
        if (world.files.findFile(target) != nullptr) continue;  // the image brings its own
        std::ifstream in(it->path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) {
            problem = it->path().string() + ": the file cannot be read";
            return false;
        }
        world.files.putFile(target, std::move(bytes));
    }
    if (ec) {
        problem = packageDirectory.string() + ": the package folder cannot be read: " + ec.message();
        return false;
    }
    return true;
}

FlowEnd RunInstallerFlow(sim::Simulation& sim, const RunAnswers& answers) {
    ports::Platform platform = sim.platform();
    sim::SimSetupWindow window(sim, std::string(installer::kProgramTitle), answers.messageBoxes);
    sim::SimPortDialog portDialog(sim, answers.portDialog);
    SimInstanceRecord instances(sim);
    installer::NVXPOS_InstallerDlg flow(platform, window, portDialog);

    FlowEnd end;
    try {
        installer::NVXPOS_Installer application(instances);
        if (!application.InitInstance()) platform.exit.exitProcess(0);
        sim.transcript().add({{"event", "window"}, {"title", installer::kProgressWindowTitle}});
        flow.OnInitDialog();
        flow.InstallThreadProc();
        // Every path of the flow ends the process; a flow that returns leaves
        // its window open, and the run ends without an exit code.
    } catch (const sim::ProcessExited& exited) {
        end.exitCode = exited.code;
    }
    end.logPath = flow.log().path();
    return end;
}

ProgramRun CollectRun(const sim::Simulation& sim, std::string_view program, const FlowEnd& end) {
    ProgramRun run;
    run.exitCode = end.exitCode;
    run.after = sim.snapshot();
    run.result = RunResultJson(sim, program, end.exitCode, end.logPath);
    return run;
}

ProgramRun RunInstaller(sim::World world, const RunAnswers& answers, const RunPreparation& prepare) {
    sim::Simulation sim(std::move(world), sim::Bitness::x86);
    HostDeviceRemovalProgram(sim);
    if (prepare) prepare(sim);
    return CollectRun(sim, "installer", RunInstallerFlow(sim, answers));
}

const std::vector<RunnableProgram>& RunnablePrograms() {
    static const std::vector<RunnableProgram> programs{
        {"installer", RunInstaller},
        {"uninstaller", RunUninstaller},
    };
    return programs;
}

const RunnableProgram* FindRunnableProgram(std::string_view name) {
    for (const RunnableProgram& program : RunnablePrograms())
        if (program.name == name) return &program;
    return nullptr;
}

}  // namespace kvt::kvtsim
