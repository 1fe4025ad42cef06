#pragma once
// The text of the message box that reports a failed spooler or setup call:
// the call's name with its error code ("AddMonitor, ERR CODE: 3000\n\n"),
// followed by the system's text for the code: English, else the system's
// own language, else kNoSystemText.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ports/SystemInfo.h"

namespace kvt::setup {

inline constexpr std::uint32_t kEnglishUs = 0x0409;
inline constexpr std::uint32_t kSystemLanguage = 0;
inline constexpr std::string_view kNoSystemText = "Windows has no description of this error.\r\n";

// `head` carries one "%d" where the code goes; the code is shown as the
// signed 32-bit value a C "%d" would show. The head is never used as a
// format: only that one directive is replaced, the rest stays as written.
std::string ErrorReportHead(std::string_view head, std::uint32_t code);

// The system's text for the code, with the fallbacks above.
std::string SystemErrorText(ports::SystemInfo& system, std::uint32_t code);

// The head with the code, then the system's text for the code.
std::string ErrorReportText(ports::SystemInfo& system, std::string_view head, std::uint32_t code);

}  // namespace kvt::setup
