#include "driversrc/kvt-580duo/DrvRender/ReceiptRenderer.h"

#include <algorithm>

#include "driversrc/kvt-580duo/DrvRender/RenderCallbacks.h"

namespace kvt::render {

namespace misc = plugin::misc;

namespace {

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

bool IsBlank(std::span<const std::uint8_t> row) {
    return std::all_of(row.begin(), row.end(), [](std::uint8_t byte) { return byte == 0; });
}

}  // namespace

Bytes ReceiptRenderer::commandCallback(std::uint32_t id, std::span<const std::uint32_t> params, int& result,
                                       bool& handled) {
    result = 0;
    handled = true;
    switch (id) {
    case callback::StartDoc: return startDoc();
    case callback::StartPage: return startPage();
    case callback::EndPage: return endPage();
    case callback::EndDoc: return endDoc();
    case callback::SendBlockData:
        // NumOfDataBytes, RasterDataWidthInBytes, RasterDataHeightInPixels.
        if (params.size() < 3 || params[1] == 0) break;
        blockRowBytes_ = params[1];
        return {};
    case callback::YMoveRelDown:
        if (params.empty()) break;
        {
            Bytes out;
            flushBand(out);
            pendingFeedDots_ += params[0];
            result = static_cast<int>(params[0]);
            return out;
        }
    default: break;
    }
    handled = false;
    return {};
}

bool ReceiptRenderer::filterGraphics(std::span<const std::uint8_t> data, Bytes& out) {
    if (blockRowBytes_ == 0 || data.size() % blockRowBytes_ != 0) return false;
    for (std::size_t at = 0; at < data.size(); at += blockRowBytes_) appendRow(data.subspan(at, blockRowBytes_), out);
    return true;
}

void ReceiptRenderer::appendRow(std::span<const std::uint8_t> row, Bytes& out) {
    if (IsBlank(row)) {
        flushBand(out);
        ++pendingFeedDots_;
        return;
    }
    // The head has no dots beyond kRowBytesMax bytes.
    row = row.first(std::min<std::size_t>(row.size(), kRowBytesMax));
    if (bandRows_ > 0 && row.size() != bandRowBytes_) flushBand(out);
    if (pendingFeedDots_ > 0) {
        AppendFeedDots(out, pendingFeedDots_);
        pendingFeedDots_ = 0;
    }
    bandRowBytes_ = static_cast<std::uint32_t>(row.size());
    band_.insert(band_.end(), row.begin(), row.end());
    if (++bandRows_ == kBandRowsMax) flushBand(out);
}

void ReceiptRenderer::flushBand(Bytes& out) {
    if (bandRows_ == 0) return;
    AppendRasterBandHeader(out, bandRowBytes_, bandRows_);
    Append(out, band_);
    band_.clear();
    bandRows_ = 0;
}

std::uint8_t ReceiptRenderer::cutMode() const {
    const std::uint8_t mode = settings_.misc.bytes[misc::CutMode];
    return mode == 0 || mode == 2 ? mode : 1;  // the page shows any other value as mode 1
}

void ReceiptRenderer::appendDrawer(Bytes& out, std::size_t flagOffset, std::size_t pulseOffset,
                                   DrawerPin pin) const {
    if (settings_.misc.bytes[flagOffset] != 1) return;
    AppendDrawerPulse(out, pin, std::clamp(settings_.misc.bytes[pulseOffset], kPulseUnitsMin, kPulseUnitsMax));
}

Bytes ReceiptRenderer::startDoc() {
    Bytes out;
    AppendInitialize(out);
    appendDrawer(out, misc::DrawerABefore, misc::DrawerAPulse, DrawerPin::Drawer1);
    appendDrawer(out, misc::DrawerBBefore, misc::DrawerBPulse, DrawerPin::Drawer2);
    Append(out, settings_.startDoc);
    return out;
}

Bytes ReceiptRenderer::startPage() {
    Bytes out;
    if (pageCutPending_) AppendPartialCut(out);
    pageCutPending_ = false;
    pendingFeedDots_ = 0;
    Append(out, settings_.startPage);
    return out;
}

Bytes ReceiptRenderer::endPage() {
    Bytes out;
    flushBand(out);
    pendingFeedDots_ = 0;  // the blank end of the page
    Append(out, settings_.endPage);
    pageCutPending_ = cutMode() == 2;
    return out;
}

Bytes ReceiptRenderer::endDoc() {
    Bytes out;
    flushBand(out);
    Append(out, settings_.endDoc);
    AppendLineFeeds(out, std::min(settings_.misc.bytes[misc::LineFeeds], kLineFeedsMax));
    if (cutMode() != 0) AppendPartialCut(out);
    pageCutPending_ = false;
    appendDrawer(out, misc::DrawerCAfter, misc::DrawerCPulse, DrawerPin::Drawer1);
    appendDrawer(out, misc::DrawerDAfter, misc::DrawerDPulse, DrawerPin::Drawer2);
    return out;
}

}  // namespace kvt::render
