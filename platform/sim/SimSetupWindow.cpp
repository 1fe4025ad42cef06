#include "platform/sim/SimSetupWindow.h"

#include "platform/sim/SimMessageBoxes.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {

SimSetupWindow::SimSetupWindow(Simulation& sim, std::string title, std::vector<MessageBoxAnswer> answers)
    : sim_(sim), title_(std::move(title)), answers_(std::move(answers)), used_(answers_.size(), false) {}

void SimSetupWindow::setProgressRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    position_ = minimum;
}

void SimSetupWindow::setProgressStep(int step) { step_ = step; }

void SimSetupWindow::setStepText(std::string_view text) { stepText_ = std::string(text); }

// Like the common progress control, a step past the end starts over from the
// beginning of the range.
void SimSetupWindow::stepProgress() {
    int next = position_ + step_;
    const int span = maximum_ - minimum_;
    if (next > maximum_ && span > 0) next = minimum_ + (next - minimum_) % span;
    position_ = next;
    recordPosition();
}

void SimSetupWindow::setProgressPosition(int position) {
    position_ = position < minimum_ ? minimum_ : (position > maximum_ ? maximum_ : position);
    recordPosition();
}

void SimSetupWindow::refresh() {
    if (shownText_ == stepText_) return;
    shownText_ = stepText_;
    sim_.transcript().add({{"event", "stepText"}, {"text", shownText_}});
}

ports::MessageAnswer SimSetupWindow::messageBox(std::string_view text, ports::MessageIcon icon,
                                                ports::MessageButtons buttons) {
    if (unattended_) {
        sim_.transcript().add({{"event", "messageBox"},
                               {"caption", title_},
                               {"text", std::string(text)},
                               {"icon", MessageIconName(icon)},
                               {"buttons", MessageButtonsName(buttons)},
                               {"answer", nullptr},
                               {"unanswered", true}});
        throw WindowUnanswered{};
    }
    ports::MessageAnswer answer =
        buttons == ports::MessageButtons::Ok ? ports::MessageAnswer::Ok : ports::MessageAnswer::No;
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (used_[i]) continue;
        const auto& wanted = answers_[i].textContains;
        if (wanted && text.find(*wanted) == std::string_view::npos) continue;
        used_[i] = true;
        answer = FitAnswer(answers_[i].answer, buttons);
        break;
    }
    sim_.transcript().add({{"event", "messageBox"},
                           {"caption", title_},
                           {"text", std::string(text)},
                           {"icon", MessageIconName(icon)},
                           {"buttons", MessageButtonsName(buttons)},
                           {"answer", MessageAnswerName(answer)}});
    return answer;
}

void SimSetupWindow::recordPosition() { sim_.transcript().add({{"event", "progress"}, {"position", position_}}); }

}  // namespace kvt::sim
