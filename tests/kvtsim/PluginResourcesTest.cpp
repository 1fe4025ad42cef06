// The plug-in's dialog templates as the simulation makes them from
// UI580D.rc: every control a page or the paper-size dialog works on, with
// its id, kind, text, rectangle and initial state. The simulated dialogs and
// the shipped ones are read from the same script, so this checks both.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/sim/Utf16Text.h"
#include "tools/kvtsim/PluginDialogTemplates.h"
#include "tools/kvtsim/ResourceScript.h"

namespace kvt::kvtsim {
namespace {

using Kind = sim::SimControlKind;

struct TemplateRow {
    int dialog, id;
    Kind kind;
    const char* text;  // nullptr: a text the page sets itself
    sim::SimControlRect rect;
};

const TemplateRow kPluginTemplateRows[] = {
    {116, 1013, Kind::ComboBox, nullptr, {63, 20, 105, 65}},
    {116, 1014, Kind::PushButton, "...", {172, 20, 36, 12}},
    {116, 1015, Kind::ComboBox, nullptr, {63, 37, 105, 47}},
    {116, 1016, Kind::Edit, nullptr, {49, 82, 33, 12}},
    {116, 1041, Kind::ScrollBar, nullptr, {83, 82, 8, 12}},
    {116, 1017, Kind::RadioButton, "Monochrome", {11, 125, 61, 10}},
    {116, 1018, Kind::RadioButton, "Color", {83, 125, 38, 10}},
    {116, 1019, Kind::ComboBox, nullptr, {69, 162, 112, 47}},
    {118, 1026, Kind::ListBox, nullptr, {11, 19, 170, 109}},
    {118, 1031, Kind::Edit, nullptr, {84, 135, 97, 12}},
    {118, 1027, Kind::Edit, nullptr, {84, 151, 33, 12}},
    {118, 1028, Kind::ScrollBar, nullptr, {118, 151, 8, 12}},
    {118, 1029, Kind::Edit, nullptr, {84, 168, 33, 12}},
    {118, 1030, Kind::ScrollBar, nullptr, {118, 168, 8, 12}},
    {118, 1024, Kind::PushButton, "Delete", {186, 19, 43, 12}},
    {118, 1025, Kind::PushButton, "Save", {186, 135, 43, 12}},
    {118, 1032, Kind::PushButton, "Close", {180, 191, 56, 14}},
    {121, 1002, Kind::Edit, nullptr, {58, 19, 156, 12}},
    {121, 1007, Kind::Edit, nullptr, {58, 35, 156, 12}},
    {121, 1009, Kind::Edit, nullptr, {58, 51, 156, 12}},
    {121, 1006, Kind::Edit, nullptr, {58, 67, 156, 12}},
    {121, 1010, Kind::CheckBox, "Open before printing #1", {13, 117, 93, 11}},
    {121, 1037, Kind::Edit, nullptr, {111, 115, 31, 13}},
    {121, 1039, Kind::ScrollBar, nullptr, {143, 115, 9, 12}},
    {121, 1033, Kind::Label, "[ ms ]", {155, 117, 22, 9}},
    {121, 1011, Kind::CheckBox, "Open before printing #2", {13, 132, 93, 11}},
    {121, 1038, Kind::Edit, nullptr, {111, 131, 31, 13}},
    {121, 1040, Kind::ScrollBar, nullptr, {143, 131, 9, 12}},
    {121, 1034, Kind::Label, "[ ms ]", {155, 132, 22, 9}},
    {121, 1005, Kind::CheckBox, "Open after printing #1", {13, 148, 93, 11}},
    {121, 1029, Kind::Edit, nullptr, {111, 147, 31, 13}},
    {121, 1027, Kind::ScrollBar, nullptr, {143, 147, 9, 13}},
    {121, 1031, Kind::Label, "[ ms ]", {155, 148, 22, 9}},
    {121, 1004, Kind::CheckBox, "Open after printing #2", {13, 163, 93, 11}},
    {121, 1035, Kind::Edit, nullptr, {111, 163, 31, 13}},
    {121, 1028, Kind::ScrollBar, nullptr, {143, 163, 9, 12}},
    {121, 1032, Kind::Label, "[ ms ]", {155, 165, 22, 9}},
    {121, 1001, Kind::Edit, nullptr, {108, 198, 21, 12}},
    {121, 1030, Kind::ScrollBar, nullptr, {130, 197, 8, 13}},
    {121, 1036, Kind::Label, "[ 0 - 99 ]", {142, 200, 33, 8}},
    {121, 1003, Kind::RadioButton, "Page / Job : No Cut / No Cut", {12, 234, 134, 10}},
    {121, 1042, Kind::RadioButton, "Page / Job : No Cut / Partial Cut", {12, 246, 134, 14}},
    {121, 1043, Kind::RadioButton, "Page / Job : Partial Cut / Partial Cut", {12, 260, 134, 14}},
    {133, 1010, Kind::Edit, nullptr, {0, 32, 273, 34}},
    {133, 1011, Kind::Edit, nullptr, {0, 196, 273, 41}},
    {133, 1018, Kind::Frame, nullptr, {6, 76, 121, 28}},
    {133, 1019, Kind::Frame, nullptr, {6, 110, 121, 30}},
};

TEST(PluginResourcesTest, TemplatesHoldTheControlsOfThePages) {
    std::map<int, std::vector<int>> expectedIds, madeIds;
    for (const TemplateRow& row : kPluginTemplateRows) {
        expectedIds[row.dialog].push_back(row.id);
        const auto made = PluginDialogTemplate(static_cast<std::uint16_t>(row.dialog));
        ASSERT_TRUE(made.has_value()) << "no dialog " << row.dialog;
        const sim::SimControlTemplate* control = nullptr;
        for (const sim::SimControlTemplate& c : *made)
            if (c.id == row.id) control = &c;
        ASSERT_NE(control, nullptr) << row.dialog << "/" << row.id;
        EXPECT_EQ(control->kind, row.kind) << row.dialog << "/" << row.id;
        EXPECT_EQ(control->rect, row.rect) << row.dialog << "/" << row.id;
        if (row.text != nullptr) {
            EXPECT_EQ(sim::Utf16ToUtf8(control->text), row.text) << row.dialog << "/" << row.id;
        }
    }
    for (const auto& [dialog, ids] : expectedIds) {
        const auto made = PluginDialogTemplate(static_cast<std::uint16_t>(dialog));
        ASSERT_TRUE(made.has_value()) << "dialog " << dialog;
        for (const sim::SimControlTemplate& c : *made) madeIds[dialog].push_back(c.id);
        EXPECT_EQ(madeIds[dialog].size(), ids.size()) << "controls with an id in dialog " << dialog;
    }
    EXPECT_FALSE(PluginDialogTemplate(117).has_value());
}

// What the user can do with a control: digits only, no typing, hidden, disabled,
// and which radio buttons exclude each other.
TEST(PluginResourcesTest, TemplatesGiveTheControlsTheirInitialStates) {
    const auto paper = *PluginDialogTemplate(116);
    const auto settings = *PluginDialogTemplate(121);
    const auto version = *PluginDialogTemplate(133);
    const auto find = [](const std::vector<sim::SimControlTemplate>& dialog, int id) {
        for (const sim::SimControlTemplate& c : dialog)
            if (c.id == id) return c;
        return sim::SimControlTemplate{};
    };
    EXPECT_TRUE(find(paper, 1016).numberOnly);
    EXPECT_TRUE(find(settings, 1001).numberOnly);
    EXPECT_FALSE(find(settings, 1037).numberOnly) << "pulses take any text and are held to 1 to 255";
    EXPECT_TRUE(find(version, 1010).readOnly && find(version, 1011).readOnly);
    EXPECT_FALSE(find(paper, 1019).visible || find(paper, 1019).enabled) << "paper source";
    EXPECT_FALSE(find(version, 1018).visible || find(version, 1019).visible) << "picture frames";
    EXPECT_EQ(find(paper, 1017).group, find(paper, 1018).group);
    EXPECT_EQ(find(settings, 1003).group, find(settings, 1043).group);
    EXPECT_NE(find(settings, 1003).group, 0);
}

TEST(PluginResourcesTest, ReaderResolvesNamesStylesAndEscapesAndRefusesTheUnknown) {
    const ResourceScript script(
        "#include \"ids.h\"\n"
        "7 DIALOGEX 1, 2, 30, 40\nSTYLE WS_CHILD | NOT WS_VISIBLE\nCAPTION \"Say \"\"hi\"\"\"\n"
        "FONT 8, \"MS Sans Serif\"\nBEGIN\n"
        "    // a comment, \"quoted\"\n"
        "    CONTROL \"a\\r\\nb\", IDC_X, \"Edit\", ES_READONLY | NOT WS_TABSTOP,\n        1, 2, 3, 4\n"
        "    LTEXT \"label\", -1, 5, 6, 7, 8\nEND\n",
        {"#define IDC_X 1234\n"});
    const ResourceDialog* dialog = script.dialog(7);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, "Say \"hi\"");
    EXPECT_EQ(dialog->rect, (DialogUnitsRect{1, 2, 30, 40}));
    EXPECT_TRUE(dialog->styles.removes("WS_VISIBLE"));
    ASSERT_EQ(dialog->controls.size(), 2u);
    EXPECT_EQ(dialog->controls[0].id, 1234);
    EXPECT_EQ(dialog->controls[0].text, "a\r\nb");
    EXPECT_TRUE(dialog->controls[0].styles.has("ES_READONLY"));
    EXPECT_EQ(dialog->controls[1].rect, (DialogUnitsRect{5, 6, 7, 8}));

    EXPECT_THROW(ResourceScript("1 DIALOGEX 0, 0, 1, 1\nBEGIN\n    TREEVIEW \"x\", 1, 0, 0, 1, 1\nEND\n", {}),
                 ResourceScriptError);
    EXPECT_THROW(ResourceScript("1 DIALOGEX 0, 0, 1, 1\nBEGIN\n    LTEXT \"x\", IDC_NONE, 0, 0, 1, 1\nEND\n", {}),
                 ResourceScriptError);
    EXPECT_THROW(ResourceScript("1 DIALOGEX 0, 0, 1, 1\nBEGIN\n    LTEXT \"x\", 5, 0", {}), ResourceScriptError);
}

}  // namespace
}  // namespace kvt::kvtsim
