#pragma once
// The main window of a setup program as its flow talks to it, with the
// answers the command line implies. A quiet run shows nothing: each message
// box goes to the log instead and gets the answer a person would have given
// for the run to go on (OK, and to the restart question the restart choice).
// An interactive run shows every box, except the restart question when
// "/norestart" or "/forcerestart" has answered it already. The flows keep
// their one path; only the answers come from here.
#include "Installer/setup_common/SetupCommandLine.h"
#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/SetupWindow.h"

namespace kvt::setup {

class UnattendedWindow final : public ports::SetupWindow {
public:
    // The only yes/no boxes of both programs are their restart questions.
    UnattendedWindow(ports::SetupWindow& window, SetupLog& log, const SetupCommandLine& commandLine);

    void setProgressRange(int minimum, int maximum) override { window_.setProgressRange(minimum, maximum); }
    void setProgressStep(int step) override { window_.setProgressStep(step); }
    void setStepText(std::string_view text) override { window_.setStepText(text); }
    void stepProgress() override { window_.stepProgress(); }
    void setProgressPosition(int position) override { window_.setProgressPosition(position); }
    void refresh() override { window_.refresh(); }
    ports::MessageAnswer messageBox(std::string_view text, ports::MessageIcon icon,
                                    ports::MessageButtons buttons) override;
    bool watched() const override { return !quiet_ && window_.watched(); }

private:
    ports::SetupWindow& window_;
    SetupLog& log_;
    bool quiet_;
    RestartChoice restart_;
};

}  // namespace kvt::setup
