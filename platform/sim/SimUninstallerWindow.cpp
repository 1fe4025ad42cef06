#include "platform/sim/SimUninstallerWindow.h"

#include <algorithm>
#include <utility>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/Simulation.h"

namespace kvt::sim {
namespace {

const char* ButtonName(ports::UninstallerButton button) {
    return button == ports::UninstallerButton::Uninstall ? "Uninstall" : "Cancel";
}

}  // namespace

void SimUninstallerWindow::resetCheckList() { items_.clear(); }

int SimUninstallerWindow::addCheckListItem(std::string_view text) {
    const auto place = std::upper_bound(
        items_.begin(), items_.end(), text,
        [](std::string_view added, const CheckListItem& item) { return CaseInsensitiveLess{}(added, item.text); });
    const auto inserted = items_.insert(place, CheckListItem{std::string(text), false});
    return static_cast<int>(inserted - items_.begin());
}

int SimUninstallerWindow::checkListCount() { return static_cast<int>(items_.size()); }

std::string SimUninstallerWindow::checkListText(int index) {
    return validIndex(index) ? items_[static_cast<std::size_t>(index)].text : std::string();
}

bool SimUninstallerWindow::isChecked(int index) {
    return validIndex(index) && items_[static_cast<std::size_t>(index)].checked;
}

void SimUninstallerWindow::setChecked(int index, bool checked) {
    if (validIndex(index)) items_[static_cast<std::size_t>(index)].checked = checked;
}

void SimUninstallerWindow::enableButton(ports::UninstallerButton button, bool enabled) {
    bool& state = button == ports::UninstallerButton::Uninstall ? uninstallEnabled_ : cancelEnabled_;
    if (state == enabled) return;
    state = enabled;
    sim_.transcript().add({{"event", "button"}, {"button", ButtonName(button)}, {"enabled", enabled}});
}

void SimUninstallerWindow::beginUninstallThread() { workerRequested_ = true; }

void SimUninstallerWindow::endDialog(ports::DialogResult result) {
    dialogEnded_ = true;
    dialogResult_ = result;
    sim_.transcript().add({{"event", "endDialog"}, {"result", result == ports::DialogResult::Ok ? "ok" : "cancel"}});
}

void SimUninstallerWindow::recordCheckList() {
    nlohmann::json items = nlohmann::json::array();
    for (const CheckListItem& item : items_) items.push_back({{"text", item.text}, {"checked", item.checked}});
    sim_.transcript().add({{"event", "checkList"}, {"items", std::move(items)}});
}

bool SimUninstallerWindow::userSetChecked(int index, bool checked) {
    if (!validIndex(index)) return false;
    CheckListItem& item = items_[static_cast<std::size_t>(index)];
    item.checked = checked;
    sim_.transcript().add({{"event", "checkItem"}, {"text", item.text}, {"checked", checked}});
    return true;
}

bool SimUninstallerWindow::press(ports::UninstallerButton button) {
    if (!isEnabled(button)) return false;
    sim_.transcript().add({{"event", "press"}, {"button", ButtonName(button)}});
    return true;
}

bool SimUninstallerWindow::isEnabled(ports::UninstallerButton button) const {
    return button == ports::UninstallerButton::Uninstall ? uninstallEnabled_ : cancelEnabled_;
}

bool SimUninstallerWindow::takeWorkerStart() { return std::exchange(workerRequested_, false); }

}  // namespace kvt::sim
