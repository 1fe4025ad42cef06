// How the worker reports to the main window: the step text is assigned and
// shown when the window handles the refresh it posts; the progress bar is
// the one control the worker moves directly.
#include "Installer/KVT580duo_Installer/DriverVersion.h"
#include "Installer/setup_common/ErrorReport.h"

namespace kvt::installer {

void InstallEngine::SetStepText(std::string_view text) {
    if (window_ != nullptr) window_->setStepText(text);
}

void InstallEngine::Step() {
    if (window_ == nullptr) return;
    window_->stepProgress();
    window_->refresh();
}

void InstallEngine::Complete() {
    if (window_ == nullptr) return;
    window_->setProgressPosition(100);
    window_->refresh();
}

void InstallEngine::Pause(const setup::PauseEntry& pause) {
    // Before the window is wired the engine only runs unattended steps.
    if (window_ != nullptr) setup::Pause(platform_.clock, *window_, pause);
    else platform_.clock.sleep(pause.ms);
}

void InstallEngine::ShowErrorReport(std::string_view head, std::uint32_t code) {
    if (window_ == nullptr) return;
    window_->messageBox(setup::ErrorReportText(platform_.system, head, code), ports::MessageIcon::Error,
                        ports::MessageButtons::Ok);
}

}  // namespace kvt::installer
