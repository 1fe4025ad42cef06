#pragma once
// Conversions between the wide text of the plug-in's controls and the
// narrow text in the system's ANSI code page that its command codec and its
// number reading work on.
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt::ports {

// Conversion flags, with the values of their <windows.h> namesakes.
namespace conversion {
inline constexpr std::uint32_t WcCompositeCheck = 0x00000200;  // WC_COMPOSITECHECK
inline constexpr std::uint32_t MbPrecomposed = 0x00000001;     // MB_PRECOMPOSED
}  // namespace conversion

class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    // WideCharToMultiByte(CP_ACP, flags) of the whole text: 0 or the error
    // code (ERROR_INVALID_FLAGS when the code page refuses the flags). A
    // character the code page cannot represent becomes its default character.
    // An empty text gives an empty result.
    virtual std::uint32_t wideToAnsi(std::uint32_t flags, std::u16string_view text, std::string& ansi) = 0;
    // MultiByteToWideChar(CP_ACP, flags) of the whole text, as above.
    virtual std::uint32_t ansiToWide(std::uint32_t flags, std::string_view text, std::u16string& wide) = 0;
};

}  // namespace kvt::ports
