#pragma once
// The "Port Type" dialog (template 129) behind the PortDialog port. Both uses
// run on the worker thread with the main window as owner or parent.
#include <windows.h>

#include "platform/ports/PortDialog.h"

namespace kvt::installer::shell {

class Win32PortDialog final : public ports::PortDialog {
public:
    explicit Win32PortDialog(HINSTANCE instance) : instance_(instance) {}

    // The main window, once it exists.
    void setOwner(HWND owner) { owner_ = owner; }

    // "Next" ends it with OK; the close box and Escape cancel.
    ports::PortDialogResult showModal(int preselection) override;
    // Created modeless and hidden, read, destroyed. When the window cannot
    // be created the preselection is what the configuration asked for, and
    // it is returned unchanged.
    int hiddenSelection(int preselection) override;

private:
    HINSTANCE instance_;
    HWND owner_ = nullptr;
};

}  // namespace kvt::installer::shell
