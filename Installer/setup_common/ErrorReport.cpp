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

std::string ErrorReportText(ports::SystemInfo& system, std::string_view head, std::uint32_t code) {
    return ErrorReportHead(head, code) + system.formatMessage(code);
}

}  // namespace kvt::setup
