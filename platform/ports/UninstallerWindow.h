#pragma once
// The uninstaller's main window beyond what its flow reports through
// SetupWindow: the sorted list of printer objects with a check box per item
// (control 1006), the Uninstall (1001) and Cancel (2) buttons, the start of
// the worker thread and the end of the dialog. Each method is one message or
// call on the real controls, so the Win32 shell stays a translation; the
// simulation keeps the list as the control would and records what matters.
#include <string>
#include <string_view>

namespace kvt::ports {

enum class UninstallerButton { Uninstall, Cancel };
enum class DialogResult { Ok, Cancel };

class UninstallerWindow {
public:
    virtual ~UninstallerWindow() = default;

    // LB_RESETCONTENT.
    virtual void resetCheckList() = 0;
    // LB_ADDSTRING: the list keeps its items sorted, so the item lands where
    // its text belongs; its index, or -1 when the list refuses it. A new item
    // has its check box cleared.
    virtual int addCheckListItem(std::string_view text) = 0;
    // LB_GETCOUNT.
    virtual int checkListCount() = 0;
    // LB_GETTEXT; empty for an index outside the list.
    virtual std::string checkListText(int index) = 0;
    // The item's check box; false for an index outside the list.
    virtual bool isChecked(int index) = 0;
    virtual void setChecked(int index, bool checked) = 0;

    // EnableWindow on the button.
    virtual void enableButton(UninstallerButton button, bool enabled) = 0;

    // Starts the worker thread, which calls the flow's UninstallThreadProc,
    // and returns without waiting for it.
    virtual void beginUninstallThread() = 0;

    // EndDialog: the modal main window closes and the program ends after it.
    virtual void endDialog(DialogResult result) = 0;
};

}  // namespace kvt::ports
