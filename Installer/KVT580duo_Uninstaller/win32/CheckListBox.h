#pragma once
// A list box that shows a check box before each item: an owner-drawn,
// sorted list with strings whose item data holds the check state (1 set,
// 0 clear), so that any program can read the state with LB_GETITEMDATA.
// A click on an item's box or the space bar on the selected item toggles it
// and tells the parent with WM_COMMAND and kCheckChangeNotification.
#include <windows.h>

namespace kvt::uninstaller::shell {

inline constexpr WORD kCheckChangeNotification = 40;

// Subclasses the list control so that it toggles on click and space.
void AttachCheckList(HWND list);

// WM_MEASUREITEM and WM_DRAWITEM of the parent for the list.
void MeasureCheckListItem(HWND parent, MEASUREITEMSTRUCT& item);
void DrawCheckListItem(const DRAWITEMSTRUCT& item);

// False for an index outside the list.
bool IsItemChecked(HWND list, int index);
void SetItemChecked(HWND list, int index, bool checked);

}  // namespace kvt::uninstaller::shell
