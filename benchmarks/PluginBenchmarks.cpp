// The plug-in's form lists on grown systems: the Paper page's size list and
// the User Defined Paper Size dialog's list, filled from the spooler's forms
// of the product's printer as the 64-bit spooler process serves them.
// Filling only reads the spooler, so one simulated sheet serves every
// iteration.
#include <memory>
#include <optional>
#include <string>

#include "Installer/setup_common/ProductConfiguration.h"
#include "benchmarks/BenchmarkSystems.h"
#include "driversrc/kvt-580duo/DrvPackage/PageControlIds.h"
#include "driversrc/kvt-580duo/DrvPackage/PageState.h"
#include "driversrc/kvt-580duo/DrvPackage/PaperPage.h"
#include "driversrc/kvt-580duo/DrvPackage/UserPaperSizeDialog.h"
#include "platform/ports/WinCodes.h"
#include "tools/kvtsim/PluginDialogTemplates.h"
#include "platform/sim/SimAnsiCodePage.h"
#include "platform/sim/SimDialogControls.h"
#include "platform/sim/SimMessageBoxes.h"
#include "platform/sim/Simulation.h"
#include "tools/kvtsim/ProductSimulation.h"

namespace kvt::bench {
namespace {

constexpr const char* kWin10 = "win10-x64";

std::size_t SizeOf(const benchmark::State& state) { return static_cast<std::size_t>(state.range(0)); }

// The product's printer opened as its property sheet opens it, and a
// dialog of the plug-in's template `dialogId`.
class OpenSheet {
public:
    OpenSheet(const sim::World& world, std::uint16_t dialogId)
        : sim_(world, sim::Bitness::x64),
          controls_("dialog", *kvtsim::PluginDialogTemplate(dialogId), boxes_) {}

    bool open() {
        const std::u16string name = sim::AnsiToUtf16(setup::product::DriverName);
        if (sim_.pluginSpooler().openPrinter(name, ports::spool::PrinterAllAccess, printer_) != err::Success)
            return false;
        plugin::BindPrinter(state_, name, printer_);
        return true;
    }

    sim::SimDialogControls& controls() { return controls_; }
    ports::PluginSpooler& spooler() { return sim_.pluginSpooler(); }
    ports::AnsiCodePage& codePage() { return codePage_; }
    plugin::PageState& state() { return state_; }

private:
    kvtsim::ProductSimulation sim_;
    sim::SimMessageBoxes boxes_;
    sim::SimAnsiCodePage codePage_{sim_};
    sim::SimDialogControls controls_;
    plugin::PageState state_;
    ports::PrinterHandle printer_;
};

// Fills a list `fill` times over and checks that it lists every form of the
// model that the grown system holds (`listed` counts the entries).
template <typename Fill, typename Listed>
void TimeFills(benchmark::State& state, Fill fill, Listed listed) {
    // Only the first fill meets the system as it was grown; later ones find
    // what earlier ones left (the simulation's call records, for one), so
    // the peak is taken on the first.
    HeapPeak peak;
    bool first = true;
    for (auto _ : state) {
        if (first) peak.start();
        fill();
        if (first) peak.stop();
        first = false;
    }
    if (listed() != static_cast<int>(ExpectedCounts(SizeOf(state)).productForms)) {
        state.SkipWithError("the list does not show every form of the model");
        return;
    }
    ReportCounters(state, SizeOf(state), peak);
}

void FillPaperSizeList(benchmark::State& state) {
    const sim::World* world = CachedSystem(state, kWin10, SizeOf(state));
    if (world == nullptr) return;
    OpenSheet sheet(*world, IDD_PAPER);
    if (!sheet.open()) {
        state.SkipWithError("the product's printer does not open");
        return;
    }
    plugin::PaperPage page(sheet.controls(), sheet.spooler(), sheet.codePage(), sheet.state());
    TimeFills(
        state, [&] { page.FillPaperSizeList(); },
        [&] { return sheet.controls().listCount(IDC_PAPER_SIZE); });
}

void FillUserFormList(benchmark::State& state) {
    const sim::World* world = CachedSystem(state, kWin10, SizeOf(state));
    if (world == nullptr) return;
    OpenSheet sheet(*world, IDD_USER_PAPER_SIZE);
    if (!sheet.open()) {
        state.SkipWithError("the product's printer does not open");
        return;
    }
    plugin::UserPaperSizeDialog dialog(sheet.controls(), sheet.spooler(), sheet.codePage(), sheet.state());
    TimeFills(
        state, [&] { dialog.FillUserFormList(); },
        [&] { return sheet.controls().listCount(IDC_FORM_LIST); });
}

}  // namespace

void RegisterPluginBenchmarks() {
    RegisterGrowing("FillPaperSizeList/win10-x64", FillPaperSizeList);
    RegisterGrowing("FillUserFormList/win10-x64", FillUserFormList);
}

}  // namespace kvt::bench
