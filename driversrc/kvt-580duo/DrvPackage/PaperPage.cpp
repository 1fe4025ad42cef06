#include "driversrc/kvt-580duo/DrvPackage/PaperPage.h"

#include <algorithm>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"
#include "driversrc/kvt-580duo/DrvPackage/MiscSettings.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PaperForms.h"
#include "driversrc/kvt-580duo/DrvPackage/PrinterDefaultUpdate.h"
#include "driversrc/kvt-580duo/DrvPackage/SettingsRefusal.h"
#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

constexpr std::int16_t kSourceReceipt = 263;
constexpr std::int16_t kSourceTicket = 264;
constexpr std::int16_t kSourceForm = 15;  // DMBIN_FORMSOURCE
constexpr int kCopiesChars = 3;
constexpr std::uint8_t kNoSelection = 255;

std::uint8_t SelectionByte(int selection) { return selection < 0 ? kNoSelection : static_cast<std::uint8_t>(selection); }

// A device-mode size in tenths of a millimetre; a form too large for the
// 16-bit field is given its largest value rather than a wrapped one.
std::int16_t Tenths(std::int32_t thousandths) {
    return static_cast<std::int16_t>(std::clamp(thousandths / 100, -32768, 32767));
}

}  // namespace

std::int16_t PaperSourceOfType(int typeIndex) {
    if (typeIndex == 0) return kSourceReceipt;
    if (typeIndex == 1) return kSourceTicket;
    return kSourceForm;
}

bool PaperPage::onInit() {
    LoadMiscSettings(spooler_, state_);
    fillList(IDC_PAPER_SOURCE, kPaperSources, state_.misc.bytes[misc::PaperSource]);
    FillPaperSizeList();
    if (state_.miscStatus != err::Success)
        state_.misc.bytes[misc::PaperSize] = static_cast<std::uint8_t>(FindPaperSizeIndex(kDefaultPaperSizeName));
    controls_.selectListItem(IDC_PAPER_SIZE, state_.misc.bytes[misc::PaperSize]);
    fillList(IDC_PAPER_TYPE, kPaperTypes, state_.misc.bytes[misc::PaperType]);
    selectColor();
    showCopies();
    return true;
}

void PaperPage::fillList(int id, std::span<const std::u16string_view> entries, int selected) {
    controls_.resetList(id);
    for (std::u16string_view entry : entries) controls_.addListItem(id, entry);
    controls_.selectListItem(id, selected);
}

void PaperPage::selectColor() {
    const bool color = state_.misc.bytes[misc::Color] == 1;
    controls_.setChecked(IDC_COLOR, color);
    controls_.setChecked(IDC_MONOCHROME, !color);
}

void PaperPage::showCopies() {
    controls_.limitText(IDC_COPIES, kCopiesChars);
    controls_.setScrollRange(IDC_COPIES_ARROWS, kCopiesMin, kCopiesMax, false);
    controls_.setText(IDC_COPIES, DecimalText(state_.misc.bytes[misc::Copies]));
}

void PaperPage::FillPaperSizeList() {
    std::vector<ports::FormInfo1W> forms;
    // Without the spooler's list the page offers no size rather than a stale one.
    if (spooler_.enumForms(state_.printer, forms) != err::Success) forms.clear();
    controls_.resetList(IDC_PAPER_SIZE);
    for (const ports::FormInfo1W& form : forms)
        if (IsModelForm(form.name)) controls_.addListItem(IDC_PAPER_SIZE, VisibleFormName(form.name));
}

int PaperPage::FindPaperSizeIndex(std::u16string_view name) {
    const int count = controls_.listCount(IDC_PAPER_SIZE);
    for (int i = 0; i < count; ++i)
        if (controls_.listItemText(IDC_PAPER_SIZE, i) == name) return i;
    return 0;
}

std::u16string PaperPage::paperSizeEntry(int index) {
    const std::optional<std::u16string> text = controls_.listItemText(IDC_PAPER_SIZE, index);
    return text ? std::u16string(Leading(*text, kFormNameChars)) : std::u16string();
}

bool PaperPage::formExists(std::u16string_view fullName) {
    std::vector<ports::FormInfo1W> forms;
    if (spooler_.enumForms(state_.printer, forms) != err::Success) return false;
    return FindFormNamed(forms, fullName) != nullptr;
}

bool PaperPage::onCommand(int id, int notification) {
    if (notification == ports::notify::EditChange) {
        controls_.markChanged();
        return true;
    }
    switch (id) {
        case IDC_PAPER_SIZE_FORMS:
            if (notification == ports::notify::ButtonClicked) choosePaperSizeForm();
            break;
        case IDC_MONOCHROME:
        case IDC_COLOR:
            if (notification == ports::notify::ButtonClicked &&
                state_.misc.bytes[misc::Color] != (id == IDC_COLOR ? 1 : 0))
                controls_.markChanged();
            break;
        case IDC_PAPER_SIZE:
            if (notification == ports::notify::SelectionChange) controls_.markChanged();
            break;
        case IDC_PAPER_TYPE:
        case IDC_PAPER_SOURCE:
            if (notification == ports::notify::ComboDropDown) controls_.markChanged();
            break;
        case IDC_COPIES:
            if (notification == ports::notify::EditKillFocus) clampCopies();
            break;
        default:
            break;
    }
    return true;
}

// The dialog changes the spooler's forms at once, so the list is read again
// and the size chosen before is kept only while its form exists.
void PaperPage::choosePaperSizeForm() {
    const int selected = controls_.listSelection(IDC_PAPER_SIZE);
    const std::u16string previous = selected < 0 ? std::u16string() : paperSizeEntry(selected);
    const std::u16string fullName = FullFormName(previous);
    controls_.runModalDialog(IDD_USER_PAPER_SIZE);
    FillPaperSizeList();
    const std::u16string_view name =
        selected < 0 || !formExists(fullName) ? kDefaultPaperSizeName : std::u16string_view(previous);
    state_.misc.bytes[misc::PaperSize] = static_cast<std::uint8_t>(FindPaperSizeIndex(name));
    controls_.selectListItem(IDC_PAPER_SIZE, state_.misc.bytes[misc::PaperSize]);
    SaveMiscSettings(spooler_, state_);
    controls_.markChanged();
}

void PaperPage::clampCopies() {
    const int copies = EditNumber(controls_, codePage_, IDC_COPIES);
    if (copies < kCopiesMin) controls_.setText(IDC_COPIES, DecimalText(kCopiesMin));
    if (copies > kCopiesMax) controls_.setText(IDC_COPIES, DecimalText(kCopiesMax));
}

bool PaperPage::onScroll(int id, int code) {
    if (id != IDC_COPIES_ARROWS) return false;
    long long copies = EditNumber(controls_, codePage_, IDC_COPIES);
    if (code == ports::scroll::LineUp) ++copies;
    if (code == ports::scroll::LineDown) --copies;
    if (copies <= 0) copies = kCopiesMax;
    if (copies > kCopiesMax) copies = kCopiesMin;
    controls_.setScrollPosition(IDC_COPIES_ARROWS, static_cast<int>(copies), true);
    controls_.setText(IDC_COPIES, DecimalText(copies));
    return true;
}

bool PaperPage::onApply() {
    auto& bytes = state_.misc.bytes;
    SettingsWrites writes;
    bytes[misc::PaperSource] = SelectionByte(controls_.listSelection(IDC_PAPER_SOURCE));
    bytes[misc::PaperSize] = SelectionByte(controls_.listSelection(IDC_PAPER_SIZE));
    writes.note(ApplyPaperSize(bytes[misc::PaperSize]));
    bytes[misc::PaperType] = SelectionByte(controls_.listSelection(IDC_PAPER_TYPE));
    writes.note(ApplyPaperType(bytes[misc::PaperType]));
    bytes[misc::Color] = controls_.checked(IDC_COLOR) ? 1 : 0;
    writes.note(ApplyColor(bytes[misc::Color]));
    // Enter in the edit applies without the edit losing the focus; the
    // number is kept within the copies a device mode can ask for, as
    // leaving the edit would have kept it, rather than cut to its low byte
    // (300 would have printed 44 copies, 0 none).
    const int copies = std::clamp(EditNumber(controls_, codePage_, IDC_COPIES), kCopiesMin, kCopiesMax);
    bytes[misc::Copies] = static_cast<std::uint8_t>(copies);
    writes.note(ApplyCopies(bytes[misc::Copies]));
    writes.note(SaveMiscSettings(spooler_, state_));
    return writes.reportRefusal(controls_);
}

std::uint32_t PaperPage::ApplyCopies(int copies) {
    return UpdatePrinterDefault(spooler_, state_, [copies](ports::DevModeW& devmode) {
        const auto wanted = static_cast<std::int16_t>(copies);
        if (devmode.copies == wanted) return false;
        devmode.copies = wanted;
        return true;
    });
}

std::uint32_t PaperPage::ApplyColor(std::uint8_t color) {
    return UpdatePrinterDefault(spooler_, state_, [color](ports::DevModeW& devmode) {
        const std::int16_t wanted = color == 1 ? ports::devmode_color::Color : ports::devmode_color::Monochrome;
        if (devmode.color == wanted) return false;
        devmode.color = wanted;
        return true;
    });
}

std::uint32_t PaperPage::ApplyPaperType(int typeIndex) {
    return UpdatePrinterDefault(spooler_, state_, [typeIndex](ports::DevModeW& devmode) {
        const std::int16_t wanted = PaperSourceOfType(typeIndex);
        if (devmode.defaultSource == wanted) return false;
        devmode.defaultSource = wanted;
        return true;
    });
}

std::uint32_t PaperPage::ApplyPaperSize(int index) {
    const std::u16string fullName = FullFormName(paperSizeEntry(index));
    std::vector<ports::FormInfo1W> forms;
    const ports::FormInfo1W* form =
        spooler_.enumForms(state_.printer, forms) == err::Success ? FindFormNamed(forms, fullName) : nullptr;
    if (form == nullptr) {
        state_.misc.bytes[misc::PaperSize] = static_cast<std::uint8_t>(FindPaperSizeIndex(kDefaultPaperSizeName));
        return err::Success;
    }
    return UpdatePrinterDefault(spooler_, state_, [this, form](ports::DevModeW& devmode) {
        devmode.formName = Leading(form->name, kFormNameChars);
        devmode.paperSize = 0;
        const std::int16_t width = Tenths(form->width);
        const std::int16_t length = Tenths(form->length);
        if (devmode.paperWidth == width && devmode.paperLength == length) return false;
        devmode.paperWidth = width;
        devmode.paperLength = length;
        spooler_.validateDevMode(state_.printer, PrinterName(state_), devmode);
        return true;
    });
}

}  // namespace kvt::plugin
