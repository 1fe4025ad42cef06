#pragma once
// The script of `kvtsim plugin sheet`: what the user does on the plug-in's
// property sheet and its paper-size dialog, one action after the other, and
// how the message boxes are answered (see docs/kvtsim-plugin-sheet.md).
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMessageBoxes.h"

namespace kvt::kvtsim {

enum class SheetActionKind { Type, Click, Arrow, Leave, Choose, Press, Apply, Page, Close };

struct SheetAction {
    SheetActionKind kind = SheetActionKind::Click;
    std::string path;        // "$.actions[3]", for the transcript and for errors
    nlohmann::json source;   // the action as the script wrote it
    int control = 0;         // type, click, arrow, leave, choose
    std::u16string text;     // type: the text; press: the button; page: the title; choose: the entry
    bool up = true;          // arrow
    int times = 1;           // arrow
    std::optional<int> index;  // choose by position instead of by text
};

struct SheetScript {
    std::vector<sim::SimMessageBoxes::Answer> messageBoxes;
    std::vector<SheetAction> actions;
};

// Nothing, and `problem` as "JSON_PATH: reason", when the script has the
// wrong form; unknown fields are ignored.
std::optional<SheetScript> ParseSheetScript(const nlohmann::json& document, std::string& problem);
// Reads `file` ("-" reads `stdinStream`); `errorLine` is "FILE: JSON_PATH: reason".
std::optional<SheetScript> LoadSheetScriptFile(const std::string& file, std::istream& stdinStream,
                                               std::string& errorLine);

const char* SheetActionName(SheetActionKind kind);

}  // namespace kvt::kvtsim
