#include "Installer/setup_common/SetupCommandLine.h"

#include <array>
#include <vector>

#include "Installer/setup_common/AsciiCase.h"

namespace kvt::setup {
namespace {

// In the order of the port dialog's buttons.
constexpr std::array<std::string_view, 7> kPortValues = {"com1", "com2", "com3", "com4", "lpt1", "lpt2", "usb"};

constexpr std::string_view kInstallerUsage =
    "KVT580duo_Installer [/quiet] [/port=COM1|COM2|COM3|COM4|LPT1|LPT2|USB] [/norestart | /forcerestart] [/?]\n"
    "\n"
    "/quiet         no window, no message box, no port dialog\n"
    "/port=PORT     the printer's port; without it the PORT of KVT580D.ini\n"
    "/norestart     never restart (the default of /quiet)\n"
    "/forcerestart  restart at the end when the installation needs it\n"
    "\n"
    "Exit codes with /quiet: 0 done, 3010 restart needed, 1641 restart started, 1603 not installed,\n"
    "1618 already running, 1633 Windows release not supported, 87 bad command line.";

constexpr std::string_view kUninstallerUsage =
    "KVT580duo_Uninstaller [/quiet] [/norestart | /forcerestart] [/?]\n"
    "\n"
    "/quiet         no window, no message box: every printer of the driver and the driver go\n"
    "/norestart     never restart (the default of /quiet)\n"
    "/forcerestart  restart at the end when the removal needs it\n"
    "\n"
    "Exit codes with /quiet: 0 done, 3010 restart needed, 1641 restart started,\n"
    "1603 the driver is still installed, 1618 already running, 87 bad command line.";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Words as a program's command line splits them: blanks separate, quotes
// group and are dropped.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsSpace(c) && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::optional<int> PortIndexOf(std::string_view value) {
    const std::string lowered = AsciiLowered(value);
    for (std::size_t index = 0; index < kPortValues.size(); ++index)
        if (lowered == kPortValues[index]) return static_cast<int>(index);
    return std::nullopt;
}

// Applies one option (without its "/" or "-"); false when the program
// does not take it or its value is not usable.
bool ApplyOption(std::string_view option, SetupProgram program, SetupCommandLine& line) {
    const std::string lowered = AsciiLowered(option);
    if (lowered == "quiet") line.quiet = true;
    else if (lowered == "norestart") line.noRestart = true;
    else if (lowered == "forcerestart") line.forceRestart = true;
    else if (lowered == "?") line.usage = true;
    else if (program == SetupProgram::Installer && lowered.starts_with("port=")) {
        line.portIndex = PortIndexOf(option.substr(5));
        return line.portIndex.has_value();
    } else {
        return false;
    }
    return true;
}

}  // namespace

RestartChoice SetupCommandLine::restart() const {
    if (forceRestart) return RestartChoice::Force;
    if (noRestart || quiet) return RestartChoice::Never;
    return RestartChoice::Ask;
}

SetupCommandLine ParseSetupCommandLine(std::string_view text, SetupProgram program) {
    SetupCommandLine line;
    for (const std::string& word : Words(text)) {
        const bool introduced = word.size() > 1 && (word[0] == '/' || word[0] == '-');
        if (!introduced || !ApplyOption(std::string_view(word).substr(1), program, line)) {
            if (line.problem.empty()) line.problem = "Unknown option or bad value: " + word;
        }
    }
    if (line.problem.empty() && line.noRestart && line.forceRestart)
        line.problem = "/norestart and /forcerestart exclude each other.";
    return line;
}

std::string_view UsageText(SetupProgram program) {
    return program == SetupProgram::Installer ? kInstallerUsage : kUninstallerUsage;
}

}  // namespace kvt::setup
