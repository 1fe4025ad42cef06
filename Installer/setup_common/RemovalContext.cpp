#include "Installer/setup_common/RemovalContext.h"

#include "Installer/setup_common/BoundedText.h"
#include "Installer/setup_common/ProductConfiguration.h"

namespace kvt::setup {

std::string RemovalContext::entry(EntryNumber number) const {
    const int own = form.program == SetupProgram::Installer ? number.installer : number.uninstaller;
    BoundedText buffer(kRemovalBufferCapacity);
    buffer.assign(ProductEntry(form.program, own).value_or(std::string_view()));
    return buffer.str();
}

std::string RemovalContext::driverEnvironment() const {
    return std::string(wow64 != 0 ? kDriverEnvironmentX64 : kDriverEnvironmentX86);
}

void Wait(const RemovalContext& context, const PauseEntry& pause) {
    Pause(context.platform.clock, context.window, pause);
}

void ReportStatus(const RemovalContext& context, const StepStatus& status) {
    if (status.report == StatusReport::None) return;
    context.window.setStepText(status.text);
    if (status.report == StatusReport::Step) context.window.stepProgress();
    context.window.refresh();
    ReadingPause(context.platform.clock, context.window, status.waitMs);
}

StepStatus StatusOf(const StepStatus& formStatus, Reporting reporting) {
    return reporting == Reporting::Quiet ? kNoStatus : formStatus;
}

void LogStepBegin(const RemovalContext& context, std::string_view stepName) {
    context.log.WriteLog("\r\n");
    context.log.WriteLog("%s BEGIN", stepName);
}

void LogStepEnd(const RemovalContext& context, std::string_view stepName) {
    context.log.WriteLog("%s END", stepName);
}

void ShowRemovalCompleted(const RemovalContext& context) {
    context.window.setStepText(removal_text::UninstallationCompleted);
    context.window.setProgressPosition(100);
    context.window.refresh();
}

}  // namespace kvt::setup
