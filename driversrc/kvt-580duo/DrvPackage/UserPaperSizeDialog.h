#pragma once
// The "User Defined Paper Size" dialog (dialog 118), run modally from the
// Paper page: it lists the model's user forms and creates, changes and
// deletes them in the spooler at once (there is no cancel). The user sees
// and types names without the model's tag; every form saved here carries it.
#include <cstdint>
#include <string_view>

#include "platform/ports/DialogModel.h"
#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/AnsiCodePage.h"
#include "platform/ports/DialogControls.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

// What the name edit shows when the model has no user form; a name the
// dialog refuses to save.
inline constexpr std::u16string_view kUserPaperSizeName = u"User Defined Paper Size";
inline constexpr std::size_t kUserFormNameMax = 22;

inline constexpr double kFormWidthMin = 25.4;
inline constexpr double kFormWidthMax = 72.0;
inline constexpr double kFormLengthMin = 25.4;
inline constexpr double kFormLengthMax = 3276.0;

inline constexpr std::u16string_view kRefusedNameText = u"This paper name can not be registered.";
inline constexpr std::u16string_view kRefusedNameCaption = u"Error";
inline constexpr std::u16string_view kUpdateQuestionText = u"Do you want to update the paper size?";
inline constexpr std::u16string_view kUpdateQuestionCaption = u"Question";

// What the dialog ends with, however it is closed.
inline constexpr std::intptr_t kUserPaperSizeResult = 1;

class UserPaperSizeDialog final : public ports::DialogModel {
public:
    UserPaperSizeDialog(ports::DialogControls& controls, ports::PluginSpooler& spooler, ports::AnsiCodePage& codePage,
                        PageState& state)
        : controls_(controls), spooler_(spooler), codePage_(codePage), state_(state) {}

    bool onInit() override;
    bool onCommand(int id, int notification) override;
    bool onScroll(int id, int code) override;
    // WM_SYSCOMMAND SC_CLOSE, the window menu's Close: ends the dialog.
    void onWindowMenuClose();

    // Lists the visible names of the model's user forms in the spooler's
    // order and shows the last; without one, the name and size a new form
    // starts from.
    void FillUserFormList();
    // Shows the name and size of the selected entry's form.
    void ShowSelectedForm();
    // Adds the form the edits describe, or, after the user agrees, changes
    // the existing form of that name.
    void SaveUserForm();
    // Deletes the selected entry's form, without asking, if it is a user form.
    void DeleteUserForm();

private:
    std::uint32_t updateForm(const ports::FormInfo1W& previous, const ports::FormInfo1W& form);
    void clampSize(int edit);
    // The full name of the selected entry; empty without a selection.
    std::u16string selectedFormName();

    ports::DialogControls& controls_;
    ports::PluginSpooler& spooler_;
    ports::AnsiCodePage& codePage_;
    PageState& state_;
};

}  // namespace kvt::plugin
