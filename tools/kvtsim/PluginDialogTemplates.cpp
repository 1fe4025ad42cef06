#include "tools/kvtsim/PluginDialogTemplates.h"

#include "platform/sim/Utf16Text.h"

namespace kvt::kvtsim {

// Generated from the resource script and its id header (PluginResourceText.cpp.in).
extern const char* const kPluginResourceScript;
extern const char* const kPluginResourceIds;

namespace {

using Kind = sim::SimControlKind;

Kind KindOf(const ResourceControl& control) {
    const std::string& s = control.statement;
    if (s == "EDITTEXT") return Kind::Edit;
    if (s == "COMBOBOX") return Kind::ComboBox;
    if (s == "LISTBOX") return Kind::ListBox;
    if (s == "SCROLLBAR") return Kind::ScrollBar;
    if (s == "AUTOCHECKBOX" || s == "CHECKBOX") return Kind::CheckBox;
    if (s == "AUTORADIOBUTTON" || s == "RADIOBUTTON") return Kind::RadioButton;
    if (s == "PUSHBUTTON" || s == "DEFPUSHBUTTON") return Kind::PushButton;
    if (s == "CONTROL") {
        if (control.windowClass == "Edit") return Kind::Edit;
        if (control.windowClass == "Static" && control.styles.has("SS_BLACKFRAME")) return Kind::Frame;
    }
    if (s == "GROUPBOX") return Kind::Frame;
    return Kind::Label;
}

}  // namespace

const ResourceScript& PluginResources() {
    static const ResourceScript script(kPluginResourceScript, {kPluginResourceIds});
    return script;
}

std::vector<sim::SimControlTemplate> SimulatedControls(const ResourceDialog& dialog) {
    std::vector<sim::SimControlTemplate> controls;
    int group = 0;
    for (const ResourceControl& control : dialog.controls) {
        if (control.styles.has("WS_GROUP")) ++group;
        if (control.id == -1) continue;
        sim::SimControlTemplate made;
        made.id = control.id;
        made.kind = KindOf(control);
        made.text = sim::Utf8ToUtf16(control.text).value_or(std::u16string());
        made.rect = {control.rect.x, control.rect.y, control.rect.width, control.rect.height};
        made.numberOnly = control.styles.has("ES_NUMBER");
        made.readOnly = control.styles.has("ES_READONLY");
        made.visible = !control.styles.removes("WS_VISIBLE");
        made.enabled = !control.styles.has("WS_DISABLED");
        if (made.kind == Kind::RadioButton) made.group = group;
        controls.push_back(std::move(made));
    }
    return controls;
}

std::optional<std::vector<sim::SimControlTemplate>> PluginDialogTemplate(std::uint16_t dialogId) {
    const ResourceDialog* dialog = PluginResources().dialog(dialogId);
    if (dialog == nullptr) return std::nullopt;
    return SimulatedControls(*dialog);
}

}  // namespace kvt::kvtsim
