#pragma once
// The system's ANSI code page for the plug-in's texts.
#include "platform/ports/AnsiCodePage.h"

namespace kvt::win32 {

class Win32AnsiCodePage final : public ports::AnsiCodePage {
public:
    std::uint32_t wideToAnsi(std::uint32_t flags, std::u16string_view text, std::string& ansi) override;
    std::uint32_t ansiToWide(std::uint32_t flags, std::string_view text, std::u16string& wide) override;
};

}  // namespace kvt::win32
