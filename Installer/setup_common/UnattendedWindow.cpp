#include "Installer/setup_common/UnattendedWindow.h"

namespace kvt::setup {

UnattendedWindow::UnattendedWindow(ports::SetupWindow& window, SetupLog& log, const SetupCommandLine& commandLine)
    : window_(window), log_(log), quiet_(commandLine.quiet), restart_(commandLine.restart()) {}

ports::MessageAnswer UnattendedWindow::messageBox(std::string_view text, ports::MessageIcon icon,
                                                  ports::MessageButtons buttons) {
    const bool restartQuestion = buttons == ports::MessageButtons::YesNo;
    if (!quiet_ && !(restartQuestion && restart_ != RestartChoice::Ask)) return window_.messageBox(text, icon, buttons);
    if (quiet_) log_.WriteLog("MESSAGE : %s", text);
    if (!restartQuestion) return ports::MessageAnswer::Ok;
    return restart_ == RestartChoice::Force ? ports::MessageAnswer::Yes : ports::MessageAnswer::No;
}

}  // namespace kvt::setup
