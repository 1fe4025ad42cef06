// The installer's resource script read as the resource compiler reads it:
// the shell finds controls by these ids, a second copy finds windows by these
// captions, and the port index is the radio button's place in the template.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Installer/KVT580duo_Installer/NVXPOS_Installer.h"
#include "Installer/KVT580duo_Installer/win32/PortRadioGroup.h"

namespace kvt::installer::shell {
namespace {

const std::filesystem::path kShellFolder =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "Installer" /
    "KVT580duo_Installer" / "win32";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits at commas outside quotes; quoted fields keep their quotes.
std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            fields.push_back(Trim(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(Trim(field));
    return fields;
}

std::string Unquote(const std::string& field) {
    return field.size() >= 2 && field.front() == '"' ? field.substr(1, field.size() - 2) : field;
}

struct Control {
    std::string kind;  // GROUPBOX, LTEXT, CTEXT, CONTROL, DEFPUSHBUTTON, ...
    std::string text;
    int id = 0;
    std::string windowClass;  // CONTROL only
    std::string style;        // CONTROL's style, or the optional style of the others
};

struct DialogTemplate {
    int width = 0, height = 0;
    std::string style, caption, font;
    std::vector<Control> controls;
};

class ResourceScript {
public:
    ResourceScript() : rc_(ReadFile(kShellFolder / "KVT580duo_Installer.rc")) {
        std::istringstream header(ReadFile(kShellFolder / "resource.h"));
        std::string directive, name;
        int value = 0;
        for (std::string line; std::getline(header, line);) {
            std::istringstream words(line);
            if (words >> directive >> name >> value && directive == "#define") ids_[name] = value;
        }
        ids_["IDOK"] = 1;
        ids_["IDCANCEL"] = 2;
    }

    const std::string& text() const { return rc_; }

    std::optional<int> idOf(const std::string& token) const {
        if (const auto found = ids_.find(token); found != ids_.end()) return found->second;
        try {
            return std::stoi(token);
        } catch (...) {
            return std::nullopt;
        }
    }

    std::optional<DialogTemplate> dialog(int id) const {
        std::istringstream lines(rc_);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string name, keyword;
            if (!(words >> name >> keyword) || keyword != "DIALOGEX" || idOf(name) != id) continue;
            DialogTemplate dialog;
            std::string rest;
            std::getline(words, rest);
            const std::vector<std::string> size = SplitFields(rest);
            if (size.size() != 4) return std::nullopt;
            dialog.width = std::stoi(size[2]);
            dialog.height = std::stoi(size[3]);
            readHeader(lines, dialog);
            readControls(lines, dialog);
            return dialog;
        }
        return std::nullopt;
    }

private:
    static void readHeader(std::istringstream& lines, DialogTemplate& dialog) {
        for (std::string line; std::getline(lines, line) && Trim(line) != "BEGIN";) {
            const std::string trimmed = Trim(line);
            const std::string keyword = trimmed.substr(0, trimmed.find(' '));
            const std::string value = Trim(trimmed.substr(keyword.size()));
            if (keyword == "STYLE") dialog.style = value;
            if (keyword == "CAPTION") dialog.caption = Unquote(value);
            if (keyword == "FONT") dialog.font = value;
        }
    }

    void readControls(std::istringstream& lines, DialogTemplate& dialog) const {
        for (std::string line; std::getline(lines, line) && Trim(line) != "END";) {
            const std::string trimmed = Trim(line);
            Control control;
            control.kind = trimmed.substr(0, trimmed.find_first_of(" \t"));
            const std::vector<std::string> fields = SplitFields(Trim(trimmed.substr(control.kind.size())));
            if (fields.size() < 2) continue;
            control.text = Unquote(fields[0]);
            control.id = idOf(fields[1]).value_or(-999);
            if (control.kind == "CONTROL" && fields.size() >= 4) {
                control.windowClass = Unquote(fields[2]);
                control.style = fields[3];
            } else if (fields.size() >= 7) {
                control.style = fields[6];
            }
            dialog.controls.push_back(control);
        }
    }

    std::string rc_;
    std::map<std::string, int> ids_;
};

bool HasStyle(const std::string& styles, const std::string& flag) {
    std::istringstream words(styles);
    for (std::string word; words >> word;) {
        if (word == flag) return true;
    }
    return false;
}

const Control* FindById(const DialogTemplate& dialog, int id) {
    for (const Control& control : dialog.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

class InstallerResourcesTest : public testing::Test {
protected:
    ResourceScript script;
};

TEST_F(InstallerResourcesTest, MainWindowIsTheProgressWindowWithoutButtons) {
    const std::optional<DialogTemplate> dialog = script.dialog(102);
    ASSERT_TRUE(dialog.has_value()) << "no template 102";
    EXPECT_EQ(dialog->caption, kProgressWindowTitle);
    EXPECT_EQ(dialog->width, 268);
    EXPECT_EQ(dialog->height, 134);
    EXPECT_EQ(dialog->font, "9, \"Verdana\"");
    EXPECT_TRUE(HasStyle(dialog->style, "WS_SYSMENU"));
    // Created hidden and shown by the shell once the window is set up.
    EXPECT_FALSE(HasStyle(dialog->style, "WS_VISIBLE"));

    const Control* bar = FindById(*dialog, 1000);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowClass, "PROGRESS_CLASS");
    const Control* step = FindById(*dialog, 1003);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->text, "Messages");
    const Control* version = FindById(*dialog, 1001);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text, "Driver Version");

    int frames = 0;
    std::vector<std::string> labels;
    for (const Control& control : dialog->controls) {
        EXPECT_NE(control.kind.find("PUSHBUTTON"), 0u) << "the window has a button: " << control.text;
        if (control.kind == "GROUPBOX") ++frames;
        if (control.id == -1 && control.kind != "GROUPBOX") labels.push_back(control.text);
    }
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(labels, (std::vector<std::string>{"NORVEX KVT-580duo", "Progress : "}));
}

TEST_F(InstallerResourcesTest, PortTypeRadioGroupStandsInIndexOrder) {
    const std::optional<DialogTemplate> dialog = script.dialog(129);
    ASSERT_TRUE(dialog.has_value()) << "no template 129";
    EXPECT_EQ(dialog->caption, kPortDialogTitle);
    EXPECT_EQ(dialog->width, 193);
    EXPECT_EQ(dialog->height, 70);
    EXPECT_EQ(dialog->font, "9, \"Verdana\"");
    EXPECT_TRUE(HasStyle(dialog->style, "WS_SYSMENU")) << "the dialog must have a close box";
    // Hidden use must not flash the dialog on the screen.
    EXPECT_FALSE(HasStyle(dialog->style, "WS_VISIBLE"));

    std::vector<int> radioIds;
    std::vector<std::string> radioTexts;
    std::size_t afterLastRadio = 0;
    for (std::size_t i = 0; i < dialog->controls.size(); ++i) {
        const Control& control = dialog->controls[i];
        if (!HasStyle(control.style, "BS_AUTORADIOBUTTON")) continue;
        EXPECT_EQ(HasStyle(control.style, "WS_GROUP"), radioIds.empty())
            << control.text << ": only the first button opens the group";
        radioIds.push_back(control.id);
        radioTexts.push_back(control.text);
        afterLastRadio = i + 1;
    }
    EXPECT_EQ(radioIds, std::vector<int>(kPortRadioIds.begin(), kPortRadioIds.end()));
    EXPECT_EQ(radioTexts, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "LPT1", "LPT2", "USB"}));

    // The group ends at the next control that opens one: "Next", the default OK.
    ASSERT_LT(afterLastRadio, dialog->controls.size());
    const Control& next = dialog->controls[afterLastRadio];
    EXPECT_EQ(next.kind, "DEFPUSHBUTTON");
    EXPECT_EQ(next.text, "Next");
    EXPECT_EQ(next.id, 1);
    EXPECT_TRUE(HasStyle(next.style, "WS_GROUP"));

    std::vector<std::string> frames;
    for (const Control& control : dialog->controls) {
        if (control.kind == "GROUPBOX") frames.push_back(control.text);
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"Serial Port", "Parallel Port", "USB Port"}));
}

TEST_F(InstallerResourcesTest, VersionRecordIsTheProductVersion) {
    const std::string& rc = script.text();
    EXPECT_NE(rc.find("FILEVERSION 3,4,3,0"), std::string::npos);
    EXPECT_NE(rc.find("PRODUCTVERSION 3,4,3,0"), std::string::npos);
    EXPECT_NE(rc.find("VALUE \"FileDescription\", \"NORVEX KVT-580duo\""), std::string::npos);
    EXPECT_NE(rc.find("VALUE \"ProductName\", \"NORVEX KVT-580duo\""), std::string::npos);
    EXPECT_NE(rc.find("VALUE \"FileVersion\", \"3.4.3.0\""), std::string::npos);
}

TEST_F(InstallerResourcesTest, IconAndManifestAreThere) {
    EXPECT_EQ(script.idOf("IDR_MAINFRAME"), 128);
    EXPECT_NE(script.text().find("IDR_MAINFRAME ICON \"KVT580duo_Installer.ico\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_regular_file(kShellFolder / "KVT580duo_Installer.ico"));
    EXPECT_NE(script.text().find("RT_MANIFEST \"KVT580duo_Installer.exe.manifest\""), std::string::npos);

    const std::string manifest = ReadFile(kShellFolder / "KVT580duo_Installer.exe.manifest");
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

struct RadioRow {
    const char* port;
    int index;
    int controlId;
};

class PortRadioGroupTest : public testing::TestWithParam<RadioRow> {};

TEST_P(PortRadioGroupTest, IndexAndControlMapBothWays) {
    EXPECT_EQ(PortControlOfIndex(GetParam().index), GetParam().controlId);
    EXPECT_EQ(PortIndexOfControl(GetParam().controlId), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortRadioGroupTest,
                         testing::Values(RadioRow{"COM1", 0, 1006}, RadioRow{"COM2", 1, 1008},
                                         RadioRow{"COM3", 2, 1009}, RadioRow{"COM4", 3, 1011},
                                         RadioRow{"LPT1", 4, 1007}, RadioRow{"LPT2", 5, 1010},
                                         RadioRow{"USB", 6, 1001}),
                         [](const testing::TestParamInfo<RadioRow>& row) { return std::string(row.param.port); });

TEST(PortRadioGroupOutsideTest, ControlsAndIndexesOutsideTheGroup) {
    EXPECT_EQ(PortIndexOfControl(1), -1);      // "Next"
    EXPECT_EQ(PortIndexOfControl(1000), -1);   // an id between the group's ids
    EXPECT_EQ(PortIndexOfControl(1002), -1);
    EXPECT_EQ(PortControlOfIndex(-1), 0);
    EXPECT_EQ(PortControlOfIndex(7), 0);
}

}  // namespace
}  // namespace kvt::installer::shell
