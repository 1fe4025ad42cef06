#pragma once
// The controls of another program's dialog: found by "#id" or by their text,
// listed, read and clicked.
#include <windows.h>

#include <string>
#include <vector>

namespace kvt::winauto {

struct ControlInfo {
    HWND window = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    int check = -1;  // BST_* for check boxes and radio buttons, -1 otherwise
};

std::vector<ControlInfo> ControlsOf(HWND dialog);

// "#1008" names a control by id; anything else by its text, with the
// mnemonic ampersands of the text ignored. Null when there is none.
HWND FindControl(HWND dialog, const std::string& selector);

// BST_* of a check box or radio button, -1 for other controls.
int CheckStateOf(HWND control);

// BM_CLICK, as a mouse click on the button would do it.
bool ClickButton(HWND button);

// The items of a list box, whether each is selected, and whether its check
// box is set (check lists keep the state as item data: 1 set, 0 clear).
struct ListItem {
    std::string text;
    bool selected = false;
    bool checked = false;
};
std::vector<ListItem> ListBoxItems(HWND listBox);

// Selects the item and presses the space bar on the list, as a user toggles
// an item's check box from the keyboard. False for an index outside the list.
bool ToggleListItem(HWND listBox, int index);

std::string WithoutMnemonics(const std::string& text);

}  // namespace kvt::winauto
