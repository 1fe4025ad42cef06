#pragma once
// The "Document Settings" page (dialog 121): the four command strings sent
// around documents and pages, the two cash drawers pulsed before and after
// printing, the line feeds after printing and the paper-cut mode. What the
// user changes stays in the controls until the sheet is applied; apply
// writes "MISC" and the four command values.
#include "platform/ports/DialogModel.h"
#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "driversrc/kvt-580duo/DrvPackage/SettingsRefusal.h"
#include "platform/ports/AnsiCodePage.h"
#include "platform/ports/DialogControls.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

// Pulse lengths on the screen, in milliseconds; a stored pulse byte is half
// of it (25 to 125).
inline constexpr int kPulseMinMs = 50;
inline constexpr int kPulseMaxMs = 250;
inline constexpr int kLineFeedsMax = 99;

class DocumentSettingsPage final : public ports::DialogModel {
public:
    DocumentSettingsPage(ports::DialogControls& controls, ports::PluginSpooler& spooler,
                         ports::AnsiCodePage& codePage, PageState& state)
        : controls_(controls), spooler_(spooler), codePage_(codePage), state_(state) {}

    bool onInit() override;
    bool onCommand(int id, int notification) override;
    bool onScroll(int id, int code) override;
    bool onApply() override;

private:
    void showLineFeeds();
    void showCommands();
    void showDrawers();
    void showCutMode();
    void enableDrawer(int checkBox, bool enabled);
    void applyDrawers();
    void applyCutMode();
    void applyCommands(SettingsWrites& writes);

    ports::DialogControls& controls_;
    ports::PluginSpooler& spooler_;
    ports::AnsiCodePage& codePage_;
    PageState& state_;
};

}  // namespace kvt::plugin
