#include "tests/reliability/RunPromises.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "tests/reliability/ProductObjects.h"

namespace kvt::test {
namespace {

constexpr std::size_t kChangesShown = 6;

// Texts with which a run may end: completion texts and closing questions,
// and the messages that end a program early. Matched at the start of the
// text, since error reports go on with the system's text for the code.
constexpr std::array<std::string_view, 1> kInstallerStepEndings{"Completed."};
constexpr std::array<std::string_view, 8> kInstallerMessageEndings{
    "Restarting your computer can take effect.\nPlease restart your computer.",
    "Please turn-off the printer and then turn-on again.",
    "The installer has successfully removed the different version.\n",
    "AddPrinter, Error Code: ",
    "EnumPrinters Error Code: ",
    "The driver installation canceled.",
    "THE DRIVER CAN NOT BE INSTALLED ON THIS OS.",
    "CreateProcess failed."};
constexpr std::array<std::string_view, 1> kUninstallerStepEndings{"The uninstallation has been completed."};
constexpr std::array<std::string_view, 3> kUninstallerMessageEndings{
    "Restart the computer can take effect.\nPlease restart the computer.",
    "EnumPrinters Error Code: ",
    "The KVT-580duo driver does not exist on this system."};

template <std::size_t N>
bool StartsWithOneOf(const std::string& text, const std::array<std::string_view, N>& starts) {
    return std::any_of(starts.begin(), starts.end(), [&](std::string_view start) { return text.starts_with(start); });
}

const nlohmann::json* LastWordsEvent(const kvtsim::ProgramRun& run) {
    const nlohmann::json& transcript = run.result["transcript"];
    for (auto it = transcript.rbegin(); it != transcript.rend(); ++it)
        if ((*it)["event"] == "messageBox" || (*it)["event"] == "stepText") return &*it;
    return nullptr;
}

bool EndsInOwnWords(const SweepScenario& scenario, const kvtsim::ProgramRun& run) {
    const nlohmann::json* last = LastWordsEvent(run);
    if (last == nullptr) return false;
    const std::string text = (*last)["text"];
    const bool box = (*last)["event"] == "messageBox";
    if (scenario.program == SetupProgram::Installer)
        return box ? StartsWithOneOf(text, kInstallerMessageEndings) : StartsWithOneOf(text, kInstallerStepEndings);
    return box ? StartsWithOneOf(text, kUninstallerMessageEndings) : StartsWithOneOf(text, kUninstallerStepEndings);
}

}  // namespace

std::string LastWords(const kvtsim::ProgramRun& run) {
    const nlohmann::json* last = LastWordsEvent(run);
    return last == nullptr ? std::string("(none)") : (*last)["event"].get<std::string>() + " " + (*last)["text"].dump();
}

std::vector<std::string> BrokenPromises(const SweepScenario& scenario, const FaultedRun& unfaulted,
                                        const FaultedRun& faulted) {
    std::vector<std::string> broken;
    if (!faulted.run) {
        broken.push_back("escaped the program: " + faulted.escaped);
        return broken;
    }
    const kvtsim::ProgramRun& run = *faulted.run;
    if (!run.exitCode) broken.push_back("the process did not end");
    else if (*run.exitCode != 0) broken.push_back("ended with exit code " + std::to_string(*run.exitCode));
    if (!EndsInOwnWords(scenario, run)) broken.push_back("ended silently; last words: " + LastWords(run));

    const sim::World& start = StartOf(scenario);
    const ProductObjects product(start, {&unfaulted.run->after, &run.after});
    const std::vector<std::string> changes = ForeignChanges(unfaulted.run->after, run.after, product);
    if (!changes.empty()) {
        std::string text = std::to_string(changes.size()) + " change(s) to what the product does not own:";
        for (std::size_t i = 0; i < changes.size() && i < kChangesShown; ++i) text += "\n      " + changes[i];
        broken.push_back(text);
    }
    return broken;
}

}  // namespace kvt::test
