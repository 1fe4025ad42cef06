#include "platform/sim/SimAnsiCodePage.h"

#include "platform/sim/SimPluginSpooler.h"

namespace kvt::sim {

std::string SimAnsiCodePage::toAnsi(std::u16string_view text) { return Utf16ToAnsi(text); }

std::u16string SimAnsiCodePage::fromAnsi(std::string_view text) { return AnsiToUtf16(text); }

}  // namespace kvt::sim
