#pragma once
// The message boxes of the plug-in's simulated dialogs: answered from a
// script shared by every dialog of a run, and remembered as shown.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/SetupWindow.h"

namespace kvt::sim {

struct ShownMessageBox {
    std::u16string text, caption;
    ports::MessageIcon icon = ports::MessageIcon::None;
    ports::MessageButtons buttons = ports::MessageButtons::Ok;
    ports::MessageAnswer answer = ports::MessageAnswer::Ok;
};

class SimMessageBoxes {
public:
    struct Answer {
        std::optional<std::u16string> textContains;  // nothing: any box
        ports::MessageAnswer answer = ports::MessageAnswer::Ok;
    };

    SimMessageBoxes() = default;
    explicit SimMessageBoxes(std::vector<Answer> answers);
    void add(Answer answer);

    // A box takes the first unused answer whose text occurs in its text; a
    // box without one is answered OK, or No when it has no OK button. An
    // answer the box has no button for closes it as its default button would.
    ports::MessageAnswer show(std::u16string_view text, std::u16string_view caption, ports::MessageIcon icon,
                              ports::MessageButtons buttons);

    const std::vector<ShownMessageBox>& shown() const { return shown_; }

private:
    std::vector<Answer> answers_;
    std::vector<bool> used_;
    std::vector<ShownMessageBox> shown_;
};

// A box can only be answered with one of its own buttons; any other scripted
// answer closes it the way its default button would.
ports::MessageAnswer FitAnswer(ports::MessageAnswer answer, ports::MessageButtons buttons);

// The names kvtsim writes: "error", "yesNo", "yes" ...
const char* MessageIconName(ports::MessageIcon icon);
const char* MessageButtonsName(ports::MessageButtons buttons);
const char* MessageAnswerName(ports::MessageAnswer answer);

}  // namespace kvt::sim
