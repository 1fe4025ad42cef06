#include "Installer/setup_common/SetupPauses.h"

namespace kvt::setup {

void Pause(ports::Clock& clock, const ports::SetupWindow& window, const PauseSpec& spec) {
    if (spec.ms == 0) return;
    if (spec.kind == PauseKind::Reading && !window.watched()) return;
    clock.sleep(spec.ms);
}

void ReadingPause(ports::Clock& clock, const ports::SetupWindow& window, std::uint32_t ms) {
    Pause(clock, window, PauseSpec{"step status", ms, PauseKind::Reading});
}

}  // namespace kvt::setup
