#pragma once
// The command callback numbers that KVT580D.GPD gives its commands
// (*CallbackID); the universal driver passes them back to the rendering
// plug-in's CommandCallback with the parameters the GPD lists.
#include <cstdint>

namespace kvt::render {

namespace callback {
inline constexpr std::uint32_t StartDoc = 1;   // no parameters
inline constexpr std::uint32_t StartPage = 2;  // no parameters
inline constexpr std::uint32_t EndPage = 3;    // no parameters
inline constexpr std::uint32_t EndDoc = 4;     // no parameters
// LIST(NumOfDataBytes, RasterDataWidthInBytes, RasterDataHeightInPixels):
// the block of raster rows that the next FilterGraphics call carries.
inline constexpr std::uint32_t SendBlockData = 5;
// LIST(DestYRel): move the paper down by that many dots.
inline constexpr std::uint32_t YMoveRelDown = 6;
}  // namespace callback

}  // namespace kvt::render
