#pragma once
// The system's ANSI code page for the plug-in's texts.
#include "platform/ports/AnsiCodePage.h"

namespace kvt::win32 {

class Win32AnsiCodePage final : public ports::AnsiCodePage {
public:
    std::string toAnsi(std::u16string_view text) override;
    std::u16string fromAnsi(std::string_view text) override;
};

}  // namespace kvt::win32
