#include "platform/sim/SimSetupWindow.h"

#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

const char* IconName(ports::MessageIcon icon) {
    switch (icon) {
        case ports::MessageIcon::Information: return "information";
        case ports::MessageIcon::Question: return "question";
        case ports::MessageIcon::Warning: return "warning";
        case ports::MessageIcon::Error: return "error";
        case ports::MessageIcon::None: break;
    }
    return "none";
}

const char* AnswerName(ports::MessageAnswer answer) {
    switch (answer) {
        case ports::MessageAnswer::Yes: return "yes";
        case ports::MessageAnswer::No: return "no";
        case ports::MessageAnswer::Cancel: return "cancel";
        case ports::MessageAnswer::Ok: break;
    }
    return "ok";
}

// A box can only be answered with one of its own buttons; any other scripted
// answer closes it the way its default button would.
ports::MessageAnswer Fit(ports::MessageAnswer answer, ports::MessageButtons buttons) {
    if (buttons == ports::MessageButtons::Ok) return ports::MessageAnswer::Ok;
    if (answer == ports::MessageAnswer::Yes || answer == ports::MessageAnswer::No) return answer;
    return ports::MessageAnswer::No;
}

}  // namespace

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
    ports::MessageAnswer answer =
        buttons == ports::MessageButtons::Ok ? ports::MessageAnswer::Ok : ports::MessageAnswer::No;
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (used_[i]) continue;
        const auto& wanted = answers_[i].textContains;
        if (wanted && text.find(*wanted) == std::string_view::npos) continue;
        used_[i] = true;
        answer = Fit(answers_[i].answer, buttons);
        break;
    }
    sim_.transcript().add({{"event", "messageBox"},
                           {"caption", title_},
                           {"text", std::string(text)},
                           {"icon", IconName(icon)},
                           {"buttons", buttons == ports::MessageButtons::Ok ? "ok" : "yesNo"},
                           {"answer", AnswerName(answer)}});
    return answer;
}

void SimSetupWindow::recordPosition() { sim_.transcript().add({{"event", "progress"}, {"position", position_}}); }

}  // namespace kvt::sim
