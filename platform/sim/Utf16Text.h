#pragma once
// UTF-16 text of the plug-in's wide calls to and from the UTF-8 of images,
// scripts and reports.
#include <optional>
#include <string>
#include <string_view>

namespace kvt::sim {

// A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Nothing when `text` is not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

}  // namespace kvt::sim
