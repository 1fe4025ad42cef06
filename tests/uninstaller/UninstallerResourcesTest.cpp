// The uninstaller's main window as its resource script builds it: the ids
// its shell and flow address, the texts, the rectangles, the initial states
// and the frame (modal, system menu, in the task bar, no minimise box, placed
// by the template rather than centred).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/kvtsim/ResourceScript.h"

namespace kvt::test {
namespace {

const std::filesystem::path kUninstallerShell =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "Installer" /
    "KVT580duo_Uninstaller" / "win32";

std::string ReadUninstallerSource(const char* name) {
    std::ifstream in(kUninstallerShell / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct UninstallerControlRow {
    int id;
    const char* statement;
    const char* text;
    kvtsim::DialogUnitsRect rect;
    bool disabled;
};

TEST(UninstallerResourcesTest, MainWindowHasTheControlsAndFrameOfItsTemplate) {
    const std::string rc = ReadUninstallerSource("KVT580duo_Uninstaller.rc");
    const std::string ids = ReadUninstallerSource("resource.h");
    const kvtsim::ResourceScript script(rc, {ids});
    const kvtsim::ResourceDialog* dialog = script.dialog(102);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, "NORVEX KVT-580duo Uninstaller");
    EXPECT_EQ(dialog->rect.width, 204);
    EXPECT_EQ(dialog->rect.height, 152);
    EXPECT_EQ(dialog->fontSize, 9);
    EXPECT_EQ(dialog->fontFace, "Verdana");
    for (const char* flag : {"DS_MODALFRAME", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU"})
        EXPECT_TRUE(dialog->styles.has(flag)) << flag;
    for (const char* flag : {"WS_MINIMIZEBOX", "WS_MAXIMIZEBOX", "DS_CENTER", "WS_VISIBLE"})
        EXPECT_FALSE(dialog->styles.has(flag)) << flag;
    EXPECT_TRUE(dialog->exStyles.has("WS_EX_APPWINDOW"));

    const UninstallerControlRow rows[] = {
        {1006, "LISTBOX", "", {6, 6, 190, 92}, false},
        {-1, "LTEXT", "Progress :", {6, 102, 37, 8}, false},
        {1000, "LTEXT", "", {46, 102, 151, 8}, false},
        {1002, "CONTROL", "", {6, 115, 190, 15}, false},
        {1001, "DEFPUSHBUTTON", "Uninstall", {6, 133, 50, 16}, true},
        {2, "PUSHBUTTON", "Cancel", {146, 133, 50, 16}, false},
    };
    ASSERT_EQ(dialog->controls.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const kvtsim::ResourceControl& control = dialog->controls[i];
        EXPECT_EQ(control.id, rows[i].id) << i;
        EXPECT_EQ(control.statement, rows[i].statement) << rows[i].id;
        EXPECT_EQ(control.text, rows[i].text) << rows[i].id;
        EXPECT_EQ(control.rect, rows[i].rect) << rows[i].id;
        EXPECT_EQ(control.styles.has("WS_DISABLED"), rows[i].disabled) << rows[i].id;
    }
    const kvtsim::ResourceStyles& list = dialog->controls[0].styles;
    for (const char* flag : {"LBS_SORT", "LBS_OWNERDRAWFIXED", "LBS_HASSTRINGS", "LBS_NOTIFY", "WS_VSCROLL"})
        EXPECT_TRUE(list.has(flag)) << flag;
    EXPECT_EQ(dialog->controls[3].windowClass, "PROGRESS_CLASS");
}

}  // namespace
}  // namespace kvt::test
