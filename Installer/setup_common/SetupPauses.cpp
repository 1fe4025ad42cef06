#include "Installer/setup_common/SetupPauses.h"

namespace kvt::setup {

void Pause(ports::Clock& clock, const ports::SetupWindow& window, const PauseEntry& entry) {
    if (entry.ms == 0) return;
    if (entry.kind == PauseKind::Reading && !window.watched()) return;
    clock.sleep(entry.ms);
}

void ReadingPause(ports::Clock& clock, const ports::SetupWindow& window, std::uint32_t ms) {
    Pause(clock, window, PauseEntry{"step status", ms, PauseKind::Reading});
}

}  // namespace kvt::setup
