// The Document Settings page driven through its model on a simulated dialog:
// what it shows when it opens, what its arrows, boxes and buttons do, and
// what apply stores.
#include "driversrc/kvt-580duo/DrvPackage/DocumentSettingsPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "platform/ports/WinCodes.h"
#include "tests/support/PluginPageSystem.h"

namespace kvt::plugin {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct DrawerIds {
    int check, edit, arrows, unit;
    std::size_t flag, pulse;
};
constexpr DrawerIds kA{IDC_DRAWER_A, IDC_DRAWER_A_PULSE, IDC_DRAWER_A_ARROWS, IDC_DRAWER_A_UNIT, 1, 2};
constexpr DrawerIds kB{IDC_DRAWER_B, IDC_DRAWER_B_PULSE, IDC_DRAWER_B_ARROWS, IDC_DRAWER_B_UNIT, 3, 4};
constexpr DrawerIds kC{IDC_DRAWER_C, IDC_DRAWER_C_PULSE, IDC_DRAWER_C_ARROWS, IDC_DRAWER_C_UNIT, 5, 6};
constexpr DrawerIds kD{IDC_DRAWER_D, IDC_DRAWER_D_PULSE, IDC_DRAWER_D_ARROWS, IDC_DRAWER_D_UNIT, 7, 8};
constexpr DrawerIds kDrawers[] = {kA, kB, kC, kD};

Bytes DefaultMisc() {
    Bytes misc(20, 0);
    misc[10] = 1;
    misc[15] = 1;
    return misc;
}

class DocumentSettingsPageTest : public ::testing::Test, protected test::PluginPageSystem {
protected:
    void SetUp() override { ASSERT_TRUE(prepare()); }
    void TearDown() override {
        if (dialog) {
            EXPECT_EQ(dialog->strayCalls(), 0u) << "the page named a control the dialog lacks";
        }
        closeSheet();
    }

    void open() {
        dialog = openDialog(IDD_DOCUMENT_SETTINGS, "Document Settings");
        page = std::make_unique<DocumentSettingsPage>(*dialog, sim.pluginSpooler(), codePage, state);
        dialog->attach(*page);
        EXPECT_TRUE(page->onInit());
        dialog->clearChanged();
    }

    void apply() {
        dialog->focusOut();
        page->onApply();
    }

    std::u16string text(int id) const { return dialog->control(id)->text; }
    const sim::SimControl& control(int id) const { return *dialog->control(id); }

    std::unique_ptr<sim::SimDialogControls> dialog;
    std::unique_ptr<DocumentSettingsPage> page;
};

TEST_F(DocumentSettingsPageTest, APrinterWithoutMiscOpensWithTheDefaults) {
    open();
    EXPECT_EQ(state.misc.bytes[10], 1);
    EXPECT_EQ(text(IDC_LINE_FEEDS), u"0");
    EXPECT_EQ(control(IDC_LINE_FEEDS).limit, 2u);
    for (const DrawerIds& drawer : kDrawers) {
        SCOPED_TRACE(drawer.check);
        EXPECT_FALSE(control(drawer.check).checked);
        EXPECT_EQ(text(drawer.edit), u"50") << "the default byte 0 shows as the lowest pulse";
        EXPECT_EQ(control(drawer.edit).limit, 3u);
        for (int id : {drawer.edit, drawer.arrows, drawer.unit}) EXPECT_FALSE(control(id).enabled);
        EXPECT_EQ(control(drawer.arrows).scrollMinimum, 51);
        EXPECT_EQ(control(drawer.arrows).scrollMaximum, 249);
        EXPECT_EQ(control(drawer.arrows).scrollPosition, 51) << "Windows keeps the position within the range";
    }
    EXPECT_FALSE(control(IDC_CUT_NONE).checked);
    EXPECT_TRUE(control(IDC_CUT_JOB).checked);
    EXPECT_FALSE(control(IDC_CUT_PAGE_AND_JOB).checked);
    for (int id : {IDC_START_DOC, IDC_START_PAGE, IDC_END_PAGE, IDC_END_DOC}) {
        EXPECT_EQ(text(id), u"");
        EXPECT_EQ(control(id).limit, 2048u);
    }
}

struct StoredDrawerRow {
    const char* name;
    std::uint8_t flag, pulse;
    const char16_t* shown;
    bool open;
};

class StoredDrawerTest : public DocumentSettingsPageTest, public ::testing::WithParamInterface<StoredDrawerRow> {};

TEST_P(StoredDrawerTest, ShowsThePulseWithinItsBounds) {
    const StoredDrawerRow& row = GetParam();
    for (const DrawerIds& drawer : kDrawers) {
        Bytes misc = DefaultMisc();
        misc[drawer.flag] = row.flag;
        misc[drawer.pulse] = row.pulse;
        setPrinterData("MISC", misc);
        open();
        SCOPED_TRACE(drawer.check);
        EXPECT_EQ(text(drawer.edit), row.shown);
        EXPECT_EQ(control(drawer.check).checked, row.open);
        for (int id : {drawer.edit, drawer.arrows, drawer.unit}) EXPECT_EQ(control(id).enabled, row.open);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredDrawerTest,
    ::testing::Values(StoredDrawerRow{"ZeroOff", 0, 0, u"50", false}, StoredDrawerRow{"BelowRange", 1, 24, u"50", true},
                      StoredDrawerRow{"Lowest", 1, 25, u"50", true}, StoredDrawerRow{"Middle", 1, 100, u"200", true},
                      StoredDrawerRow{"Highest", 1, 125, u"250", true},
                      StoredDrawerRow{"AboveRange", 0, 126, u"250", false},
                      StoredDrawerRow{"FlagTwoIsNotOpen", 2, 60, u"120", false},
                      StoredDrawerRow{"ByteMax", 1, 255, u"250", true}),
    [](const auto& row) { return std::string(row.param.name); });

struct ArrowRow {
    const char* name;
    int arrows, edit;
    const char16_t* before;
    bool up;
    const char16_t* after;
};

class DocumentArrowTest : public DocumentSettingsPageTest, public ::testing::WithParamInterface<ArrowRow> {};

TEST_P(DocumentArrowTest, StepsAndWrapsAround) {
    const ArrowRow& row = GetParam();
    Bytes misc = DefaultMisc();
    for (const DrawerIds& drawer : kDrawers) misc[drawer.flag] = 1;
    setPrinterData("MISC", misc);
    open();
    dialog->setText(row.edit, row.before);
    dialog->clearChanged();
    ASSERT_TRUE(dialog->arrow(row.arrows, row.up));
    EXPECT_EQ(text(row.edit), row.after);
    EXPECT_TRUE(dialog->changed()) << "writing the number marks the sheet changed";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DocumentArrowTest,
    ::testing::Values(
        ArrowRow{"PulseUp", IDC_DRAWER_A_ARROWS, IDC_DRAWER_A_PULSE, u"100", true, u"101"},
        ArrowRow{"PulseDown", IDC_DRAWER_B_ARROWS, IDC_DRAWER_B_PULSE, u"100", false, u"99"},
        ArrowRow{"PulseUpFromTopWraps", IDC_DRAWER_C_ARROWS, IDC_DRAWER_C_PULSE, u"250", true, u"50"},
        ArrowRow{"PulseDownFromBottomWraps", IDC_DRAWER_D_ARROWS, IDC_DRAWER_D_PULSE, u"50", false, u"250"},
        ArrowRow{"PulseTypedTooHighWraps", IDC_DRAWER_A_ARROWS, IDC_DRAWER_A_PULSE, u"300", false, u"50"},
        ArrowRow{"PulseWithoutNumber", IDC_DRAWER_A_ARROWS, IDC_DRAWER_A_PULSE, u"ms", true, u"250"},
        ArrowRow{"LineFeedUp", IDC_LINE_FEED_ARROWS, IDC_LINE_FEEDS, u"5", true, u"6"},
        ArrowRow{"LineFeedUpFrom99", IDC_LINE_FEED_ARROWS, IDC_LINE_FEEDS, u"99", true, u"0"},
        ArrowRow{"LineFeedDownFrom0", IDC_LINE_FEED_ARROWS, IDC_LINE_FEEDS, u"0", false, u"99"},
        ArrowRow{"LineFeedEmpty", IDC_LINE_FEED_ARROWS, IDC_LINE_FEEDS, u"", false, u"99"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(DocumentSettingsPageTest, OtherScrollCodesEndAPulseButRewriteLineFeeds) {
    open();
    dialog->setText(IDC_DRAWER_A_PULSE, u"120");
    dialog->setText(IDC_LINE_FEEDS, u"07");
    dialog->clearChanged();
    EXPECT_FALSE(page->onScroll(IDC_DRAWER_A_ARROWS, ports::scroll::EndScroll));
    EXPECT_EQ(text(IDC_DRAWER_A_PULSE), u"120");
    EXPECT_FALSE(dialog->changed());
    EXPECT_TRUE(page->onScroll(IDC_LINE_FEED_ARROWS, ports::scroll::EndScroll));
    EXPECT_EQ(text(IDC_LINE_FEEDS), u"7");
    EXPECT_EQ(control(IDC_LINE_FEED_ARROWS).scrollPosition, 0) << "no range was given the line-feed arrows";
    EXPECT_FALSE(page->onScroll(IDC_COPIES_ARROWS, ports::scroll::LineUp)) << "not a scroll bar of this page";
}

TEST_F(DocumentSettingsPageTest, ADrawerBoxEnablesItsControlsAndMarksChanged) {
    open();
    ASSERT_TRUE(dialog->click(IDC_DRAWER_C));
    EXPECT_TRUE(dialog->changed());
    for (int id : {kC.edit, kC.arrows, kC.unit}) EXPECT_TRUE(control(id).enabled);
    EXPECT_FALSE(control(kA.edit).enabled) << "the other drawers stay as they are";
    ASSERT_TRUE(dialog->arrow(kC.arrows, true));
    EXPECT_EQ(text(kC.edit), u"51");
    ASSERT_TRUE(dialog->click(IDC_DRAWER_C));
    for (int id : {kC.edit, kC.arrows, kC.unit}) EXPECT_FALSE(control(id).enabled);
    EXPECT_FALSE(dialog->arrow(kC.arrows, true)) << "a disabled scroll bar cannot be clicked";
}

struct CutRow {
    const char* name;
    std::uint8_t stored;
    int clicked;
    bool changes;
};

class CutModeTest : public DocumentSettingsPageTest, public ::testing::WithParamInterface<CutRow> {};

TEST_P(CutModeTest, OnlyAnotherModeMarksChanged) {
    const CutRow& row = GetParam();
    Bytes misc = DefaultMisc();
    misc[10] = row.stored;
    setPrinterData("MISC", misc);
    open();
    ASSERT_TRUE(dialog->click(row.clicked));
    EXPECT_EQ(dialog->changed(), row.changes);
    EXPECT_TRUE(control(row.clicked).checked);
}

INSTANTIATE_TEST_SUITE_P(Rows, CutModeTest,
                         ::testing::Values(CutRow{"SameNone", 0, IDC_CUT_NONE, false},
                                           CutRow{"SameJob", 1, IDC_CUT_JOB, false},
                                           CutRow{"SamePageAndJob", 2, IDC_CUT_PAGE_AND_JOB, false},
                                           CutRow{"JobToNone", 1, IDC_CUT_NONE, true},
                                           CutRow{"NoneToPageAndJob", 0, IDC_CUT_PAGE_AND_JOB, true},
                                           CutRow{"UnknownModeShowsJobButIsNotJob", 7, IDC_CUT_JOB, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(DocumentSettingsPageTest, TheAppliedModeIsTheOneClickingAgainDoesNotChange) {
    open();
    ASSERT_TRUE(dialog->click(IDC_CUT_NONE));
    apply();
    EXPECT_EQ(printerData("MISC")[10], 0);
    dialog->clearChanged();
    ASSERT_TRUE(dialog->click(IDC_CUT_NONE));
    EXPECT_FALSE(dialog->changed());
    ASSERT_TRUE(dialog->click(IDC_CUT_JOB));
    EXPECT_TRUE(dialog->changed());
}

struct PulseApplyRow {
    const char* name;
    const char16_t* typed;
    bool open;
    std::uint8_t stored;
    const char16_t* shownNextTime;
};

class PulseApplyTest : public DocumentSettingsPageTest, public ::testing::WithParamInterface<PulseApplyRow> {};

TEST_P(PulseApplyTest, StoresHalfTheTypedPulseHeldToOneByte) {
    const PulseApplyRow& row = GetParam();
    open();
    for (const DrawerIds& drawer : kDrawers) {
        if (row.open) {
            ASSERT_TRUE(dialog->click(drawer.check));
        }
        dialog->setText(drawer.edit, row.typed);
    }
    apply();
    const Bytes misc = printerData("MISC");
    ASSERT_EQ(misc.size(), 20u);
    for (const DrawerIds& drawer : kDrawers) {
        EXPECT_EQ(misc[drawer.flag], row.open ? 1 : 0);
        EXPECT_EQ(misc[drawer.pulse], row.stored);
    }
    open();
    EXPECT_EQ(text(kA.edit), row.shownNextTime);
}

INSTANTIATE_TEST_SUITE_P(Rows, PulseApplyTest,
                         ::testing::Values(PulseApplyRow{"Lowest", u"50", true, 25, u"50"},
                                           PulseApplyRow{"OddIsRoundedDown", u"101", true, 50, u"100"},
                                           PulseApplyRow{"Highest", u"250", true, 125, u"250"},
                                           PulseApplyRow{"ClosedKeepsItsPulse", u"180", false, 90, u"180"},
                                           PulseApplyRow{"AboveAByteHeldTo255", u"300", true, 127, u"250"},
                                           PulseApplyRow{"NegativeHeldTo1", u"-10", true, 0, u"50"},
                                           PulseApplyRow{"Empty", u"", false, 0, u"50"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(DocumentSettingsPageTest, ApplyStoresLineFeedsAndCutAndKeepsThePaperFields) {
    Bytes misc = DefaultMisc();
    for (std::size_t i = 11; i <= 15; ++i) misc[i] = static_cast<std::uint8_t>(i);
    misc[9] = 0x99;
    misc[19] = 0x77;
    setPrinterData("MISC", misc);
    open();
    ASSERT_TRUE(dialog->type(IDC_LINE_FEEDS, u"99"));
    ASSERT_TRUE(dialog->click(IDC_CUT_PAGE_AND_JOB));
    apply();
    Bytes expected = misc;
    expected[0] = 99;
    expected[2] = expected[4] = expected[6] = expected[8] = 25;
    expected[10] = 2;
    EXPECT_EQ(printerData("MISC"), expected) << "the page changes only its own fields";
}

TEST_F(DocumentSettingsPageTest, LineFeedsTypedAreDigitsWithinTwoCharacters) {
    open();
    ASSERT_TRUE(dialog->type(IDC_LINE_FEEDS, u"-345"));
    EXPECT_EQ(text(IDC_LINE_FEEDS), u"34");
    apply();
    EXPECT_EQ(printerData("MISC")[0], 34);
}

TEST_F(DocumentSettingsPageTest, AnUnreadableMiscOpensWithTheDefaults) {
    Bytes misc = DefaultMisc();
    misc[0] = 12;
    setPrinterData("MISC", misc);
    sim.faults().failCall("PluginSpooler.getPrinterData", err::AccessDenied, 1);
    open();
    EXPECT_EQ(text(IDC_LINE_FEEDS), u"0");
    EXPECT_EQ(state.miscStatus, err::AccessDenied);
}

struct CommandRow {
    const char* name;
    Bytes stored;
    const char16_t* shown;
};

class StoredCommandTest : public DocumentSettingsPageTest, public ::testing::WithParamInterface<CommandRow> {};

TEST_P(StoredCommandTest, ShowsTheCanonicalText) {
    const CommandRow& row = GetParam();
    setPrinterData("StartDoc", row.stored);
    setPrinterData("EndPage", row.stored);
    open();
    // Without a text given, the row only asks for something to be shown.
    if (row.shown == nullptr) {
        EXPECT_FALSE(text(IDC_START_DOC).empty());
    } else {
        EXPECT_EQ(text(IDC_START_DOC), row.shown);
    }
    EXPECT_EQ(text(IDC_END_PAGE), text(IDC_START_DOC));
    EXPECT_EQ(text(IDC_START_PAGE), u"");
    EXPECT_EQ(state.startDocLength, row.stored.size());
}

Bytes Alternating(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = i % 2 == 0 ? 0x1B : 0x4A;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredCommandTest,
    ::testing::Values(CommandRow{"Escape", {0x1B, 0x4A, 0x00}, u"<1B>J<00>"},
                      CommandRow{"Space", {'A', ' ', 'B'}, u"A<20>B"},
                      CommandRow{"HighByteShownAsHex", {0xE9}, u"<E9>"},
                      CommandRow{"EmptyValue", {}, u""},
                      CommandRow{"TooLongToShowLeavesTheEditEmpty", Alternating(1023), u""},
                      CommandRow{"LongButFitting", Alternating(682), nullptr}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(DocumentSettingsPageTest, AValueLongerThanACommandLeavesTheEditEmpty) {
    setPrinterData("EndDoc", Bytes(2049, 'x'));
    open();
    EXPECT_EQ(text(IDC_END_DOC), u"");
    EXPECT_EQ(state.endDocLength, 2049u) << "the size the read reported";
}

TEST_F(DocumentSettingsPageTest, CommandsRoundTripThroughTheCodec) {
    open();
    ASSERT_TRUE(dialog->type(IDC_START_DOC, u"<1b 4a 00>"));
    ASSERT_TRUE(dialog->type(IDC_START_PAGE, u"A B"));
    ASSERT_TRUE(dialog->type(IDC_END_PAGE, u"<1B4>A"));
    ASSERT_TRUE(dialog->type(IDC_END_DOC, u"\u00E9\u20AC"));
    apply();
    EXPECT_EQ(printerData("StartDoc"), (Bytes{0x1B, 0x4A, 0x00}));
    EXPECT_EQ(printerData("StartPage"), (Bytes{'A', ' ', 'B'}));
    EXPECT_EQ(printerData("EndPage"), (Bytes{0x1B, 0x41}));
    EXPECT_EQ(printerData("EndDoc"), (Bytes{0xE9, '?'})) << "typed in the ANSI code page";
    EXPECT_EQ(state.startDocLength, 3u);
    EXPECT_EQ(state.endPageLength, 2u);

    open();
    EXPECT_EQ(text(IDC_START_DOC), u"<1B>J<00>");
    EXPECT_EQ(text(IDC_START_PAGE), u"A<20>B");
    EXPECT_EQ(text(IDC_END_PAGE), u"<1B>A");
    EXPECT_EQ(text(IDC_END_DOC), u"<E9>?");
}

// The page asks for precomposed characters; UTF-8 and GB18030 systems refuse
// that flag, and the page converts without it there.
struct PageCodePageRow {
    const char* name;
    std::uint32_t codePage;
    Bytes eAcute;  // U+00E9 as the code page stores it
    friend void PrintTo(const PageCodePageRow& row, std::ostream* out) { *out << row.name; }
};

class PageCodePageTest : public DocumentSettingsPageTest, public ::testing::WithParamInterface<PageCodePageRow> {};

TEST_P(PageCodePageTest, NumbersAndCommandsSurviveEveryCodePage) {
    sim.world().os.ansiCodePage = GetParam().codePage;
    open();
    ASSERT_TRUE(dialog->type(IDC_LINE_FEEDS, u"12"));
    ASSERT_TRUE(dialog->type(IDC_START_DOC, u"<1b 4a 00>"));
    ASSERT_TRUE(dialog->type(IDC_END_DOC, u"A\u00E9"));
    apply();
    EXPECT_EQ(printerData("MISC")[0], 12);
    EXPECT_EQ(printerData("StartDoc"), (Bytes{0x1B, 0x4A, 0x00}));
    Bytes endDoc{'A'};
    endDoc.insert(endDoc.end(), GetParam().eAcute.begin(), GetParam().eAcute.end());
    EXPECT_EQ(printerData("EndDoc"), endDoc);

    open();
    EXPECT_EQ(text(IDC_LINE_FEEDS), u"12");
    EXPECT_EQ(text(IDC_START_DOC), u"<1B>J<00>");
}

INSTANTIATE_TEST_SUITE_P(Rows, PageCodePageTest,
                         ::testing::Values(PageCodePageRow{"Western1252", 1252, {0xE9}},
                                           PageCodePageRow{"Japanese932", 932, {'?'}},
                                           PageCodePageRow{"Chinese936", 936, {0xA8, 0xA6}},
                                           PageCodePageRow{"Gb18030", 54936, {0xA8, 0xA6}},
                                           PageCodePageRow{"Utf8", 65001, {0xC3, 0xA9}}),
                         [](const auto& rowInfo) { return std::string(rowInfo.param.name); });

TEST_F(DocumentSettingsPageTest, AnUnshownStoredCommandIsKeptUntilTheUserEditsIt) {
    setPrinterData("StartDoc", Alternating(1023));
    setPrinterData("EndPage", Bytes(2049, 'x'));
    setPrinterData("EndDoc", Alternating(1023));
    open();
    ASSERT_TRUE(dialog->type(IDC_END_DOC, u"B"));
    ASSERT_TRUE(dialog->type(IDC_END_DOC, u""));
    apply();
    EXPECT_EQ(printerData("StartDoc"), Alternating(1023));
    EXPECT_EQ(printerData("EndPage"), Bytes(2049, 'x'));
    EXPECT_TRUE(hasPrinterData("EndDoc"));
    EXPECT_EQ(printerData("EndDoc"), Bytes{}) << "emptied by the user: a value of length 0";
}

TEST_F(DocumentSettingsPageTest, ApplyWritesMiscThenTheCommandsInTheirOrder) {
    open();
    apply();
    std::vector<std::string> written;
    for (const auto& p : sim.spooler().memory()->printers)
        for (const auto& [name, value] : p.data) written.push_back(name);
    const std::vector<std::string> expected{"MajorVersion", "MinorVersion", "BuildVersion", "ExtraVersion", "MISC",
                                            "StartDoc",     "EndDoc",       "StartPage",    "EndPage"};
    EXPECT_EQ(written, expected) << "values are kept in the order they were first written";
    for (const char* name : {"StartDoc", "EndDoc", "StartPage", "EndPage"})
        EXPECT_EQ(printerData(name), Bytes{}) << name;
}

TEST_F(DocumentSettingsPageTest, AFailedWriteIsIgnored) {
    open();
    ASSERT_TRUE(dialog->type(IDC_START_DOC, u"X"));
    sim.faults().failCall("PluginSpooler.setPrinterData", err::AccessDenied);
    apply();
    EXPECT_FALSE(hasPrinterData("MISC"));
    EXPECT_FALSE(hasPrinterData("StartDoc"));
    EXPECT_EQ(state.startDocLength, 1u) << "the page state holds what was applied";
}

TEST_F(DocumentSettingsPageTest, OpeningMarksTheSheetChangedAsEditsSendEnChange) {
    dialog = openDialog(IDD_DOCUMENT_SETTINGS);
    page = std::make_unique<DocumentSettingsPage>(*dialog, sim.pluginSpooler(), codePage, state);
    dialog->attach(*page);
    page->onInit();
    EXPECT_TRUE(dialog->changed());
    EXPECT_TRUE(page->onClose());
    EXPECT_TRUE(page->onCommand(IDC_START_DOC, ports::notify::EditKillFocus));
}

// Without automatic horizontal scrolling an edit takes no more characters
// than its width shows, far fewer than the 2048 of a command.
TEST(DocumentSettingsScript, EveryCommandEditScrollsSideways) {
    std::ifstream script(std::filesystem::path(__FILE__).parent_path() /
                         "../../../../driversrc/kvt-580duo/DrvPackage/win32/UI580D.rc");
    ASSERT_TRUE(script);
    const std::vector<std::string> commands{"IDC_START_DOC,", "IDC_START_PAGE,", "IDC_END_PAGE,", "IDC_END_DOC,"};
    std::vector<std::string> scrolling;
    for (std::string line; std::getline(script, line);)
        for (const std::string& id : commands)
            if (line.find("EDITTEXT") != line.npos && line.find(id) != line.npos &&
                line.find("ES_AUTOHSCROLL") != line.npos)
                scrolling.push_back(id);
    EXPECT_EQ(scrolling, commands);
}

}  // namespace
}  // namespace kvt::plugin
