#pragma once
// The installer's "Port Type" dialog as its flow uses it: shown modally on
// the worker thread, or created hidden only to turn the configured port into
// a selection. The selection index is the radio button's place in the group
// (0 COM1 ... 5 LPT2, 6 USB); the port code is 1000 + index.
namespace kvt::ports {

struct PortDialogResult {
    bool ok = false;    // "Next" pressed; false when the dialog was closed
    int selection = 0;  // index of the marked button when the dialog ended
};

class PortDialog {
public:
    virtual ~PortDialog() = default;

    // Shows the dialog with `preselection` marked and waits for the user.
    virtual PortDialogResult showModal(int preselection) = 0;
    // Creates the dialog hidden with `preselection` marked, reads the
    // selection back and destroys it; the user never sees it.
    virtual int hiddenSelection(int preselection) = 0;
};

}  // namespace kvt::ports
