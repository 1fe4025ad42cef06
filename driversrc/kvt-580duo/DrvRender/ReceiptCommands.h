#pragma once
// The printer's own command bytes that the rendering plug-in adds to a job:
// initialisation, drawer pulses, paper feed, line feeds, the partial cut and
// the header of a raster band. Each builder appends to `out`.
#include <cstdint>
#include <vector>

namespace kvt::render {

using Bytes = std::vector<std::uint8_t>;

// Drawer connector pins; drawer #1 is pin 2, drawer #2 pin 5.
enum class DrawerPin : std::uint8_t { Drawer1 = 0, Drawer2 = 1 };

// The tallest raster band one command carries and the widest row, in dots:
// the 80 mm head has 576 dots.
inline constexpr std::uint32_t kBandRowsMax = 255;
inline constexpr std::uint32_t kRowBytesMax = 72;

// Resets the printer to its power-on modes.
void AppendInitialize(Bytes& out);
// Opens a drawer: the pulse's on and off times are both `pulseUnits` × 2 ms.
void AppendDrawerPulse(Bytes& out, DrawerPin pin, std::uint8_t pulseUnits);
// Moves the paper forward by `dots` (several commands when more than 255).
void AppendFeedDots(Bytes& out, std::uint32_t dots);
// Prints what is buffered and feeds `lines` text lines (nothing for 0).
void AppendLineFeeds(Bytes& out, std::uint8_t lines);
void AppendPartialCut(Bytes& out);
// The header of a raster band of `rows` rows of `rowBytes` bytes each, the
// leftmost dot in a byte's high bit; the rows follow it.
void AppendRasterBandHeader(Bytes& out, std::uint32_t rowBytes, std::uint32_t rows);

}  // namespace kvt::render
