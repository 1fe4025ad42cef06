#pragma once
// A dialog of the simulated Windows whose controls hold their state: texts,
// check marks, enabled and visible state, list entries and selection,
// scroll-bar range and position, text limits, and the keyboard focus. It
// serves the plug-in's pages through the DialogControls port and plays the
// user against them: typing, clicks, arrow clicks, leaving a field,
// choosing a list entry. Like Windows it tells the dialog procedure (the
// attached model) what its controls do: EN_CHANGE when an edit's text is
// set, EN_KILLFOCUS when an edit loses the focus, BN_CLICKED, CBN_DROPDOWN,
// CBN_SELCHANGE, and SB_LINEUP or SB_LINEDOWN followed by SB_ENDSCROLL for
// an arrow click.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/DialogModel.h"
#include "platform/ports/DialogControls.h"
#include "platform/sim/SimMessageBoxes.h"
#include "platform/sim/Transcript.h"

namespace kvt::sim {

enum class SimControlKind { Label, Edit, CheckBox, RadioButton, PushButton, ComboBox, ListBox, ScrollBar, Frame };

// Where a template places a control, in dialog units.
struct SimControlRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const SimControlRect&, const SimControlRect&) = default;
};

// A control of a dialog template.
struct SimControlTemplate {
    int id = 0;
    SimControlKind kind = SimControlKind::Label;
    std::u16string text;
    SimControlRect rect;
    bool numberOnly = false;  // ES_NUMBER: the user can type digits only
    bool readOnly = false;    // ES_READONLY: the user cannot type at all
    bool visible = true;
    bool enabled = true;
    int group = 0;  // auto radio buttons that exclude each other
};

struct SimControl {
    SimControlTemplate layout;
    std::u16string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<std::u16string> items;
    int selection = -1;
    int scrollMinimum = 0, scrollMaximum = 0, scrollPosition = 0;
    std::size_t limit = 0;  // 0: no limit set
};

const char* SimControlKindName(SimControlKind kind);

class SimDialogControls final : public ports::DialogControls {
public:
    // `name` labels the dialog's events in the transcript.
    SimDialogControls(std::string name, const std::vector<SimControlTemplate>& layout, SimMessageBoxes& boxes);

    // The dialog procedure that the controls notify.
    void attach(ports::DialogModel& model) { model_ = &model; }
    // Runs the dialogs this one opens; without it, opening one does nothing.
    using ModalRunner = std::function<void(std::uint16_t dialogId)>;
    void setModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
    // Where "changed", message boxes and the dialog's end are recorded.
    void setTranscript(Transcript* transcript) { transcript_ = transcript; }

    std::u16string text(int id) override;
    void setText(int id, std::u16string_view text) override;
    void limitText(int id, std::size_t characters) override;
    bool checked(int id) override;
    void setChecked(int id, bool checked) override;
    void enable(int id, bool enabled) override;
    void resetList(int id) override;
    void addListItem(int id, std::u16string_view text) override;
    int listCount(int id) override;
    int listSelection(int id) override;
    void selectListItem(int id, int index) override;
    std::optional<std::u16string> listItemText(int id, int index) override;
    void setScrollRange(int id, int minimum, int maximum, bool redraw) override;
    void setScrollPosition(int id, int position, bool redraw) override;
    void markChanged() override;
    ports::MessageAnswer messageBox(std::u16string_view text, std::u16string_view caption, ports::MessageIcon icon,
                                    ports::MessageButtons buttons) override;
    void runModalDialog(std::uint16_t dialogId) override;
    void endDialog(std::intptr_t result) override;

    // The user. Each action needs a visible, enabled control of the right
    // kind; otherwise it does nothing and answers false.
    // Replaces the text of an edit as typing does: within the edit's limit,
    // and only digits in a digits-only edit.
    bool type(int id, std::u16string_view text);
    // A button, check box or radio button: auto check boxes toggle, an auto
    // radio button clears the others of its group.
    bool click(int id);
    // One click on the up or down arrow of a scroll bar.
    bool arrow(int id, bool up);
    // The control takes the focus and loses it again.
    bool leave(int id);
    // Picks entry `index` of a combo box or list box.
    bool choose(int id, int index);
    // The focus leaves the dialog, to the property sheet's buttons or another window.
    void focusOut();

    const std::string& name() const { return name_; }
    const std::vector<SimControl>& controls() const { return controls_; }
    const SimControl* control(int id) const;
    // Whether markChanged was called since the last clearChanged, and how often in all.
    bool changed() const { return changed_; }
    int changedCount() const { return changedCount_; }
    void clearChanged() { changed_ = false; }
    std::optional<std::intptr_t> endResult() const { return endResult_; }
    std::optional<int> focus() const { return focus_; }
    // Port calls that named no control of the dialog.
    std::size_t strayCalls() const { return strayCalls_; }

private:
    SimControl* find(int id);
    SimControl* usable(int id, std::initializer_list<SimControlKind> kinds);
    bool isList(const SimControl& control) const;
    void notify(int id, int code);
    void moveFocus(std::optional<int> id);
    void record(nlohmann::json event);

    std::string name_;
    std::vector<SimControl> controls_;
    SimMessageBoxes& boxes_;
    ports::DialogModel* model_ = nullptr;
    ModalRunner modalRunner_;
    Transcript* transcript_ = nullptr;
    std::optional<int> focus_;
    bool changed_ = false;
    int changedCount_ = 0;
    std::optional<std::intptr_t> endResult_;
    std::size_t strayCalls_ = 0;
};

}  // namespace kvt::sim
