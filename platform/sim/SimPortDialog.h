#pragma once
// The installer's "Port Type" dialog in the simulation, answered as kvtsim's
// "portDialog" says: a port text to mark before "Next", "cancel" to close
// the dialog, or nothing for "Next" with the preselection. The modal dialog
// leaves a "dialog" event in the transcript; the hidden use leaves none, as
// the user never sees it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/PortDialog.h"

namespace kvt::sim {

class Simulation;

// The radio buttons' texts in group order (index 0 COM1 ... 6 USB).
inline constexpr std::string_view kPortDialogButtons[] = {"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "USB"};
inline constexpr std::string_view kPortDialogCancel = "cancel";

// The index of a button text, exactly as the dialog writes it; nothing for
// any other text.
std::optional<int> PortDialogButtonIndex(std::string_view text);

class SimPortDialog final : public ports::PortDialog {
public:
    // `answer` must be a button text or "cancel" (or nothing).
    SimPortDialog(Simulation& sim, std::optional<std::string> answer);

    ports::PortDialogResult showModal(int preselection) override;
    int hiddenSelection(int preselection) override;
    // Nobody sits at this computer: showing the dialog is recorded as
    // unanswered and ends the run (WindowUnanswered).
    void setUnattended(bool unattended) { unattended_ = unattended; }

private:
    Simulation& sim_;
    std::optional<std::string> answer_;
    bool unattended_ = false;
};

}  // namespace kvt::sim
