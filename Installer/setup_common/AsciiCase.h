#pragma once
// Case-blind comparison of the names the setup programs match (drivers,
// printers, hardware ids, registry hives, command-line options), as the C
// library's _stricmp and _strnicmp do in the "C" locale: only A-Z and a-z
// fold, every other byte stands for itself.
#include <string>
#include <string_view>

namespace kvt::setup {

char AsciiLower(char c);
std::string AsciiLowered(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// _strnicmp over the prefix's length: a text shorter than the prefix differs.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace kvt::setup
