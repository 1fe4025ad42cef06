#pragma once
// The main window of a simulated setup program: it records what the window
// would show in the transcript and answers message boxes from the scripted
// answers, as kvtsim's "messageBoxes" describe them.
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/SetupWindow.h"

namespace kvt::sim {

class Simulation;

struct MessageBoxAnswer {
    std::optional<std::string> textContains;  // no text: matches any box
    ports::MessageAnswer answer = ports::MessageAnswer::Ok;
};

class SimSetupWindow final : public ports::SetupWindow {
public:
    SimSetupWindow(Simulation& sim, std::string title, std::vector<MessageBoxAnswer> answers = {});

    void setProgressRange(int minimum, int maximum) override;
    void setProgressStep(int step) override;
    void setStepText(std::string_view text) override;
    void stepProgress() override;
    void setProgressPosition(int position) override;
    void refresh() override;
    ports::MessageAnswer messageBox(std::string_view text, ports::MessageIcon icon,
                                    ports::MessageButtons buttons) override;

    // Nobody sits at this computer: a message box is recorded as unanswered
    // and ends the run (WindowUnanswered).
    void setUnattended(bool unattended) { unattended_ = unattended; }

    const std::string& stepText() const { return stepText_; }      // as assigned
    const std::string& shownText() const { return shownText_; }    // as the control shows it
    int position() const { return position_; }

private:
    void recordPosition();

    Simulation& sim_;
    std::string title_;
    std::vector<MessageBoxAnswer> answers_;
    std::vector<bool> used_;
    std::string stepText_, shownText_;
    int minimum_ = 0, maximum_ = 100, step_ = 10, position_ = 0;
    bool unattended_ = false;
};

}  // namespace kvt::sim
