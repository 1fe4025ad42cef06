#pragma once
// The dialog statements of a resource script (.rc) as the resource compiler
// reads them: DIALOG and DIALOGEX with their STYLE, EXSTYLE, CAPTION and FONT,
// and every control statement with its text, id, window class, styles and
// rectangle in dialog units. Symbolic ids come from the #define lines of the
// headers the script includes, handed over as text. Other resources are
// skipped. A statement the reader does not know is an error, so a template
// that gains one cannot be read wrongly.
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::kvtsim {

struct DialogUnitsRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const DialogUnitsRect&, const DialogUnitsRect&) = default;
};

// Style flags as written: "WS_GROUP", or "NOT WS_VISIBLE" for a removed one.
struct ResourceStyles {
    std::vector<std::string> flags;
    bool has(std::string_view flag) const;
    bool removes(std::string_view flag) const;
};

struct ResourceControl {
    std::string statement;  // LTEXT, EDITTEXT, CONTROL, ...
    std::string text;       // escapes resolved; empty for statements without text
    int id = -1;
    std::string windowClass;  // CONTROL only
    ResourceStyles styles;
    DialogUnitsRect rect;
};

struct ResourceDialog {
    int id = 0;
    DialogUnitsRect rect;
    ResourceStyles styles, exStyles;
    std::string caption;
    int fontSize = 0;
    std::string fontFace;
    std::vector<ResourceControl> controls;
};

class ResourceScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ResourceScript {
public:
    // Throws ResourceScriptError for a dialog statement it cannot read.
    ResourceScript(std::string_view script, const std::vector<std::string_view>& headers);

    const std::vector<ResourceDialog>& dialogs() const { return dialogs_; }
    const ResourceDialog* dialog(int id) const;
    std::optional<int> symbol(std::string_view name) const;

private:
    std::map<std::string, int, std::less<>> symbols_;
    std::vector<ResourceDialog> dialogs_;
};

}  // namespace kvt::kvtsim
