#pragma once
// The main window of a setup program as its worker reports through it: the
// step text, the progress bar, the refresh message, and message boxes
// captioned with the program's title. The Win32 shell does the window work;
// the simulation records it in the transcript and answers message boxes from
// the scripted answers.
#include <cstdint>
#include <string_view>

namespace kvt::ports {

enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class SetupWindow {
public:
    virtual ~SetupWindow() = default;

    // PBM_SETRANGE and PBM_SETSTEP, while the window opens.
    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgressStep(int step) = 0;
    // Assigns the window's step text; the window shows it when it handles
    // the refresh message.
    virtual void setStepText(std::string_view text) = 0;
    // PBM_STEPIT, sent to the progress bar.
    virtual void stepProgress() = 0;
    // PBM_SETPOS.
    virtual void setProgressPosition(int position) = 0;
    // Posts WM_USER + 1: the window moves the step text into its control.
    virtual void refresh() = 0;
    // A modal message box captioned with the program title ("KVT580duo_Installer").
    virtual MessageAnswer messageBox(std::string_view text, MessageIcon icon, MessageButtons buttons) = 0;
    // False when nobody looks at the window (a quiet run keeps it hidden):
    // a pause that only lets a person read a step text is then left out.
    virtual bool watched() const { return true; }
};

}  // namespace kvt::ports
