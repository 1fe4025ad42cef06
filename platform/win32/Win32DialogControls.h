#pragma once
// The controls of one of the plug-in's dialogs, through the dialog window's
// handle. Combo boxes and list boxes are told apart by their window class.
#include <windows.h>

#include <cstdint>

#include "platform/ports/DialogControls.h"

namespace kvt::win32 {

class Win32DialogControls final : public ports::DialogControls {
public:
    // Opens the plug-in's dialog `dialogId` modally over `owner` and returns
    // when it has ended; the shell supplies it, as it knows the templates,
    // their procedures and the page state.
    using ModalRunner = void (*)(HWND owner, std::uint16_t dialogId);

    explicit Win32DialogControls(HWND dialog, ModalRunner runModal = nullptr) : dialog_(dialog), runModal_(runModal) {}

    std::u16string text(int id) override;
    void setText(int id, std::u16string_view text) override;
    void limitText(int id, std::size_t characters) override;
    bool checked(int id) override;
    void setChecked(int id, bool checked) override;
    void enable(int id, bool enabled) override;
    void resetList(int id) override;
    void addListItem(int id, std::u16string_view text) override;
    int listCount(int id) override;
    int listSelection(int id) override;
    void selectListItem(int id, int index) override;
    std::optional<std::u16string> listItemText(int id, int index) override;
    void setScrollRange(int id, int minimum, int maximum, bool redraw) override;
    void setScrollPosition(int id, int position, bool redraw) override;
    void markChanged() override;
    ports::MessageAnswer messageBox(std::u16string_view text, std::u16string_view caption, ports::MessageIcon icon,
                                    ports::MessageButtons buttons) override;
    void runModalDialog(std::uint16_t dialogId) override;
    void endDialog(std::intptr_t result) override;

private:
    HWND dialog_;
    ModalRunner runModal_;
};

}  // namespace kvt::win32
