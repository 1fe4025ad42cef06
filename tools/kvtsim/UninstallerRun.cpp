#include "tools/kvtsim/UninstallerRun.h"

#include "Installer/KVT580duo_Uninstaller/NVXPOS_Uninstaller.h"
#include "Installer/KVT580duo_Uninstaller/NVXPOS_UninstallerDlg.h"
#include "platform/sim/ImageJson.h"
#include "platform/sim/SimSetupWindow.h"
#include "platform/sim/SimUninstallerWindow.h"
#include "tools/kvtsim/DeviceRemovalHost.h"
#include "tools/kvtsim/RunResult.h"

namespace kvt::kvtsim {
namespace {

using ports::UninstallerButton;

// The running copy that the image's "otherInstanceRunning" stands for.
class SimUninstallerInstances final : public uninstaller::InstanceRecord {
public:
    explicit SimUninstallerInstances(sim::Simulation& sim) : sim_(sim) {}

    long countThisStart() override { return sim_.world().otherInstanceRunning ? 2 : 1; }

    void bringForward(std::span<const std::string_view> titles) override {
        nlohmann::json searched = nlohmann::json::array();
        for (std::string_view title : titles) searched.push_back(title);
        sim_.transcript().add({{"event", "bringForward"}, {"titles", std::move(searched)}});
    }

private:
    sim::Simulation& sim_;
};

// The user at the check list: clears the named boxes (each click is a check
// change the window reports to the flow), then presses a button. Uninstall
// left disabled by the cleared boxes means Cancel.
void Choose(uninstaller::NVXPOS_UninstallerDlg& flow, sim::SimUninstallerWindow& controls,
            const UninstallAnswers& choice) {
    controls.recordCheckList();
    for (const std::string& name : choice.uncheck) {
        const auto& items = controls.items();
        for (std::size_t index = 0; index < items.size(); ++index) {
            if (items[index].text != name || !items[index].checked) continue;
            controls.userSetChecked(static_cast<int>(index), false);
            flow.UpdateUninstallButton();
            break;
        }
    }
    if (choice.pressUninstall && controls.press(UninstallerButton::Uninstall)) {
        flow.StartUninstall();
        return;
    }
    if (controls.press(UninstallerButton::Cancel)) flow.OnCancel();
}

}  // namespace

std::optional<UninstallAnswers> ParseUninstallAnswers(const nlohmann::json& uninstall, std::string& problem) {
    UninstallAnswers answers;
    if (uninstall.is_null()) return answers;
    if (!uninstall.is_object()) {
        problem = "$.uninstall: must be an object";
        return std::nullopt;
    }
    if (auto it = uninstall.find("uncheck"); it != uninstall.end()) {
        if (!it->is_array()) {
            problem = "$.uninstall.uncheck: must be an array of printer names";
            return std::nullopt;
        }
        for (std::size_t i = 0; i < it->size(); ++i) {
            const nlohmann::json& name = (*it)[i];
            std::string reason = "must be a string";
            std::optional<std::string> text;
            if (name.is_string()) text = sim::Utf8ToAnsi(name.get<std::string>(), reason);
            if (!text) {
                problem = "$.uninstall.uncheck[" + std::to_string(i) + "]: " + reason;
                return std::nullopt;
            }
            answers.uncheck.push_back(std::move(*text));
        }
    }
    if (auto it = uninstall.find("action"); it != uninstall.end()) {
        const bool known = it->is_string() && (*it == "uninstall" || *it == "cancel");
        if (!known) {
            problem = "$.uninstall.action: must be \"uninstall\" or \"cancel\"";
            return std::nullopt;
        }
        answers.pressUninstall = *it == "uninstall";
    }
    return answers;
}

FlowEnd RunUninstallerFlow(sim::Simulation& sim, const RunAnswers& answers) {
    std::string problem;
    const UninstallAnswers choice = ParseUninstallAnswers(answers.uninstall, problem).value_or(UninstallAnswers{});

    ports::Platform platform = sim.platform();
    sim::SimSetupWindow window(sim, std::string(uninstaller::kProgramTitle), answers.messageBoxes);
    sim::SimUninstallerWindow controls(sim);
    SimUninstallerInstances instances(sim);
    uninstaller::NVXPOS_UninstallerDlg flow(platform, window, controls);

    FlowEnd end;
    try {
        uninstaller::NVXPOS_Uninstaller application(instances);
        if (!application.InitInstance()) platform.exit.exitProcess(0);
        sim.transcript().add({{"event", "window"}, {"title", uninstaller::kMainWindowTitle}});
        flow.OnInitDialog();
        flow.PrepareUninstall();  // timer 1, once the window shows
        bool workerStarted = controls.takeWorkerStart();
        if (!workerStarted) {
            Choose(flow, controls, choice);
            workerStarted = controls.takeWorkerStart();
        }
        if (workerStarted) flow.UninstallThreadProc();
        // The modal window has closed: the program ends after it.
        if (controls.dialogEnded()) platform.exit.exitProcess(0);
    } catch (const sim::ProcessExited& exited) {
        end.exitCode = exited.code;
    }
    end.logPath = flow.log().path();
    return end;
}

ProgramRun RunUninstaller(sim::World world, const RunAnswers& answers, const RunPreparation& prepare) {
    sim::Simulation sim(std::move(world), sim::Bitness::x86);
    HostDeviceRemovalProgram(sim);
    if (prepare) prepare(sim);
    return CollectRun(sim, "uninstaller", RunUninstallerFlow(sim, answers));
}

}  // namespace kvt::kvtsim
