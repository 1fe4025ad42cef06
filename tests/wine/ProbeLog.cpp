// The installer log as the support library wrote it through the adapters.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

bool HasTimeStamp(std::string_view line) {
    if (line.size() < 10) return false;
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    }
    return line[2] == ':' && line[5] == ':' && line.substr(8, 2) == ": " && line.substr(0, 2) < "24" &&
           line.substr(3, 2) < "60" && line.substr(6, 2) < "62";
}

// The lines between the "\r\n" separators; false when a line feed comes
// without its carriage return.
bool SplitLines(const std::string& text, std::vector<std::string>& lines) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) return false;
        std::string line = text.substr(start, end - start);
        if (line.find('\n') != std::string::npos) return false;
        lines.push_back(std::move(line));
        start = end + 2;
    }
    return true;
}

std::size_t IndexOf(const std::vector<std::string>& lines, std::string_view message) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > 10 && std::string_view(lines[i]).substr(10) == message) return i;
    }
    return lines.size();
}

}  // namespace

void CheckLogFile(win32::Win32Platform& windows, const setup::SetupLog& log, ProbeReport& report) {
    std::string text;
    if (!report.code(windows.files().readFile(log.path(), text), err::Success, "the log file reads back")) return;
    std::vector<std::string> lines;
    report.check(SplitLines(text, lines), "every log line ends with CR LF");

    // A "\r\n" message gives a stamp-only line followed by an empty one.
    std::size_t stamped = 0, empty = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (HasTimeStamp(lines[i])) {
            ++stamped;
        } else if (lines[i].empty() && i > 0 && lines[i - 1].size() == 10 && HasTimeStamp(lines[i - 1])) {
            ++empty;
        }
    }
    report.check(stamped + empty == lines.size() && empty >= 2, "each line has an \"HH:MM:SS: \" stamp",
                 std::to_string(stamped) + " stamped, " + std::to_string(empty) + " empty");

    const std::vector<std::string> expected = {
        "AdapterProbe BEGIN",
        "The process is running under WOW64.",
        "CheckOS BEGIN",
        "osvi.dwPlatformID   : 2",
        "CheckOS END",
        "REGKEY_1 : HKLM\\SOFTWARE\\NORVEX\\AdapterProbe\\GrantTree",
        "REGKEY_2 : SOFTWARE\\NORVEX\\AdapterProbe\\GrantTree",
        "REGKEY_1 : HKLM\\SOFTWARE\\NORVEX\\AdapterProbe\\GrantLeaf",
        "AdapterProbe END",
    };
    std::size_t previous = 0;
    for (const auto& message : expected) {
        const std::size_t at = IndexOf(lines, message);
        report.check(at < lines.size() && at >= previous, "log line in order: " + message);
        if (at < lines.size()) previous = at;
    }
    report.check(std::none_of(lines.begin(), lines.end(),
                              [](const std::string& line) { return line.find("failed") != std::string::npos; }),
                 "the log records no failed deletion");
}

}  // namespace kvt::probe
