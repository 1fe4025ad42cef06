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

void InstallEngine::Sleep(std::uint32_t milliseconds) { platform_.clock.sleep(milliseconds); }

void InstallEngine::ShowErrorReport(std::string_view head, std::uint32_t code) {
    if (window_ == nullptr) return;
    window_->messageBox(setup::ErrorReportText(platform_.system, head, code), ports::MessageIcon::Error,
                        ports::MessageButtons::Ok);
}

}  // namespace kvt::installer
