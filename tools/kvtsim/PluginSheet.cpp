#include "tools/kvtsim/PluginSheet.h"

#include <algorithm>
#include <memory>
#include <span>

#include "driversrc/kvt-580duo/DrvPackage/DocumentSettingsPage.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PaperPage.h"
#include "driversrc/kvt-580duo/DrvPackage/PropertySheets.h"
#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"
#include "driversrc/kvt-580duo/DrvPackage/VersionPage.h"
#include "tools/kvtsim/PluginDialogTemplates.h"
#include "platform/sim/SimAnsiCodePage.h"
#include "platform/sim/SimDialogControls.h"
#include "platform/sim/Utf16Text.h"

namespace kvt::kvtsim {
namespace {

constexpr const char* kUserPaperSizeTitle = "User Defined Paper Size";

nlohmann::json ControlsJson(const sim::SimDialogControls& dialog) {
    nlohmann::json controls = nlohmann::json::array();
    for (const sim::SimControl& c : dialog.controls()) {
        nlohmann::json control{{"id", c.layout.id},
                               {"kind", sim::SimControlKindName(c.layout.kind)},
                               {"text", sim::Utf16ToUtf8(c.text)},
                               {"enabled", c.enabled},
                               {"visible", c.visible}};
        switch (c.layout.kind) {
            case sim::SimControlKind::CheckBox:
            case sim::SimControlKind::RadioButton:
                control["checked"] = c.checked;
                break;
            case sim::SimControlKind::ComboBox:
            case sim::SimControlKind::ListBox: {
                nlohmann::json items = nlohmann::json::array();
                for (const std::u16string& item : c.items) items.push_back(sim::Utf16ToUtf8(item));
                control["items"] = std::move(items);
                control["selection"] = c.selection < 0 ? nlohmann::json(nullptr) : nlohmann::json(c.selection);
                break;
            }
            case sim::SimControlKind::ScrollBar:
                control["range"] = {c.scrollMinimum, c.scrollMaximum};
                control["position"] = c.scrollPosition;
                break;
            case sim::SimControlKind::Edit:
                control["limit"] = c.limit == 0 ? nlohmann::json(nullptr) : nlohmann::json(c.limit);
                break;
            default:
                break;
        }
        controls.push_back(std::move(control));
    }
    return controls;
}

class SheetSession {
public:
    SheetSession(sim::Simulation& sim, plugin::PageState& state, SheetKind kind, const SheetScript& script)
        : sim_(sim), state_(state), script_(script), boxes_(script.messageBoxes) {
        const std::span<const plugin::PageDescription> pages =
            kind == SheetKind::Document ? std::span<const plugin::PageDescription>(plugin::kDocumentPages)
                                        : std::span<const plugin::PageDescription>(plugin::kDevicePages);
        for (const plugin::PageDescription& description : pages) pages_.push_back(Page{description, nullptr, nullptr});
    }

    SheetRun run() {
        createPage(0);
        while (next_ < script_.actions.size() && !closed_ && !problem_) act(script_.actions[next_++]);
        if (!problem_ && next_ < script_.actions.size())
            problem_ = script_.actions[next_].path + ": the sheet was closed before this action";
        SheetRun result;
        for (const Page& page : pages_) {
            nlohmann::json entry{{"title", sim::Utf16ToUtf8(page.description.title)},
                                 {"dialog", page.description.dialogId},
                                 {"created", page.dialog != nullptr}};
            entry["changed"] = page.dialog != nullptr && page.dialog->changed();
            entry["controls"] = page.dialog ? ControlsJson(*page.dialog) : nlohmann::json(nullptr);
            result.pages.push_back(std::move(entry));
        }
        result.dialogs = dialogs_;
        result.applyEnabled = applyEnabled();
        result.closed = closed_;
        result.problem = problem_;
        return result;
    }

private:
    struct Page {
        plugin::PageDescription description;
        std::unique_ptr<sim::SimDialogControls> dialog;
        std::unique_ptr<ports::DialogModel> model;
    };
    struct Modal {
        sim::SimDialogControls* dialog;
        plugin::UserPaperSizeDialog* model;
    };

    void record(nlohmann::json event) { sim_.transcript().add(std::move(event)); }

    void createPage(std::size_t index) {
        Page& page = pages_[index];
        const std::uint16_t id = page.description.dialogId;
        page.dialog = std::make_unique<sim::SimDialogControls>(sim::Utf16ToUtf8(page.description.title),
                                                               *PluginDialogTemplate(id), boxes_);
        page.dialog->setTranscript(&sim_.transcript());
        ports::PluginSpooler& spooler = sim_.pluginSpooler();
        if (id == IDD_PAPER) {
            page.model = std::make_unique<plugin::PaperPage>(*page.dialog, spooler, codePage_, state_);
            page.dialog->setModalRunner([this](std::uint16_t dialogId) { runModal(dialogId); });
        } else if (id == IDD_DOCUMENT_SETTINGS) {
            page.model = std::make_unique<plugin::DocumentSettingsPage>(*page.dialog, spooler, codePage_, state_);
        } else {
            page.model = std::make_unique<plugin::VersionPage>(*page.dialog, spooler, state_);
        }
        page.dialog->attach(*page.model);
        record({{"event", "page"}, {"title", page.dialog->name()}});
        page.model->onInit();
        active_ = index;
    }

    // The paper-size dialog runs modally inside the page's command: the
    // script's next actions go to it until it ends.
    void runModal(std::uint16_t dialogId) {
        const auto layout = PluginDialogTemplate(dialogId);
        if (!layout || dialogId != IDD_USER_PAPER_SIZE) return;
        sim::SimDialogControls dialog(kUserPaperSizeTitle, *layout, boxes_);
        dialog.setTranscript(&sim_.transcript());
        plugin::UserPaperSizeDialog model(dialog, sim_.pluginSpooler(), codePage_, state_);
        dialog.attach(model);
        record({{"event", "dialog"}, {"title", kUserPaperSizeTitle}, {"dialog", dialogId}});
        model.onInit();
        modal_.push_back({&dialog, &model});
        while (!dialog.endResult() && next_ < script_.actions.size() && !problem_) act(script_.actions[next_++]);
        // A script that ends with the dialog open leaves it with Escape.
        if (!dialog.endResult()) model.onCommand(ports::command::Cancel, ports::notify::ButtonClicked);
        modal_.pop_back();
        dialogs_.push_back({{"title", kUserPaperSizeTitle},
                            {"dialog", dialogId},
                            {"result", dialog.endResult().value_or(0)},
                            {"controls", ControlsJson(dialog)}});
    }

    sim::SimDialogControls& window() { return modal_.empty() ? *pages_[active_].dialog : *modal_.back().dialog; }

    bool applyEnabled() const {
        return std::any_of(pages_.begin(), pages_.end(),
                           [](const Page& page) { return page.dialog != nullptr && page.dialog->changed(); });
    }

    void ignored(const SheetAction& action, const std::string& reason) {
        record({{"event", "ignored"}, {"at", action.path}, {"reason", reason}});
    }

    void act(const SheetAction& action) {
        record({{"event", "action"}, {"at", action.path}, {"window", window().name()}, {"action", action.source}});
        switch (action.kind) {
            case SheetActionKind::Type:
                if (!window().type(action.control, action.text)) ignored(action, "no edit the user can type in");
                break;
            case SheetActionKind::Click:
                if (!window().click(action.control)) ignored(action, "no button the user can click");
                break;
            case SheetActionKind::Arrow:
                for (int i = 0; i < action.times; ++i) {
                    if (!window().arrow(action.control, action.up)) {
                        ignored(action, "no scroll bar the user can click");
                        break;
                    }
                }
                break;
            case SheetActionKind::Leave:
                if (!window().leave(action.control)) ignored(action, "no control that takes the focus");
                break;
            case SheetActionKind::Choose:
                choose(action);
                break;
            case SheetActionKind::Press:
                press(action);
                break;
            case SheetActionKind::Apply:
                pressSheetButton(action, u"Apply");
                break;
            case SheetActionKind::Page:
                showPage(action);
                break;
            case SheetActionKind::Close:
                if (!modal_.empty()) {
                    modal_.back().model->onWindowMenuClose();
                } else {
                    pressSheetButton(action, u"Cancel");
                }
                break;
        }
    }

    void choose(const SheetAction& action) {
        sim::SimDialogControls& dialog = window();
        int index = action.index.value_or(-1);
        if (!action.index) {
            if (const sim::SimControl* list = dialog.control(action.control)) {
                auto found = std::find(list->items.begin(), list->items.end(), action.text);
                if (found != list->items.end()) index = static_cast<int>(found - list->items.begin());
            }
        }
        if (!dialog.choose(action.control, index)) ignored(action, "no such entry in a list the user can open");
    }

    // A push button of the window by its text.
    bool clickButtonNamed(const std::u16string& text) {
        for (const sim::SimControl& c : window().controls())
            if (c.layout.kind == sim::SimControlKind::PushButton && c.text == text)
                return window().click(c.layout.id);
        return false;
    }

    void press(const SheetAction& action) {
        if (!modal_.empty()) {
            // Enter and Escape of the dialog: the focus stays where it is.
            if (action.text == u"OK" || action.text == u"Cancel") {
                const int id = action.text == u"OK" ? ports::command::Ok : ports::command::Cancel;
                modal_.back().model->onCommand(id, ports::notify::ButtonClicked);
            } else if (!clickButtonNamed(action.text)) {
                ignored(action, "no such button in the dialog");
            }
            return;
        }
        if (action.text == u"OK" || action.text == u"Cancel" || action.text == u"Apply") {
            pressSheetButton(action, action.text);
        } else if (!clickButtonNamed(action.text)) {
            ignored(action, "no such button on the page");
        }
    }

    void pressSheetButton(const SheetAction& action, std::u16string_view button) {
        if (!modal_.empty()) {
            problem_ = action.path + ": the sheet's buttons cannot be reached while the paper-size dialog is open";
            return;
        }
        if (button == u"Cancel") {
            closeSheet("cancel");
            return;
        }
        if (button == u"Apply" && !applyEnabled()) {
            ignored(action, "the Apply button is disabled");
            return;
        }
        if (apply() && button == u"OK") closeSheet("ok");
    }

    // The button takes the focus from the page, then every page created so
    // far stores its settings, in the sheet's order. A page that could not
    // store them (PSNRET_INVALID_NOCHANGEPAGE) ends the apply: the sheet
    // shows that page and stays open, every page keeping its changes.
    bool apply() {
        pages_[active_].dialog->focusOut();
        record({{"event", "apply"}});
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (!pages_[i].model || pages_[i].model->onApply()) continue;
            record({{"event", "applyRefused"}, {"page", sim::Utf16ToUtf8(pages_[i].description.title)}});
            active_ = i;
            return false;
        }
        for (Page& page : pages_)
            if (page.dialog) page.dialog->clearChanged();
        return true;
    }

    void closeSheet(const char* result) {
        closed_ = result;
        record({{"event", "sheetClosed"}, {"result", result}});
    }

    void showPage(const SheetAction& action) {
        if (!modal_.empty()) {
            problem_ = action.path + ": another page cannot be shown while the paper-size dialog is open";
            return;
        }
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (pages_[i].description.title != action.text) continue;
            pages_[active_].dialog->focusOut();
            if (pages_[i].dialog) {
                active_ = i;
            } else {
                createPage(i);
            }
            return;
        }
        problem_ = action.path + ".title: the sheet has no page \"" + sim::Utf16ToUtf8(action.text) + "\"";
    }

    sim::Simulation& sim_;
    plugin::PageState& state_;
    const SheetScript& script_;
    sim::SimMessageBoxes boxes_;
    sim::SimAnsiCodePage codePage_{sim_};
    std::vector<Page> pages_;
    std::size_t active_ = 0;
    std::size_t next_ = 0;
    std::vector<Modal> modal_;
    nlohmann::json dialogs_ = nlohmann::json::array();
    std::optional<std::string> closed_;
    std::optional<std::string> problem_;
};

}  // namespace

SheetRun RunPluginSheet(sim::Simulation& sim, plugin::PageState& state, SheetKind kind, const SheetScript& script) {
    return SheetSession(sim, state, kind, script).run();
}

}  // namespace kvt::kvtsim
