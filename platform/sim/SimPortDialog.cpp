#include "platform/sim/SimPortDialog.h"

#include "platform/sim/Simulation.h"

namespace kvt::sim {

std::optional<int> PortDialogButtonIndex(std::string_view text) {
    for (int index = 0; index < static_cast<int>(std::size(kPortDialogButtons)); ++index)
        if (kPortDialogButtons[index] == text) return index;
    return std::nullopt;
}

SimPortDialog::SimPortDialog(Simulation& sim, std::optional<std::string> answer)
    : sim_(sim), answer_(std::move(answer)) {}

ports::PortDialogResult SimPortDialog::showModal(int preselection) {
    if (unattended_) {
        sim_.transcript().add({{"event", "dialog"},
                               {"title", "Port Type"},
                               {"selection", preselection},
                               {"result", nullptr},
                               {"unanswered", true}});
        throw WindowUnanswered{};
    }
    ports::PortDialogResult result{true, preselection};
    if (answer_ && *answer_ == kPortDialogCancel) {
        result.ok = false;
    } else if (answer_) {
        // A text that names no button marks nothing new.
        if (auto index = PortDialogButtonIndex(*answer_)) result.selection = *index;
    }
    sim_.transcript().add({{"event", "dialog"},
                           {"title", "Port Type"},
                           {"selection", result.selection},
                           {"result", result.ok ? "ok" : "cancel"}});
    return result;
}

int SimPortDialog::hiddenSelection(int preselection) { return preselection; }

}  // namespace kvt::sim
