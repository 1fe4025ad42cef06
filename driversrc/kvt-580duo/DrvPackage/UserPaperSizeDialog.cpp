#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"

#include <algorithm>
#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PaperForms.h"
#include "driversrc/kvt-580duo/DrvPackage/SettingsRefusal.h"
#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

constexpr std::size_t kWidthChars = 4;
constexpr std::size_t kLengthChars = 6;
// Width and length are read from a buffer of 9 characters and a terminator.
constexpr std::size_t kSizeReadChars = 9;
constexpr std::u16string_view kNewFormWidth = u"72.0";
constexpr std::u16string_view kNewFormLength = u"297.0";
// The arrows step by the single-precision 0.1 (0.10000000149011612).
constexpr double kSizeStep = static_cast<double>(0.1f);

struct SizeEdit {
    int edit, arrows;
    double minimum, maximum;
};
constexpr SizeEdit kWidth{IDC_FORM_WIDTH, IDC_FORM_WIDTH_ARROWS, kFormWidthMin, kFormWidthMax};
constexpr SizeEdit kLength{IDC_FORM_LENGTH, IDC_FORM_LENGTH_ARROWS, kFormLengthMin, kFormLengthMax};

const SizeEdit* SizeEditOf(int id) {
    if (id == kWidth.edit || id == kWidth.arrows) return &kWidth;
    if (id == kLength.edit || id == kLength.arrows) return &kLength;
    return nullptr;
}

// Below the minimum (which catches a text without a number, read as 0)
// gives the minimum, above the maximum the maximum.
double Clamped(double value, const SizeEdit& size) {
    if (value < size.minimum) return size.minimum;
    if (value > size.maximum) return size.maximum;
    return value;
}

bool NameRefused(std::u16string_view name) {
    return name == kUserPaperSizeName || name.empty() || name.size() > kUserFormNameMax;
}

}  // namespace

bool UserPaperSizeDialog::onInit() {
    controls_.limitText(IDC_FORM_NAME, kUserFormNameMax);
    controls_.limitText(IDC_FORM_WIDTH, kWidthChars);
    controls_.limitText(IDC_FORM_LENGTH, kLengthChars);
    FillUserFormList();
    return true;
}

void UserPaperSizeDialog::FillUserFormList() {
    std::vector<ports::FormInfo1W> forms;
    if (spooler_.enumForms(state_.printer, forms) != err::Success) forms.clear();
    controls_.resetList(IDC_FORM_LIST);
    int listed = 0;
    for (const ports::FormInfo1W& form : forms) {
        if (!IsModelForm(form.name) || form.flags != ports::spool::FormUser) continue;
        controls_.addListItem(IDC_FORM_LIST, VisibleFormName(form.name));
        ++listed;
    }
    if (listed > 0) {
        controls_.selectListItem(IDC_FORM_LIST, listed - 1);
        ShowSelectedForm();
        return;
    }
    controls_.setText(IDC_FORM_NAME, kUserPaperSizeName);
    controls_.setText(IDC_FORM_WIDTH, kNewFormWidth);
    controls_.setText(IDC_FORM_LENGTH, kNewFormLength);
}

std::u16string UserPaperSizeDialog::selectedFormName() {
    const int selected = controls_.listSelection(IDC_FORM_LIST);
    if (selected < 0) return {};
    const std::optional<std::u16string> entry = controls_.listItemText(IDC_FORM_LIST, selected);
    if (!entry) return {};
    return std::u16string(Leading(FullFormName(*entry), kFormNameChars));
}

void UserPaperSizeDialog::ShowSelectedForm() {
    const std::u16string name = selectedFormName();
    if (name.empty()) return;
    ports::FormInfo1W form;
    if (spooler_.getForm(state_.printer, name, form) != err::Success) return;
    controls_.setText(IDC_FORM_NAME, VisibleFormName(form.name));
    controls_.setText(IDC_FORM_WIDTH, OneDecimalText(FormUnitsToMillimetres(form.width)));
    controls_.setText(IDC_FORM_LENGTH, OneDecimalText(FormUnitsToMillimetres(form.length)));
}

void UserPaperSizeDialog::SaveUserForm() {
    const std::u16string typed = controls_.text(IDC_FORM_NAME);
    const std::u16string_view name = Leading(typed, kFormNameChars);
    if (NameRefused(name)) {
        controls_.messageBox(kRefusedNameText, kRefusedNameCaption, ports::MessageIcon::Error,
                             ports::MessageButtons::Ok);
        return;
    }
    ports::FormInfo1W form;
    form.flags = ports::spool::FormUser;
    form.name = FullFormName(name);
    form.width = MillimetresToFormUnits(EditReal(controls_, codePage_, IDC_FORM_WIDTH, kSizeReadChars));
    form.length = MillimetresToFormUnits(EditReal(controls_, codePage_, IDC_FORM_LENGTH, kSizeReadChars));
    form.right = form.width;
    form.bottom = form.length;

    const std::uint32_t addResult = spooler_.addForm(state_.printer, form);
    // A user who may not change the server's forms keeps the entries typed.
    if (addResult == err::AccessDenied) return ShowAdministratorRightsNeeded(controls_);
    const bool added = addResult == err::Success;
    bool existed = false;
    if (!added) {
        std::vector<ports::FormInfo1W> forms;
        const ports::FormInfo1W* previous =
            spooler_.enumForms(state_.printer, forms) == err::Success ? FindFormNamed(forms, form.name) : nullptr;
        if (previous != nullptr) {
            existed = true;
            const ports::MessageAnswer answer =
                controls_.messageBox(kUpdateQuestionText, kUpdateQuestionCaption, ports::MessageIcon::Information,
                                     ports::MessageButtons::YesNo);
            if (answer != ports::MessageAnswer::Yes) return;
            if (updateForm(*previous, form) == err::AccessDenied) return ShowAdministratorRightsNeeded(controls_);
        }
    }
    const int selected = controls_.listSelection(IDC_FORM_LIST);
    if (added || !existed || selected < 0) {
        FillUserFormList();
        return;
    }
    controls_.selectListItem(IDC_FORM_LIST, selected);
    ShowSelectedForm();
}

// The spooler may refuse to change a form in place; it is then deleted and
// added anew. Should that add fail too, the form as it was is added back:
// a failed update must not cost the user the form. The result is that of
// the step that ended the update.
std::uint32_t UserPaperSizeDialog::updateForm(const ports::FormInfo1W& previous, const ports::FormInfo1W& form) {
    if (spooler_.setForm(state_.printer, form.name, form) == err::Success) return err::Success;
    if (const std::uint32_t deleted = spooler_.deleteForm(state_.printer, form.name)) return deleted;
    const std::uint32_t added = spooler_.addForm(state_.printer, form);
    if (added == err::Success) return err::Success;
    spooler_.addForm(state_.printer, previous);
    return added;
}

void UserPaperSizeDialog::DeleteUserForm() {
    const std::u16string name = selectedFormName();
    if (name.empty()) return;
    ports::FormInfo1W form;
    if (spooler_.getForm(state_.printer, name, form) != err::Success) return;
    if (form.flags != ports::spool::FormUser) return;
    if (spooler_.deleteForm(state_.printer, name) == err::AccessDenied) return ShowAdministratorRightsNeeded(controls_);
    FillUserFormList();
}

bool UserPaperSizeDialog::onCommand(int id, int notification) {
    if (notification == ports::notify::EditChange) {
        controls_.markChanged();
        return true;
    }
    if (id == IDC_FORM_LIST) {
        if (notification == ports::notify::SelectionChange) {
            controls_.markChanged();
            ShowSelectedForm();
        }
        return true;
    }
    if (notification == ports::notify::EditKillFocus) {
        if (const SizeEdit* size = SizeEditOf(id); size != nullptr && size->edit == id) clampSize(id);
        return true;
    }
    if (notification != ports::notify::ButtonClicked) return true;
    switch (id) {
        case IDC_FORM_SAVE:
            SaveUserForm();
            break;
        case IDC_FORM_DELETE:
            DeleteUserForm();
            break;
        case IDC_FORM_CLOSE:
        case ports::command::Ok:
        case ports::command::Cancel:
            controls_.endDialog(kUserPaperSizeResult);
            break;
        default:
            break;
    }
    return true;
}

void UserPaperSizeDialog::onWindowMenuClose() { controls_.endDialog(kUserPaperSizeResult); }

void UserPaperSizeDialog::clampSize(int edit) {
    const SizeEdit& size = *SizeEditOf(edit);
    const double value = EditReal(controls_, codePage_, size.edit, kSizeReadChars);
    controls_.setText(size.edit, OneDecimalText(Clamped(value, size)));
}

bool UserPaperSizeDialog::onScroll(int id, int code) {
    const SizeEdit* size = SizeEditOf(id);
    if (size == nullptr || size->arrows != id) return false;
    double value = EditReal(controls_, codePage_, size->edit, kSizeReadChars);
    if (code == ports::scroll::LineUp) value += kSizeStep;
    if (code == ports::scroll::LineDown) value -= kSizeStep;
    controls_.setText(size->edit, OneDecimalText(Clamped(value, *size)));
    return true;
}

}  // namespace kvt::plugin
