#pragma once
// The "Paper" page (dialog 116): the paper size among the model's forms (and
// the User Defined Paper Size dialog behind "..."), the paper type, colour
// or monochrome, and the number of copies. Apply records the choices in
// "MISC" and makes them the printer's defaults in its default device mode.
// The paper-source list is kept in the record and the template, hidden.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ports/DialogModel.h"
#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/ports/AnsiCodePage.h"
#include "platform/ports/DialogControls.h"
#include "platform/ports/PluginSpooler.h"

namespace kvt::plugin {

inline constexpr std::u16string_view kDefaultPaperSizeName = u"80 x 297 mm";

inline constexpr std::array<std::u16string_view, 2> kPaperTypes{u"Receipt", u"Ticket"};
inline constexpr std::array<std::u16string_view, 3> kPaperSources{u"Receipt [Feed]", u"Receipt [No Feed]",
                                                                  u"Form [Feed]"};

// dmDefaultSource of a paper type: "Receipt" 263, "Ticket" 264, any other
// index DMBIN_FORMSOURCE.
std::int16_t PaperSourceOfType(int typeIndex);

inline constexpr int kCopiesMin = 1;
inline constexpr int kCopiesMax = 255;

class PaperPage final : public ports::DialogModel {
public:
    PaperPage(ports::DialogControls& controls, ports::PluginSpooler& spooler, ports::AnsiCodePage& codePage,
              PageState& state)
        : controls_(controls), spooler_(spooler), codePage_(codePage), state_(state) {}

    bool onInit() override;
    bool onCommand(int id, int notification) override;
    bool onScroll(int id, int code) override;
    bool onApply() override;

    // The visible names of the model's forms, every one whose name carries
    // the tag whatever its flags, in the spooler's order.
    void FillPaperSizeList();
    // The position of the first size entry named exactly `name`; 0 when
    // there is none.
    int FindPaperSizeIndex(std::u16string_view name);

    // Each makes one choice the printer's default, writing the device mode
    // only when the choice changes it, and returns the write's result.
    std::uint32_t ApplyCopies(int copies);
    std::uint32_t ApplyColor(std::uint8_t color);
    std::uint32_t ApplyPaperType(int typeIndex);
    // The form of size entry `index`: its name always, and its width and
    // length, which decide whether the device mode is written. An entry
    // whose form is gone sets the size byte back to the default size.
    std::uint32_t ApplyPaperSize(int index);

private:
    void fillList(int id, std::span<const std::u16string_view> entries, int selected);
    void selectColor();
    void showCopies();
    void choosePaperSizeForm();
    void clampCopies();
    // The text of size entry `index`, as much as a form-name buffer holds.
    std::u16string paperSizeEntry(int index);
    bool formExists(std::u16string_view fullName);

    ports::DialogControls& controls_;
    ports::PluginSpooler& spooler_;
    ports::AnsiCodePage& codePage_;
    PageState& state_;
};

}  // namespace kvt::plugin
