#pragma once
// The printer commands of the Document Settings page, typed as text in which
// a byte is either a plain character or two hexadecimal digits inside angle
// brackets ("<1B>J<00>" is 1B 4A 00). Encoding turns such text into the bytes
// stored as printer data; decoding turns stored bytes into one canonical
// text. Both work on narrow text in the ANSI code page. Free of anything but
// the standard library, so that the fuzzer builds it alone.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kvt::plugin {

inline constexpr std::size_t kCommandBytesMax = 2048;
inline constexpr std::size_t kCommandTextMax = 2048;

using CommandBytes = std::array<std::uint8_t, kCommandBytesMax>;
// A terminated text of at most kCommandTextMax characters.
using CommandText = std::array<char, kCommandTextMax + 1>;

// Reads `text` up to its first zero byte and never past kCommandTextMax
// bytes. 1 when the text was read to its end, 0 when `bytes` was full;
// `count` always receives the number of complete bytes written.
// `highNibbleFirst` is the digit state a text starts in.
int EncodeCommandText(std::string_view text, CommandBytes& bytes, bool highNibbleFirst, std::uint32_t& count);

// 1 with the canonical text in `text` (terminated), 0 when that text would
// not fit in kCommandTextMax characters (`text` then holds a part of it).
int DecodeCommandBytes(std::span<const std::uint8_t> bytes, CommandText& text);

}  // namespace kvt::plugin
