#pragma once
// Numbers in the edits of the pages, read and written as the C runtime of
// the driver's platform does it: the text is taken in the ANSI code page and
// read like atoi or atof; numbers are written with "%d" and "%.1f".
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ports/AnsiCodePage.h"
#include "platform/ports/DialogControls.h"

namespace kvt::plugin {

// atoi: leading white space, an optional sign, the digits up to the first
// other character; 0 without digits. A number past the range of int gives
// its nearest end, as the runtime's atoi does.
int AnsiToInt(std::string_view text);

// atof: leading white space, an optional sign, decimal digits with an
// optional point and exponent; 0 when there is no number. Only decimal text
// counts ("inf", "nan" and hexadecimal read as 0), and a magnitude too large
// for a double gives infinity.
double AnsiToReal(std::string_view text);

// "%d" and "%.1f".
std::u16string DecimalText(long long number);
std::u16string OneDecimalText(double value);

// At most `characters` characters of `text`, as a buffer of that many
// characters and a terminator takes them.
std::u16string_view Leading(std::u16string_view text, std::size_t characters);

// The number in edit `id` as AnsiToInt reads its text.
int EditNumber(ports::DialogControls& controls, ports::AnsiCodePage& codePage, int id);
// The real number in edit `id`, of which at most `characters` characters are read.
double EditReal(ports::DialogControls& controls, ports::AnsiCodePage& codePage, int id, std::size_t characters);

}  // namespace kvt::plugin
