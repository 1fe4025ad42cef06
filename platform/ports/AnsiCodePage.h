#pragma once
// Conversions between the wide text of the plug-in's controls and the
// narrow text in the system's ANSI code page that its command codec and its
// number reading work on.
#include <string>
#include <string_view>

namespace kvt::ports {

class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    // WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK): a character the code
    // page cannot represent becomes its default character.
    virtual std::string toAnsi(std::u16string_view text) = 0;
    // MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED).
    virtual std::u16string fromAnsi(std::string_view text) = 0;
};

}  // namespace kvt::ports
