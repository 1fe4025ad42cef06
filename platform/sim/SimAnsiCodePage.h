#pragma once
// The plug-in's conversions in the ANSI code page that the image names
// ("os": { "ansiCodePage": ... }):
// - 1252 (the default): the simulation's single-byte model, the bytes
//   0..255 are U+0000..U+00FF, and a character outside them becomes "?", the
//   default character (see SimPluginSpooler.h);
// - 65001: UTF-8; a byte sequence that is not UTF-8 becomes U+FFFD, as
//   MultiByteToWideChar replaces it without MB_ERR_INVALID_CHARS;
// - 932, 936 and 54936: the double-byte code pages and GB18030, through the
//   C library's tables; a character the code page lacks becomes "?", bytes it
//   cannot read become U+FFFD.
// The flags follow the documented rules: on 65001 and 54936 only 0 (or the
// error-checking flag) is allowed, so WC_COMPOSITECHECK and MB_PRECOMPOSED
// fail with ERROR_INVALID_FLAGS there. Of the other flags the simulation
// knows only WC_COMPOSITECHECK and MB_PRECOMPOSED, and refuses the rest with
// the same code. The texts it converts hold precomposed characters only, so
// WC_COMPOSITECHECK has nothing to compose.
//
// The image's other texts (files, registry, spooler) stay in the single-byte
// model whatever the code page.
#include <cstdint>

#include "platform/ports/AnsiCodePage.h"

namespace kvt::sim {

class Simulation;

// 1252, 932, 936, 54936 and 65001.
bool IsKnownAnsiCodePage(std::uint32_t codePage);

class SimAnsiCodePage final : public ports::AnsiCodePage {
public:
    explicit SimAnsiCodePage(Simulation& sim) : sim_(sim) {}
    std::uint32_t wideToAnsi(std::uint32_t flags, std::u16string_view text, std::string& ansi) override;
    std::uint32_t ansiToWide(std::uint32_t flags, std::string_view text, std::u16string& wide) override;

private:
    Simulation& sim_;
};

}  // namespace kvt::sim
