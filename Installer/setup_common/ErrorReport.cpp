#include "Installer/setup_common/ErrorReport.h"

namespace kvt::setup {

std::string ErrorReportHead(std::string_view head, std::uint32_t code) {
    constexpr std::string_view kDirective = "%d";
    const std::string number = std::to_string(static_cast<std::int32_t>(code));
    const std::size_t at = head.find(kDirective);
    if (at == std::string_view::npos) return std::string(head);
    std::string text(head.substr(0, at));
    text += number;
    text += head.substr(at + kDirective.size());
    return text;
}

// English first, as support reads the reports; a Windows without English
// texts gives its own language's text, and a code that no table knows is
// still reported in words.
std::string SystemErrorText(ports::SystemInfo& system, std::uint32_t code) {
    std::string text;
    if (system.formatMessage(code, kEnglishUs, text) != 0 || text.empty())
        if (system.formatMessage(code, kSystemLanguage, text) != 0 || text.empty()) text = kNoSystemText;
    return text;
}

std::string ErrorReportText(ports::SystemInfo& system, std::string_view head, std::uint32_t code) {
    return ErrorReportHead(head, code) + SystemErrorText(system, code);
}

}  // namespace kvt::setup
