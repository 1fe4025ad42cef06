#pragma once
// Little-endian fields of a byte string, read only where Fits said so.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvt::pe {

inline bool Fits(std::string_view bytes, std::size_t offset, std::size_t size) {
    return offset <= bytes.size() && bytes.size() - offset >= size;
}

inline std::uint32_t ReadLittle(std::string_view bytes, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}
inline std::uint16_t Read16(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(ReadLittle(bytes, offset, 2));
}
inline std::uint32_t Read32(std::string_view bytes, std::size_t offset) { return ReadLittle(bytes, offset, 4); }

}  // namespace kvt::pe
