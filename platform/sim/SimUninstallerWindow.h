#pragma once
// The uninstaller's check list and buttons in the simulation. The list keeps
// its items sorted as a sorted list box does (letter case aside, a new item
// after those that compare equal); the user's side (clearing a box, pressing
// a button) is for the runner, which plays the user from the scripted
// answers. The transcript gets what a user would notice: the list when the
// choice begins, each box the user changes, a button becoming enabled or
// disabled, a button pressed, the dialog ended.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/UninstallerWindow.h"

namespace kvt::sim {

class Simulation;

struct CheckListItem {
    std::string text;
    bool checked = false;
    friend bool operator==(const CheckListItem&, const CheckListItem&) = default;
};

class SimUninstallerWindow final : public ports::UninstallerWindow {
public:
    explicit SimUninstallerWindow(Simulation& sim) : sim_(sim) {}

    void resetCheckList() override;
    int addCheckListItem(std::string_view text) override;
    int checkListCount() override;
    std::string checkListText(int index) override;
    bool isChecked(int index) override;
    void setChecked(int index, bool checked) override;
    void enableButton(ports::UninstallerButton button, bool enabled) override;
    void beginUninstallThread() override;
    void endDialog(ports::DialogResult result) override;

    // The user's side. `userSetChecked` changes a box as a click would (false
    // for an index outside the list); `press` presses an enabled button and
    // is false, leaving no event, for a disabled one.
    void recordCheckList();
    bool userSetChecked(int index, bool checked);
    bool press(ports::UninstallerButton button);

    const std::vector<CheckListItem>& items() const { return items_; }
    bool isEnabled(ports::UninstallerButton button) const;
    // True once after the flow asked for its worker: the runner then runs it.
    bool takeWorkerStart();
    bool dialogEnded() const { return dialogEnded_; }
    ports::DialogResult dialogResult() const { return dialogResult_; }

private:
    bool validIndex(int index) const { return index >= 0 && index < static_cast<int>(items_.size()); }

    Simulation& sim_;
    std::vector<CheckListItem> items_;
    bool uninstallEnabled_ = false;  // as the window template has them
    bool cancelEnabled_ = true;
    bool workerRequested_ = false;
    bool dialogEnded_ = false;
    ports::DialogResult dialogResult_ = ports::DialogResult::Cancel;
};

}  // namespace kvt::sim
