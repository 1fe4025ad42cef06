#include "platform/sim/SimDialogControls.h"

#include <algorithm>

#include "platform/sim/Utf16Text.h"

namespace kvt::sim {
namespace {

using Kind = SimControlKind;

std::optional<int> SetFocusCode(Kind kind) {
    if (kind == Kind::Edit) return ports::notify::EditSetFocus;
    if (kind == Kind::ComboBox) return ports::notify::ComboSetFocus;
    if (kind == Kind::ListBox) return ports::notify::ListSetFocus;
    return std::nullopt;
}

std::optional<int> KillFocusCode(Kind kind) {
    if (kind == Kind::Edit) return ports::notify::EditKillFocus;
    if (kind == Kind::ComboBox) return ports::notify::ComboKillFocus;
    if (kind == Kind::ListBox) return ports::notify::ListKillFocus;
    return std::nullopt;
}

}  // namespace

const char* SimControlKindName(SimControlKind kind) {
    switch (kind) {
        case Kind::Label: return "label";
        case Kind::Edit: return "edit";
        case Kind::CheckBox: return "checkBox";
        case Kind::RadioButton: return "radioButton";
        case Kind::PushButton: return "button";
        case Kind::ComboBox: return "comboBox";
        case Kind::ListBox: return "listBox";
        case Kind::ScrollBar: return "scrollBar";
        case Kind::Frame: return "frame";
    }
    return "label";
}

SimDialogControls::SimDialogControls(std::string name, const std::vector<SimControlTemplate>& layout,
                                     SimMessageBoxes& boxes)
    : name_(std::move(name)), boxes_(boxes) {
    for (const SimControlTemplate& t : layout) {
        SimControl control;
        control.layout = t;
        control.text = t.text;
        control.enabled = t.enabled;
        control.visible = t.visible;
        controls_.push_back(std::move(control));
    }
}

SimControl* SimDialogControls::find(int id) {
    auto found = std::find_if(controls_.begin(), controls_.end(), [id](const SimControl& c) { return c.layout.id == id; });
    if (found != controls_.end()) return &*found;
    ++strayCalls_;
    return nullptr;
}

const SimControl* SimDialogControls::control(int id) const {
    auto found = std::find_if(controls_.begin(), controls_.end(), [id](const SimControl& c) { return c.layout.id == id; });
    return found == controls_.end() ? nullptr : &*found;
}

bool SimDialogControls::isList(const SimControl& control) const {
    return control.layout.kind == Kind::ComboBox || control.layout.kind == Kind::ListBox;
}

void SimDialogControls::notify(int id, int code) {
    if (model_ != nullptr) model_->onCommand(id, code);
}

void SimDialogControls::record(nlohmann::json event) {
    if (transcript_ == nullptr) return;
    event["window"] = name_;
    transcript_->add(std::move(event));
}

// ---------------------------------------------------------------- the port

std::u16string SimDialogControls::text(int id) {
    SimControl* c = find(id);
    return c ? c->text : std::u16string();
}

void SimDialogControls::setText(int id, std::u16string_view text) {
    SimControl* c = find(id);
    if (c == nullptr) return;
    c->text = std::u16string(text);
    if (c->layout.kind == Kind::Edit) notify(id, ports::notify::EditChange);
}

void SimDialogControls::limitText(int id, std::size_t characters) {
    if (SimControl* c = find(id); c && c->layout.kind == Kind::Edit) c->limit = characters;
}

bool SimDialogControls::checked(int id) {
    SimControl* c = find(id);
    return c != nullptr && c->checked;
}

void SimDialogControls::setChecked(int id, bool checked) {
    SimControl* c = find(id);
    if (c && (c->layout.kind == Kind::CheckBox || c->layout.kind == Kind::RadioButton)) c->checked = checked;
}

void SimDialogControls::enable(int id, bool enabled) {
    if (SimControl* c = find(id)) c->enabled = enabled;
}

void SimDialogControls::resetList(int id) {
    SimControl* c = find(id);
    if (c == nullptr || !isList(*c)) return;
    c->items.clear();
    c->selection = -1;
}

void SimDialogControls::addListItem(int id, std::u16string_view text) {
    SimControl* c = find(id);
    if (c && isList(*c)) c->items.emplace_back(text);
}

int SimDialogControls::listCount(int id) {
    SimControl* c = find(id);
    return c && isList(*c) ? static_cast<int>(c->items.size()) : 0;
}

int SimDialogControls::listSelection(int id) {
    SimControl* c = find(id);
    return c && isList(*c) ? c->selection : -1;
}

void SimDialogControls::selectListItem(int id, int index) {
    SimControl* c = find(id);
    if (c == nullptr || !isList(*c)) return;
    c->selection = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
}

std::optional<std::u16string> SimDialogControls::listItemText(int id, int index) {
    SimControl* c = find(id);
    if (c == nullptr || !isList(*c) || index < 0 || index >= static_cast<int>(c->items.size())) return std::nullopt;
    return c->items[static_cast<std::size_t>(index)];
}

// As Windows keeps it, the position stays within the range.
void SimDialogControls::setScrollRange(int id, int minimum, int maximum, bool) {
    SimControl* c = find(id);
    if (c == nullptr || c->layout.kind != Kind::ScrollBar) return;
    c->scrollMinimum = minimum;
    c->scrollMaximum = maximum;
    c->scrollPosition = std::clamp(c->scrollPosition, minimum, std::max(minimum, maximum));
}

void SimDialogControls::setScrollPosition(int id, int position, bool) {
    SimControl* c = find(id);
    if (c == nullptr || c->layout.kind != Kind::ScrollBar) return;
    c->scrollPosition = std::clamp(position, c->scrollMinimum, std::max(c->scrollMinimum, c->scrollMaximum));
}

void SimDialogControls::markChanged() {
    ++changedCount_;
    if (changed_) return;
    changed_ = true;
    record({{"event", "changed"}});
}

ports::MessageAnswer SimDialogControls::messageBox(std::u16string_view text, std::u16string_view caption,
                                                   ports::MessageIcon icon, ports::MessageButtons buttons) {
    const ports::MessageAnswer answer = boxes_.show(text, caption, icon, buttons);
    record({{"event", "messageBox"},
            {"caption", Utf16ToUtf8(caption)},
            {"text", Utf16ToUtf8(text)},
            {"icon", MessageIconName(icon)},
            {"buttons", MessageButtonsName(buttons)},
            {"answer", MessageAnswerName(answer)}});
    return answer;
}

void SimDialogControls::runModalDialog(std::uint16_t dialogId) {
    if (modalRunner_) modalRunner_(dialogId);
}

void SimDialogControls::endDialog(std::intptr_t result) {
    endResult_ = result;
    record({{"event", "endDialog"}, {"result", result}});
}

// ---------------------------------------------------------------- the user

SimControl* SimDialogControls::usable(int id, std::initializer_list<SimControlKind> kinds) {
    auto found = std::find_if(controls_.begin(), controls_.end(), [id](const SimControl& c) { return c.layout.id == id; });
    if (found == controls_.end() || !found->visible || !found->enabled) return nullptr;
    if (std::find(kinds.begin(), kinds.end(), found->layout.kind) == kinds.end()) return nullptr;
    return &*found;
}

// The control that loses the focus says so before the one that gains it.
void SimDialogControls::moveFocus(std::optional<int> id) {
    if (focus_ == id) return;
    const std::optional<int> previous = focus_;
    focus_ = id;
    if (previous) {
        if (const SimControl* c = control(*previous)) {
            if (auto code = KillFocusCode(c->layout.kind)) notify(*previous, *code);
        }
    }
    if (id) {
        if (const SimControl* c = control(*id)) {
            if (auto code = SetFocusCode(c->layout.kind)) notify(*id, *code);
        }
    }
}

void SimDialogControls::focusOut() { moveFocus(std::nullopt); }

bool SimDialogControls::type(int id, std::u16string_view text) {
    SimControl* c = usable(id, {Kind::Edit});
    if (c == nullptr || c->layout.readOnly) return false;
    moveFocus(id);
    std::u16string typed;
    for (char16_t ch : text) {
        if (c->layout.numberOnly && (ch < u'0' || ch > u'9')) continue;
        if (c->limit != 0 && typed.size() >= c->limit) break;
        typed += ch;
    }
    c->text = std::move(typed);
    notify(id, ports::notify::EditChange);
    return true;
}

bool SimDialogControls::click(int id) {
    SimControl* c = usable(id, {Kind::PushButton, Kind::CheckBox, Kind::RadioButton});
    if (c == nullptr) return false;
    moveFocus(id);
    if (c->layout.kind == Kind::CheckBox) c->checked = !c->checked;
    if (c->layout.kind == Kind::RadioButton) {
        for (SimControl& other : controls_) {
            if (other.layout.kind == Kind::RadioButton && other.layout.group == c->layout.group)
                other.checked = other.layout.id == id;
        }
    }
    notify(id, ports::notify::ButtonClicked);
    return true;
}

bool SimDialogControls::arrow(int id, bool up) {
    if (usable(id, {Kind::ScrollBar}) == nullptr) return false;
    if (model_ != nullptr) {
        model_->onScroll(id, up ? ports::scroll::LineUp : ports::scroll::LineDown);
        model_->onScroll(id, ports::scroll::EndScroll);
    }
    return true;
}

bool SimDialogControls::leave(int id) {
    if (usable(id, {Kind::Edit, Kind::ComboBox, Kind::ListBox, Kind::PushButton, Kind::CheckBox, Kind::RadioButton}) ==
        nullptr)
        return false;
    moveFocus(id);
    focusOut();
    return true;
}

bool SimDialogControls::choose(int id, int index) {
    SimControl* c = usable(id, {Kind::ComboBox, Kind::ListBox});
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return false;
    moveFocus(id);
    const bool combo = c->layout.kind == Kind::ComboBox;
    if (combo) notify(id, ports::notify::ComboDropDown);
    const bool changes = c->selection != index;
    c->selection = index;
    if (changes) notify(id, ports::notify::SelectionChange);
    if (combo) {
        notify(id, ports::notify::ComboCloseUp);
        notify(id, ports::notify::ComboSelectionEnd);
    }
    return true;
}

}  // namespace kvt::sim
