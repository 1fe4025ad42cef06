#pragma once
// A simulated 64-bit Windows 10 on which the plug-in's pages open: the
// product registered, the printer "Till 1" of its driver (initialised by the
// plug-in as the spooler does it), the sheet's printer handle bound in the
// page state, and simulated dialogs of the plug-in's templates.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "platform/sim/SimAnsiCodePage.h"
#include "platform/sim/SimDialogControls.h"
#include "platform/sim/SimMessageBoxes.h"
#include "platform/sim/Simulation.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::test {

inline constexpr std::u16string_view kPagePrinter = u"Till 1";

class PluginPageSystem {
public:
    PluginPageSystem();
    // Registers the product, adds the printer and opens the sheet's handle.
    ::testing::AssertionResult prepare();
    void closeSheet();

    // A simulated dialog of the plug-in's template `dialogId`.
    std::unique_ptr<sim::SimDialogControls> openDialog(std::uint16_t dialogId, const std::string& name = "dialog");

    // Forms as the image lists them.
    void addForm(std::string_view name, std::uint32_t flags, std::int32_t width, std::int32_t length);
    const sim::FormRecord* form(std::string_view name) const;
    std::vector<std::string> formNames() const;

    // The printer's data value, empty when missing; whether it exists.
    std::vector<std::uint8_t> printerData(std::string_view name);
    bool hasPrinterData(std::string_view name);
    void setPrinterData(std::string_view name, std::vector<std::uint8_t> bytes);
    // The printer's stored default device mode.
    sim::DevModeRecord devmode();
    void setDevMode(const sim::DevModeRecord& devmode);

    kvtsim::ProductSimulation sim;
    sim::SimAnsiCodePage codePage{sim};
    sim::SimMessageBoxes boxes;
    plugin::PageState state;
    ports::PrinterHandle printer;
};

}  // namespace kvt::test
