#include "tests/support/PluginPageSystem.h"

#include <algorithm>

#include "platform/ports/WinCodes.h"
#include "platform/sim/FreshImage.h"
#include "tools/kvtsim/PluginDialogTemplates.h"
#include "platform/sim/SimPluginSpooler.h"
#include "platform/sim/SpoolerKeys.h"
#include "tests/support/SpoolerTestSystem.h"

namespace kvt::test {
namespace {

constexpr const char* kX64 = "Windows x64";

sim::World PreparedWorld() {
    sim::World world = *sim::FreshImage("win10-x64");
    StageProductFiles(world, kX64);
    return world;
}

}  // namespace

PluginPageSystem::PluginPageSystem() : sim(PreparedWorld(), sim::Bitness::x64) {}

::testing::AssertionResult PluginPageSystem::prepare() {
    if (!RegisterProduct(sim.spooler(), kX64)) return ::testing::AssertionFailure() << "product not registered";
    ports::PrinterHandle added;
    const std::string name = sim::Utf16ToAnsi(kPagePrinter);
    if (sim.spooler().addPrinter(ProductPrinter(name), added) != err::Success)
        return ::testing::AssertionFailure() << "printer not added";
    sim.spooler().closePrinter(added);
    // As the printer folder opens a sheet: full access where the user may
    // have it, else the right to print only.
    std::uint32_t opened = sim.pluginSpooler().openPrinter(kPagePrinter, ports::spool::PrinterAllAccess, printer);
    if (opened == err::AccessDenied)
        opened = sim.pluginSpooler().openPrinter(kPagePrinter, ports::spool::PrinterAccessUse, printer);
    if (opened != err::Success) return ::testing::AssertionFailure() << "printer not opened";
    plugin::BindPrinter(state, kPagePrinter, printer);
    return ::testing::AssertionSuccess();
}

void PluginPageSystem::closeSheet() { sim.pluginSpooler().closePrinter(printer); }

std::unique_ptr<sim::SimDialogControls> PluginPageSystem::openDialog(std::uint16_t dialogId, const std::string& name) {
    return std::make_unique<sim::SimDialogControls>(name, *kvtsim::PluginDialogTemplate(dialogId), boxes);
}

void PluginPageSystem::addForm(std::string_view name, std::uint32_t flags, std::int32_t width, std::int32_t length) {
    sim::FormRecord form;
    form.name = std::string(name);
    form.flags = flags;
    form.width = width;
    form.length = length;
    form.imageable[2] = width;
    form.imageable[3] = length;
    sim.world().spooler.forms.push_back(std::move(form));
}

const sim::FormRecord* PluginPageSystem::form(std::string_view name) const {
    const auto& forms = sim.world().spooler.forms;
    auto found = std::find_if(forms.begin(), forms.end(), [name](const sim::FormRecord& f) { return f.name == name; });
    return found == forms.end() ? nullptr : &*found;
}

std::vector<std::string> PluginPageSystem::formNames() const {
    std::vector<std::string> names;
    for (const sim::FormRecord& f : sim.world().spooler.forms) names.push_back(f.name);
    return names;
}

std::vector<std::uint8_t> PluginPageSystem::printerData(std::string_view name) {
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    sim.spooler().getPrinterData(printer, name, 1 << 20, value, needed);
    return value.data;
}

bool PluginPageSystem::hasPrinterData(std::string_view name) {
    ports::PrinterDataValue value;
    std::uint32_t needed = 0;
    return sim.spooler().getPrinterData(printer, name, 1 << 20, value, needed) == err::Success;
}

void PluginPageSystem::setPrinterData(std::string_view name, std::vector<std::uint8_t> bytes) {
    sim.spooler().setPrinterData(printer, name, {reg::TypeBinary, std::move(bytes)});
}

sim::DevModeRecord PluginPageSystem::devmode() {
    return sim.spooler().defaultDevMode(sim::Utf16ToAnsi(kPagePrinter)).value_or(sim::DevModeRecord{});
}

void PluginPageSystem::setDevMode(const sim::DevModeRecord& devmode) {
    ports::PrinterInfo2 info;
    sim.spooler().getPrinter(printer, info);
    sim.spooler().setPrinterWithDevMode(printer, info, devmode);
}

}  // namespace kvt::test
