#include "platform/sim/InfDirIds.h"

#include <charconv>
#include <optional>

#include "platform/sim/World.h"

namespace kvt::sim {
namespace {

// The documented ids of setupapi.h (DIRID_*) and the shell folder ids
// (16384 + CSIDL) that INF files use, for a system on drive C: of a 64-bit
// Windows.
std::optional<std::string> DirIdPath(unsigned id, const World& world) {
    const std::string& windows = world.windowsDirectory;
    const std::string drive = windows.substr(0, 2);
    const std::string system = windows + "\\system32";
    switch (id) {
    case 10: return windows;                                  // DIRID_WINDOWS
    case 11: return system;                                   // DIRID_SYSTEM
    case 12: return system + "\\drivers";                     // DIRID_DRIVERS
    case 17: return windows + "\\inf";                        // DIRID_INF
    case 18: return windows + "\\help";                       // DIRID_HELP
    case 20: return windows + "\\fonts";                      // DIRID_FONTS
    case 24: return drive;                                    // DIRID_APPS: the system drive
    case 25: return windows;                                  // DIRID_SHARED
    case 30: return drive + "\\";                             // DIRID_BOOT
    case 50: return windows + "\\system";                     // DIRID_SYSTEM16
    case 51: return system + "\\spool";                       // DIRID_SPOOL
    case 52: return system + "\\spool\\drivers";              // DIRID_SPOOLDRIVERS
    case 55: return system + "\\spool\\prtprocs";             // DIRID_PRINTPROCESSOR
    case 16422: return drive + "\\Program Files";             // CSIDL_PROGRAM_FILES
    case 16426: return drive + "\\Program Files (x86)";       // CSIDL_PROGRAM_FILESX86
    case 16427: return drive + "\\Program Files\\Common Files";        // CSIDL_PROGRAM_FILES_COMMON
    case 16428: return drive + "\\Program Files (x86)\\Common Files";  // CSIDL_PROGRAM_FILES_COMMONX86
    default: return std::nullopt;
    }
}

}  // namespace

std::string SubstituteDirIds(std::string_view field, const World& world) {
    std::string out;
    while (!field.empty()) {
        const std::size_t open = field.find('%');
        const std::size_t close = open == std::string_view::npos ? open : field.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += field;
            break;
        }
        const std::string_view digits = field.substr(open + 1, close - open - 1);
        unsigned id = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
        const std::optional<std::string> path =
            !digits.empty() && error == std::errc() && end == digits.data() + digits.size() ? DirIdPath(id, world)
                                                                                             : std::nullopt;
        if (path) {
            out += field.substr(0, open);
            out += *path;
            field.remove_prefix(close + 1);
        } else {
            // Not an id: the text up to the second "%" stays, which may open the next token.
            out += field.substr(0, close);
            field.remove_prefix(close);
        }
    }
    return out;
}

}  // namespace kvt::sim
