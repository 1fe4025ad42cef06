#pragma once
// The ANSI code page of the simulated systems: the bytes 0..255 are the
// characters U+0000..U+00FF, and a character outside them becomes "?", the
// default character (see SimPluginSpooler.h).
#include "platform/ports/AnsiCodePage.h"

namespace kvt::sim {

class SimAnsiCodePage final : public ports::AnsiCodePage {
public:
    std::string toAnsi(std::u16string_view text) override;
    std::u16string fromAnsi(std::string_view text) override;
};

}  // namespace kvt::sim
