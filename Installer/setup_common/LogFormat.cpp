#include "Installer/setup_common/LogFormat.h"

#include <cstdio>

namespace kvt::setup::logformat {
namespace {

// The directive texts handed to snprintf below are cut from a format that
// LogFormat checked while compiling, with a length modifier of our own that
// matches the argument passed; neither user nor system text can reach them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <typename T>
void AppendFormatted(std::string& out, const std::string& directive, T value) {
    const int needed = std::snprintf(nullptr, 0, directive.c_str(), value);
    if (needed <= 0) return;
    std::string piece(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(piece.data(), piece.size(), directive.c_str(), value);
    piece.resize(static_cast<std::size_t>(needed));
    out += piece;
}
#pragma GCC diagnostic pop

long long AsSigned(unsigned long long bits, Length length) {
    switch (length) {
        case Length::Char: return static_cast<signed char>(bits);
        case Length::Short: return static_cast<short>(bits);
        case Length::Long: return static_cast<long>(bits);
        case Length::LongLong: return static_cast<long long>(bits);
        case Length::Size: return static_cast<long long>(static_cast<std::ptrdiff_t>(bits));
        case Length::None: break;
    }
    return static_cast<int>(bits);
}

unsigned long long AsUnsigned(unsigned long long bits, Length length) {
    switch (length) {
        case Length::Char: return static_cast<unsigned char>(bits);
        case Length::Short: return static_cast<unsigned short>(bits);
        case Length::Long: return static_cast<unsigned long>(bits);
        case Length::LongLong: return bits;
        case Length::Size: return static_cast<std::size_t>(bits);
        case Length::None: break;
    }
    return static_cast<unsigned int>(bits);
}

void AppendDirective(std::string& out, std::string_view format, const Directive& d, const LogArg& arg) {
    std::string directive(format.substr(d.begin, d.specEnd - d.begin));
    switch (d.conversion) {
        case 's':
            // std::string keeps the C semantics: the text ends at a zero byte.
            AppendFormatted(out, directive + 's', std::string(arg.text).c_str());
            return;
        case 'c':
            AppendFormatted(out, directive + 'c', static_cast<int>(arg.bits));
            return;
        case 'd':
        case 'i':
            AppendFormatted(out, directive + "ll" + d.conversion, AsSigned(arg.bits, d.length));
            return;
        default:
            AppendFormatted(out, directive + "ll" + d.conversion, AsUnsigned(arg.bits, d.length));
            return;
    }
}

}  // namespace

std::string FormatLogMessage(std::string_view format, std::span<const LogArg> args) {
    std::string out;
    std::size_t next = 0;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t percent = format.find('%', pos);
        if (percent == std::string_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        out.append(format.substr(pos, percent - pos));
        Directive d;
        if (!ParseDirective(format, percent, d)) break;  // cannot happen for a checked format
        pos = d.end;
        if (d.conversion == '%') {
            out += '%';
            continue;
        }
        if (next >= args.size()) break;
        AppendDirective(out, format, d, args[next++]);
    }
    return out;
}

}  // namespace kvt::setup::logformat
