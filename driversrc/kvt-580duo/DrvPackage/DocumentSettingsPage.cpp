#include "driversrc/kvt-580duo/DrvPackage/DocumentSettingsPage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

#include "driversrc/kvt-580duo/DrvPackage/AnsiText.h"
#include "driversrc/kvt-580duo/DrvPackage/CommandCodec.h"
#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"
#include "driversrc/kvt-580duo/DrvPackage/MiscSettings.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "platform/ports/WinCodes.h"

namespace kvt::plugin {
namespace {

struct Drawer {
    int checkBox;
    std::size_t flagByte, pulseByte;
    int edit, arrows, unit;
};

constexpr std::array<Drawer, 4> kDrawers{{
    {IDC_DRAWER_A, misc::DrawerABefore, misc::DrawerAPulse, IDC_DRAWER_A_PULSE, IDC_DRAWER_A_ARROWS,
     IDC_DRAWER_A_UNIT},
    {IDC_DRAWER_B, misc::DrawerBBefore, misc::DrawerBPulse, IDC_DRAWER_B_PULSE, IDC_DRAWER_B_ARROWS,
     IDC_DRAWER_B_UNIT},
    {IDC_DRAWER_C, misc::DrawerCAfter, misc::DrawerCPulse, IDC_DRAWER_C_PULSE, IDC_DRAWER_C_ARROWS,
     IDC_DRAWER_C_UNIT},
    {IDC_DRAWER_D, misc::DrawerDAfter, misc::DrawerDPulse, IDC_DRAWER_D_PULSE, IDC_DRAWER_D_ARROWS,
     IDC_DRAWER_D_UNIT},
}};

const Drawer* DrawerOfCheckBox(int id) {
    for (const Drawer& drawer : kDrawers)
        if (drawer.checkBox == id) return &drawer;
    return nullptr;
}

const Drawer* DrawerOfArrows(int id) {
    for (const Drawer& drawer : kDrawers)
        if (drawer.arrows == id) return &drawer;
    return nullptr;
}

struct Command {
    std::u16string_view valueName;
    int edit;
    CommandBytes PageState::*bytes;
    std::uint32_t PageState::*length;
    bool PageState::*unshown;
};

constexpr Command kStartDoc{u"StartDoc", IDC_START_DOC, &PageState::startDoc, &PageState::startDocLength,
                            &PageState::startDocUnshown};
constexpr Command kEndDoc{u"EndDoc", IDC_END_DOC, &PageState::endDoc, &PageState::endDocLength,
                          &PageState::endDocUnshown};
constexpr Command kStartPage{u"StartPage", IDC_START_PAGE, &PageState::startPage, &PageState::startPageLength,
                             &PageState::startPageUnshown};
constexpr Command kEndPage{u"EndPage", IDC_END_PAGE, &PageState::endPage, &PageState::endPageLength,
                           &PageState::endPageUnshown};

// The page shows them top to bottom and stores them in the order the
// rendering side reads them.
constexpr std::array<Command, 4> kShowOrder{kStartDoc, kStartPage, kEndPage, kEndDoc};
constexpr std::array<Command, 4> kApplyOrder{kStartDoc, kEndDoc, kStartPage, kEndPage};

struct CutButton {
    int id;
    std::uint8_t mode;
};
constexpr std::array<CutButton, 3> kCutButtons{{{IDC_CUT_NONE, 0}, {IDC_CUT_JOB, 1}, {IDC_CUT_PAGE_AND_JOB, 2}}};

constexpr int kLineFeedChars = 2;
constexpr int kPulseChars = 3;
// The arrows' range stops one short of each end; the numbers wrap at the ends.
constexpr int kPulseRangeMin = 51;
constexpr int kPulseRangeMax = 249;
constexpr std::uint8_t kPulseByteMin = kPulseMinMs / 2;
constexpr std::uint8_t kPulseByteMax = kPulseMaxMs / 2;
// What apply takes of a typed pulse before halving it.
constexpr int kPulseTypedMin = 1;
constexpr int kPulseTypedMax = 255;

std::uint8_t LowByte(int number) { return static_cast<std::uint8_t>(number & 0xFF); }

}  // namespace

bool DocumentSettingsPage::onInit() {
    LoadMiscSettings(spooler_, state_);
    showLineFeeds();
    showCommands();
    showDrawers();
    showCutMode();
    return true;
}

void DocumentSettingsPage::showLineFeeds() {
    controls_.limitText(IDC_LINE_FEEDS, kLineFeedChars);
    controls_.setText(IDC_LINE_FEEDS, DecimalText(state_.misc.bytes[misc::LineFeeds]));
}

// A command that cannot be read, or whose text would not fit the edit,
// leaves the edit empty. One that is stored but too long to show (more bytes
// than a command holds, or a text past the edit's limit) is marked, so that
// apply does not replace it with the empty edit.
void DocumentSettingsPage::showCommands() {
    for (const Command& command : kShowOrder) {
        controls_.limitText(command.edit, kCommandTextMax);
        state_.*command.length = kCommandBytesMax;
        (state_.*command.bytes).fill(0);
        state_.*command.unshown = false;
    }
    for (const Command& command : kShowOrder) {
        ports::PrinterDataValue value;
        std::uint32_t needed = 0;
        const std::uint32_t read =
            spooler_.getPrinterData(state_.printer, command.valueName, kCommandBytesMax, value, needed);
        state_.*command.length = needed;
        if (read == err::MoreData) state_.*command.unshown = true;
        if (read != err::Success) continue;
        CommandBytes& bytes = state_.*command.bytes;
        const std::size_t count = std::min(value.data.size(), bytes.size());
        std::copy_n(value.data.begin(), count, bytes.begin());
        CommandText text{};
        if (DecodeCommandBytes(std::span<const std::uint8_t>(bytes.data(), count), text) != 1) {
            state_.*command.unshown = true;
            continue;
        }
        controls_.setText(command.edit, FromAnsiText(codePage_, text.data()));
    }
}

void DocumentSettingsPage::showDrawers() {
    for (const Drawer& drawer : kDrawers) {
        controls_.limitText(drawer.edit, kPulseChars);
        controls_.setScrollRange(drawer.arrows, kPulseRangeMin, kPulseRangeMax, false);
    }
    for (const Drawer& drawer : kDrawers) {
        const bool open = state_.misc.bytes[drawer.flagByte] == 1;
        controls_.setChecked(drawer.checkBox, open);
        enableDrawer(drawer.checkBox, open);
        // A byte outside the range (the default 0 among them) shows, and is
        // stored again on apply, as its nearest bound.
        std::uint8_t& pulse = state_.misc.bytes[drawer.pulseByte];
        pulse = std::clamp(pulse, kPulseByteMin, kPulseByteMax);
        controls_.setText(drawer.edit, DecimalText(pulse * 2));
        controls_.setScrollPosition(drawer.arrows, pulse * 2, false);
    }
}

void DocumentSettingsPage::showCutMode() {
    const std::uint8_t mode = state_.misc.bytes[misc::CutMode];
    const int selected = mode == 0 ? IDC_CUT_NONE : mode == 2 ? IDC_CUT_PAGE_AND_JOB : IDC_CUT_JOB;
    for (const CutButton& button : kCutButtons) controls_.setChecked(button.id, button.id == selected);
}

void DocumentSettingsPage::enableDrawer(int checkBox, bool enabled) {
    const Drawer* drawer = DrawerOfCheckBox(checkBox);
    if (drawer == nullptr) return;
    for (int id : {drawer->edit, drawer->arrows, drawer->unit}) controls_.enable(id, enabled);
}

bool DocumentSettingsPage::onCommand(int id, int notification) {
    if (notification == ports::notify::EditChange) {
        // The user's text replaces a command the edit could not show.
        for (const Command& command : kApplyOrder)
            if (command.edit == id) state_.*command.unshown = false;
        controls_.markChanged();
        return true;
    }
    if (notification != ports::notify::ButtonClicked) return true;
    if (DrawerOfCheckBox(id) != nullptr) {
        controls_.markChanged();
        enableDrawer(id, controls_.checked(id));
        return true;
    }
    for (const CutButton& button : kCutButtons) {
        // The byte holds the mode loaded or last applied: choosing it again
        // is no change.
        if (button.id == id && state_.misc.bytes[misc::CutMode] != button.mode) controls_.markChanged();
    }
    return true;
}

bool DocumentSettingsPage::onScroll(int id, int code) {
    const int edit = id == IDC_LINE_FEED_ARROWS ? IDC_LINE_FEEDS
                     : DrawerOfArrows(id)    ? DrawerOfArrows(id)->edit
                                             : 0;
    if (edit == 0) return false;
    // Wide enough for any number the edit can hold, whatever was typed.
    long long number = EditNumber(controls_, codePage_, edit);
    const int step = code == ports::scroll::LineUp ? 1 : code == ports::scroll::LineDown ? -1 : 0;
    if (id == IDC_LINE_FEED_ARROWS) {
        number += step;
        if (number < 0) number = kLineFeedsMax;
        if (number > kLineFeedsMax) number = 0;
    } else {
        if (step == 0) return false;
        number += step;
        if (number < kPulseMinMs) number = kPulseMaxMs;
        if (number > kPulseMaxMs) number = kPulseMinMs;
    }
    controls_.setScrollPosition(id, static_cast<int>(number), true);
    controls_.setText(edit, DecimalText(number));
    return true;
}

bool DocumentSettingsPage::onApply() {
    state_.misc.bytes[misc::LineFeeds] = LowByte(EditNumber(controls_, codePage_, IDC_LINE_FEEDS));
    applyDrawers();
    applyCutMode();
    SettingsWrites writes;
    writes.note(SaveMiscSettings(spooler_, state_));
    applyCommands(writes);
    return writes.reportRefusal(controls_);
}

// A pulse byte is half the milliseconds of the edit, whether or not its
// drawer opens. A number typed past one byte is held to 1 to 255 rather than
// cut to its low 8 bits (300 ms would have been stored as 22).
void DocumentSettingsPage::applyDrawers() {
    for (const Drawer& drawer : kDrawers) state_.misc.bytes[drawer.flagByte] = 0;
    for (const Drawer& drawer : kDrawers) {
        const int pulse = std::clamp(EditNumber(controls_, codePage_, drawer.edit), kPulseTypedMin, kPulseTypedMax);
        state_.misc.bytes[drawer.pulseByte] = static_cast<std::uint8_t>(pulse);
    }
    for (const Drawer& drawer : kDrawers) {
        if (controls_.checked(drawer.checkBox)) state_.misc.bytes[drawer.flagByte] = 1;
        state_.misc.bytes[drawer.pulseByte] = static_cast<std::uint8_t>(state_.misc.bytes[drawer.pulseByte] / 2);
    }
}

void DocumentSettingsPage::applyCutMode() {
    std::uint8_t mode = 1;
    for (const CutButton& button : kCutButtons) {
        if (controls_.checked(button.id)) {
            mode = button.mode;
            break;
        }
    }
    state_.misc.bytes[misc::CutMode] = mode;
}

void DocumentSettingsPage::applyCommands(SettingsWrites& writes) {
    for (const Command& command : kApplyOrder) {
        if (state_.*command.unshown) continue;  // kept as stored
        const std::u16string text = controls_.text(command.edit);
        std::string ansi = ToAnsiText(codePage_, Leading(text, kCommandTextMax));
        if (ansi.size() > kCommandTextMax) ansi.resize(kCommandTextMax);
        CommandBytes& bytes = state_.*command.bytes;
        std::uint32_t count = 0;
        EncodeCommandText(ansi, bytes, true, count);
        state_.*command.length = count;
        // A cleared command is stored as no bytes, still from the state's buffer.
        writes.note(
            spooler_.setPrinterData(state_.printer, command.valueName, reg::TypeBinary, bytes.data(), count));
    }
}

}  // namespace kvt::plugin
