#pragma once
// The printer output of one job, decided from the stored settings and what
// the universal driver hands the rendering plug-in: the bytes of each command
// callback and the raster of each graphics block.
//
// The page is taller than most receipts, so blank space is held back: blank
// rows and downward moves become one paper feed before the next printed row,
// and the blank end of a page is dropped. Printed rows are gathered into
// bands of at most kBandRowsMax rows, each sent as one raster command.
//
// Cut mode 0 never cuts; 1 cuts once at the end of the job; 2 also cuts
// between pages (the cut after the last page is the job's). The job's cut
// follows the line feeds after printing, and the drawers after printing are
// opened last.
#include <cstdint>
#include <span>
#include <utility>

#include "driversrc/kvt-580duo/DrvRender/JobSettings.h"
#include "driversrc/kvt-580duo/DrvRender/ReceiptCommands.h"

namespace kvt::render {

// Pulse bytes outside this range are sent as the nearest bound, as the page
// shows them (50 to 250 ms).
inline constexpr std::uint8_t kPulseUnitsMin = 25;
inline constexpr std::uint8_t kPulseUnitsMax = 125;
inline constexpr std::uint8_t kLineFeedsMax = 99;

class ReceiptRenderer {
public:
    explicit ReceiptRenderer(JobSettings settings) : settings_(std::move(settings)) {}

    // The bytes for callback `id` (RenderCallbacks.h) with the GPD's
    // parameters; `result` receives what the plug-in reports back (the dots
    // moved for a move, else 0). Unknown ids and missing parameters give no
    // bytes and `handled` false.
    Bytes commandCallback(std::uint32_t id, std::span<const std::uint32_t> params, int& result, bool& handled);
    // The rows of the block announced last; false when no block was announced
    // or the data is not whole rows of it.
    bool filterGraphics(std::span<const std::uint8_t> data, Bytes& out);

private:
    Bytes startDoc();
    Bytes startPage();
    Bytes endPage();
    Bytes endDoc();
    void appendRow(std::span<const std::uint8_t> row, Bytes& out);
    void flushBand(Bytes& out);
    void appendDrawer(Bytes& out, std::size_t flagOffset, std::size_t pulseOffset, DrawerPin pin) const;
    std::uint8_t cutMode() const;

    JobSettings settings_;
    std::uint32_t blockRowBytes_ = 0;
    std::uint32_t bandRowBytes_ = 0;
    std::uint32_t bandRows_ = 0;
    Bytes band_;
    std::uint32_t pendingFeedDots_ = 0;
    bool pageCutPending_ = false;
};

}  // namespace kvt::render
