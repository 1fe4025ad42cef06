#pragma once
// What a dialog procedure hands the portable model of its page or dialog:
// the messages that carry behaviour, each answered with the value the procedure
// returns. A model keeps no state of its own (the controls and the page
// state hold everything), so a shell may make one for every message.
namespace kvt::ports {

class DialogModel {
public:
    virtual ~DialogModel() = default;
    // WM_INITDIALOG, after the page state has been bound.
    virtual bool onInit() = 0;
    // WM_COMMAND: the control id and the notification code.
    virtual bool onCommand(int id, int notification) = 0;
    // WM_VSCROLL from the scroll-bar control `id` with the request `code`.
    virtual bool onScroll(int id, int code) = 0;
    // PSN_APPLY: true when everything was stored (PSNRET_NOERROR); false
    // keeps the sheet open on the page with the user's entries
    // (PSNRET_INVALID_NOCHANGEPAGE).
    virtual bool onApply() { return true; }
    // WM_CLOSE: answered TRUE, so that the window stays.
    virtual bool onClose() { return true; }
};

}  // namespace kvt::plugin
