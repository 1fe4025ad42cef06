#include "platform/sim/PluginDialogTemplates.h"

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"

namespace kvt::sim {
namespace {

using Kind = SimControlKind;

SimControlTemplate Control(int id, Kind kind, std::u16string text = {}) {
    SimControlTemplate control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    return control;
}

SimControlTemplate Digits(int id) {
    SimControlTemplate edit = Control(id, Kind::Edit);
    edit.numberOnly = true;
    return edit;
}

SimControlTemplate Radio(int id, std::u16string text, int group) {
    SimControlTemplate radio = Control(id, Kind::RadioButton, std::move(text));
    radio.group = group;
    return radio;
}

SimControlTemplate HiddenDisabled(SimControlTemplate control) {
    control.visible = false;
    control.enabled = false;
    return control;
}

std::vector<SimControlTemplate> DocumentSettings() {
    return {
        Control(IDC_START_DOC, Kind::Edit),
        Control(IDC_START_PAGE, Kind::Edit),
        Control(IDC_END_PAGE, Kind::Edit),
        Control(IDC_END_DOC, Kind::Edit),
        Control(IDC_DRAWER_A, Kind::CheckBox, u"Open before printing #1"),
        Control(IDC_DRAWER_A_PULSE, Kind::Edit),
        Control(IDC_DRAWER_A_ARROWS, Kind::ScrollBar),
        Control(IDC_DRAWER_A_UNIT, Kind::Label, u"[ ms ]"),
        Control(IDC_DRAWER_B, Kind::CheckBox, u"Open before printing #2"),
        Control(IDC_DRAWER_B_PULSE, Kind::Edit),
        Control(IDC_DRAWER_B_ARROWS, Kind::ScrollBar),
        Control(IDC_DRAWER_B_UNIT, Kind::Label, u"[ ms ]"),
        Control(IDC_DRAWER_C, Kind::CheckBox, u"Open after printing #1"),
        Control(IDC_DRAWER_C_PULSE, Kind::Edit),
        Control(IDC_DRAWER_C_ARROWS, Kind::ScrollBar),
        Control(IDC_DRAWER_C_UNIT, Kind::Label, u"[ ms ]"),
        Control(IDC_DRAWER_D, Kind::CheckBox, u"Open after printing #2"),
        Control(IDC_DRAWER_D_PULSE, Kind::Edit),
        Control(IDC_DRAWER_D_ARROWS, Kind::ScrollBar),
        Control(IDC_DRAWER_D_UNIT, Kind::Label, u"[ ms ]"),
        Digits(IDC_LINE_FEEDS),
        Control(IDC_LINE_FEED_ARROWS, Kind::ScrollBar),
        Control(IDC_LINE_FEED_RANGE, Kind::Label, u"[ 0 - 99 ]"),
        Radio(IDC_CUT_NONE, u"Page / Job : No Cut / No Cut", 1),
        Radio(IDC_CUT_JOB, u"Page / Job : No Cut / Partial Cut", 1),
        Radio(IDC_CUT_PAGE_AND_JOB, u"Page / Job : Partial Cut / Partial Cut", 1),
    };
}

std::vector<SimControlTemplate> Paper() {
    return {
        Control(IDC_PAPER_SIZE, Kind::ComboBox),
        Control(IDC_PAPER_SIZE_FORMS, Kind::PushButton, u"..."),
        Control(IDC_PAPER_TYPE, Kind::ComboBox),
        Digits(IDC_COPIES),
        Control(IDC_COPIES_ARROWS, Kind::ScrollBar),
        Radio(IDC_MONOCHROME, u"Monochrome", 1),
        Radio(IDC_COLOR, u"Color", 1),
        HiddenDisabled(Control(IDC_PAPER_SOURCE, Kind::ComboBox)),
    };
}

std::vector<SimControlTemplate> UserPaperSize() {
    return {
        Control(IDC_FORM_LIST, Kind::ListBox),
        Control(IDC_FORM_NAME, Kind::Edit),
        Control(IDC_FORM_WIDTH, Kind::Edit),
        Control(IDC_FORM_WIDTH_ARROWS, Kind::ScrollBar),
        Control(IDC_FORM_LENGTH, Kind::Edit),
        Control(IDC_FORM_LENGTH_ARROWS, Kind::ScrollBar),
        Control(IDC_FORM_DELETE, Kind::PushButton, u"Delete"),
        Control(IDC_FORM_SAVE, Kind::PushButton, u"Save"),
        Control(IDC_FORM_CLOSE, Kind::PushButton, u"Close"),
    };
}

std::vector<SimControlTemplate> Version() {
    SimControlTemplate frame1 = Control(IDC_PICTURE_FRAME_1, Kind::Frame);
    SimControlTemplate frame2 = Control(IDC_PICTURE_FRAME_2, Kind::Frame);
    frame1.visible = frame2.visible = false;
    SimControlTemplate version = Control(IDC_VERSION_TEXT, Kind::Edit);
    SimControlTemplate notice = Control(IDC_LEGAL_NOTICE, Kind::Edit);
    version.readOnly = notice.readOnly = true;
    return {version, notice, frame1, frame2};
}

}  // namespace

std::optional<std::vector<SimControlTemplate>> PluginDialogTemplate(std::uint16_t dialogId) {
    switch (dialogId) {
        case IDD_PAPER: return Paper();
        case IDD_USER_PAPER_SIZE: return UserPaperSize();
        case IDD_DOCUMENT_SETTINGS: return DocumentSettings();
        case IDD_VERSION: return Version();
        default: return std::nullopt;
    }
}

}  // namespace kvt::sim
