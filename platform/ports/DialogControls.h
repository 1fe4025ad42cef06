#pragma once
// The controls of one dialog as the plug-in's pages and its paper-size dialog
// work on them, by control id: texts, check marks, enabled state, the entries
// and selection of combo boxes and list boxes, scroll-bar arrows, the text
// limit of edits; and what a dialog asks of its owner: "changed" for the
// property sheet's Apply button, a message box, a modal dialog, the end of
// the dialog. Texts are UTF-16, as the wide dialog functions take them.
//
// An id that names no control of the dialog does nothing, as a null window
// from GetDlgItem does nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/SetupWindow.h"

namespace kvt::ports {

// Notification codes that WM_COMMAND carries from a control.
namespace notify {
inline constexpr int ButtonClicked = 0;        // BN_CLICKED
inline constexpr int SelectionChange = 1;      // CBN_SELCHANGE and LBN_SELCHANGE
inline constexpr int ComboSetFocus = 3;        // CBN_SETFOCUS
inline constexpr int ComboKillFocus = 4;       // CBN_KILLFOCUS
inline constexpr int ListSetFocus = 4;         // LBN_SETFOCUS
inline constexpr int ListKillFocus = 5;        // LBN_KILLFOCUS
inline constexpr int ComboDropDown = 7;        // CBN_DROPDOWN
inline constexpr int ComboCloseUp = 8;         // CBN_CLOSEUP
inline constexpr int ComboSelectionEnd = 9;    // CBN_SELENDOK
inline constexpr int EditSetFocus = 0x100;     // EN_SETFOCUS
inline constexpr int EditKillFocus = 0x200;    // EN_KILLFOCUS
inline constexpr int EditChange = 0x300;       // EN_CHANGE
}  // namespace notify

// Request codes of WM_VSCROLL.
namespace scroll {
inline constexpr int LineUp = 0;     // SB_LINEUP
inline constexpr int LineDown = 1;   // SB_LINEDOWN
inline constexpr int EndScroll = 8;  // SB_ENDSCROLL
}  // namespace scroll

// Command ids that a dialog receives from the keyboard.
namespace command {
inline constexpr int Ok = 1;      // IDOK, Enter
inline constexpr int Cancel = 2;  // IDCANCEL, Escape
}  // namespace command

class DialogControls {
public:
    virtual ~DialogControls() = default;

    // GetDlgItemTextW, the whole text; SetDlgItemTextW. An edit whose text is
    // set sends EN_CHANGE to the dialog, as Windows edits do.
    virtual std::u16string text(int id) = 0;
    virtual void setText(int id, std::u16string_view text) = 0;
    // EM_LIMITTEXT: the number of characters the user can type.
    virtual void limitText(int id, std::size_t characters) = 0;

    // IsDlgButtonChecked (BST_CHECKED) and CheckDlgButton.
    virtual bool checked(int id) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    // EnableWindow.
    virtual void enable(int id, bool enabled) = 0;

    // Combo boxes and list boxes alike (CB_ or LB_ messages as the control
    // is): empty, append an entry, count, the selected position (-1 without
    // selection), select a position (one outside the list clears the
    // selection), the text of an entry (nothing outside the list).
    virtual void resetList(int id) = 0;
    virtual void addListItem(int id, std::u16string_view text) = 0;
    virtual int listCount(int id) = 0;
    virtual int listSelection(int id) = 0;
    virtual void selectListItem(int id, int index) = 0;
    virtual std::optional<std::u16string> listItemText(int id, int index) = 0;

    // SetScrollRange and SetScrollPos of a scroll-bar control.
    virtual void setScrollRange(int id, int minimum, int maximum, bool redraw) = 0;
    virtual void setScrollPosition(int id, int position, bool redraw) = 0;

    // PSM_CHANGED with the dialog's window, sent to its owner: for a page the
    // property sheet, which enables its Apply button.
    virtual void markChanged() = 0;
    // MessageBoxW owned by the dialog.
    virtual MessageAnswer messageBox(std::u16string_view text, std::u16string_view caption, MessageIcon icon,
                                     MessageButtons buttons) = 0;
    // DialogBoxParamW of the plug-in's dialog template `dialogId`, owned by
    // this dialog and given the same page state; returns when it has ended.
    virtual void runModalDialog(std::uint16_t dialogId) = 0;
    // EndDialog of a modal dialog.
    virtual void endDialog(std::intptr_t result) = 0;
};

}  // namespace kvt::ports
