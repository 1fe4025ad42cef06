#include "driversrc/kvt-580duo/DrvRender/ReceiptCommands.h"

#include <algorithm>

namespace kvt::render {

namespace {
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kGs = 0x1D;

void AppendLowHigh(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
}  // namespace

void AppendInitialize(Bytes& out) { out.insert(out.end(), {kEsc, '@'}); }

void AppendDrawerPulse(Bytes& out, DrawerPin pin, std::uint8_t pulseUnits) {
    out.insert(out.end(), {kEsc, 'p', static_cast<std::uint8_t>(pin), pulseUnits, pulseUnits});
}

void AppendFeedDots(Bytes& out, std::uint32_t dots) {
    while (dots > 0) {
        const std::uint32_t step = std::min<std::uint32_t>(dots, 255);
        out.insert(out.end(), {kEsc, 'J', static_cast<std::uint8_t>(step)});
        dots -= step;
    }
}

void AppendLineFeeds(Bytes& out, std::uint8_t lines) {
    if (lines > 0) out.insert(out.end(), {kEsc, 'd', lines});
}

void AppendPartialCut(Bytes& out) { out.insert(out.end(), {kGs, 'V', 1}); }

void AppendRasterBandHeader(Bytes& out, std::uint32_t rowBytes, std::uint32_t rows) {
    out.insert(out.end(), {kGs, 'v', '0', 0});
    AppendLowHigh(out, rowBytes);
    AppendLowHigh(out, rows);
}

}  // namespace kvt::render
