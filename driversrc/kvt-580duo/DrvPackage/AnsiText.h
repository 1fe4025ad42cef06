#pragma once
// The pages' conversions between the wide text of their controls and the
// narrow text in the system's ANSI code page. They ask for precomposed
// characters (WC_COMPOSITECHECK, MB_PRECOMPOSED); a code page that refuses
// those flags, as UTF-8 (65001) and GB18030 (54936) do, converts without
// them, so numbers, commands and form sizes read the same there.
#include <string>
#include <string_view>

#include "platform/ports/AnsiCodePage.h"

namespace kvt::plugin {

// Empty when the conversion fails for another reason.
std::string ToAnsiText(ports::AnsiCodePage& codePage, std::u16string_view text);
std::u16string FromAnsiText(ports::AnsiCodePage& codePage, std::string_view text);

}  // namespace kvt::plugin
