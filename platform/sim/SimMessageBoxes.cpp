#include "platform/sim/SimMessageBoxes.h"

namespace kvt::sim {

ports::MessageAnswer FitAnswer(ports::MessageAnswer answer, ports::MessageButtons buttons) {
    if (buttons == ports::MessageButtons::Ok) return ports::MessageAnswer::Ok;
    if (answer == ports::MessageAnswer::Yes || answer == ports::MessageAnswer::No) return answer;
    return ports::MessageAnswer::No;
}

SimMessageBoxes::SimMessageBoxes(std::vector<Answer> answers)
    : answers_(std::move(answers)), used_(answers_.size(), false) {}

void SimMessageBoxes::add(Answer answer) {
    answers_.push_back(std::move(answer));
    used_.push_back(false);
}

ports::MessageAnswer SimMessageBoxes::show(std::u16string_view text, std::u16string_view caption,
                                           ports::MessageIcon icon, ports::MessageButtons buttons) {
    ports::MessageAnswer answer =
        buttons == ports::MessageButtons::Ok ? ports::MessageAnswer::Ok : ports::MessageAnswer::No;
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (used_[i]) continue;
        const auto& wanted = answers_[i].textContains;
        if (wanted && text.find(*wanted) == std::u16string_view::npos) continue;
        used_[i] = true;
        answer = FitAnswer(answers_[i].answer, buttons);
        break;
    }
    shown_.push_back({std::u16string(text), std::u16string(caption), icon, buttons, answer});
    return answer;
}

const char* MessageIconName(ports::MessageIcon icon) {
    switch (icon) {
        case ports::MessageIcon::Information: return "information";
        case ports::MessageIcon::Question: return "question";
        case ports::MessageIcon::Warning: return "warning";
        case ports::MessageIcon::Error: return "error";
        case ports::MessageIcon::None: break;
    }
    return "none";
}

const char* MessageButtonsName(ports::MessageButtons buttons) {
    return buttons == ports::MessageButtons::YesNo ? "yesNo" : "ok";
}

const char* MessageAnswerName(ports::MessageAnswer answer) {
    switch (answer) {
        case ports::MessageAnswer::Yes: return "yes";
        case ports::MessageAnswer::No: return "no";
        case ports::MessageAnswer::Cancel: return "cancel";
        case ports::MessageAnswer::Ok: break;
    }
    return "ok";
}

}  // namespace kvt::sim
