#include "driversrc/kvt-580duo/DrvPackage/AnsiText.h"

#include "platform/ports/WinCodes.h"

namespace kvt::plugin {

std::string ToAnsiText(ports::AnsiCodePage& codePage, std::u16string_view text) {
    std::string ansi;
    std::uint32_t rc = codePage.wideToAnsi(ports::conversion::WcCompositeCheck, text, ansi);
    if (rc == err::InvalidFlags) rc = codePage.wideToAnsi(0, text, ansi);
    if (rc != err::Success) ansi.clear();
    return ansi;
}

std::u16string FromAnsiText(ports::AnsiCodePage& codePage, std::string_view text) {
    std::u16string wide;
    std::uint32_t rc = codePage.ansiToWide(ports::conversion::MbPrecomposed, text, wide);
    if (rc == err::InvalidFlags) rc = codePage.ansiToWide(0, text, wide);
    if (rc != err::Success) wide.clear();
    return wide;
}

}  // namespace kvt::plugin
