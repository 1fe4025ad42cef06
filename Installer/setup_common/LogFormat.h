#pragma once
// printf-style formats for the setup log, checked while compiling. A
// LogFormat can only be made from a string literal whose directives match the
// types of the arguments that go with it, in number and in kind; so no user or
// system text can ever become a format, and a mismatch does not compile.
//
// Accepted directives: %% and %[flags][width][.precision][length]conversion
// with the flags - + space # 0, decimal width and precision (no '*'), the
// length modifiers hh h l ll z, and the conversions
//   d i u x X o c   for an integer argument (any integral type but bool),
//   s               for text (const char*, char arrays, std::string, std::string_view).
// Integers are converted as a C varargs call would see them: "%d" shows a
// 32-bit unsigned value as a signed int, "%hu" cuts to 16 bits.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace kvt::setup {

namespace logformat {

enum class ArgKind { Integer, Text, Unsupported };

template <typename T>
consteval ArgKind KindOf() {
    using U = std::remove_cvref_t<T>;
    using D = std::decay_t<U>;
    if constexpr (std::is_same_v<U, bool>) {
        return ArgKind::Unsupported;
    } else if constexpr (std::is_integral_v<U>) {
        return ArgKind::Integer;
    } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view> ||
                         std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
        return ArgKind::Text;
    } else {
        return ArgKind::Unsupported;
    }
}

enum class Length { None, Char, Short, Long, LongLong, Size };

struct Directive {
    std::size_t begin = 0;      // the '%'
    std::size_t specEnd = 0;    // end of flags, width and precision
    std::size_t end = 0;        // one past the conversion character
    Length length = Length::None;
    char conversion = 0;
};

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsIntegerConversion(char c) {
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o' || c == 'c';
}

// Reads the directive that starts with the '%' at `pos`; false when it is not
// one that this log accepts.
constexpr bool ParseDirective(std::string_view format, std::size_t pos, Directive& d) {
    d = Directive{};
    d.begin = pos;
    std::size_t i = pos + 1;
    if (i < format.size() && format[i] == '%') {
        d.specEnd = i;
        d.end = i + 1;
        d.conversion = '%';
        return true;
    }
    bool alternate = false, zeroPad = false, precision = false;
    for (; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '#') alternate = true;
        else if (c == '0') zeroPad = true;
        else if (c != '-' && c != '+' && c != ' ') break;
    }
    while (i < format.size() && IsDigit(format[i])) ++i;
    if (i < format.size() && format[i] == '.') {
        precision = true;
        ++i;
        while (i < format.size() && IsDigit(format[i])) ++i;
    }
    d.specEnd = i;
    if (i < format.size() && format[i] == 'h') {
        ++i;
        d.length = Length::Short;
        if (i < format.size() && format[i] == 'h') {
            ++i;
            d.length = Length::Char;
        }
    } else if (i < format.size() && format[i] == 'l') {
        ++i;
        d.length = Length::Long;
        if (i < format.size() && format[i] == 'l') {
            ++i;
            d.length = Length::LongLong;
        }
    } else if (i < format.size() && format[i] == 'z') {
        ++i;
        d.length = Length::Size;
    }
    if (i >= format.size()) return false;
    d.conversion = format[i];
    d.end = i + 1;
    const char conv = d.conversion;
    if (conv == 's') return d.length == Length::None && !alternate && !zeroPad;
    if (!IsIntegerConversion(conv)) return false;
    if (conv == 'c') return d.length == Length::None && !alternate && !zeroPad && !precision;
    if (alternate) return conv == 'x' || conv == 'X' || conv == 'o';
    return true;
}

constexpr bool DirectivesMatch(std::string_view format, const ArgKind* kinds, std::size_t count) {
    if (format.find('\0') != std::string_view::npos) return false;
    std::size_t arg = 0;
    std::size_t pos = 0;
    while (pos < format.size()) {
        if (format[pos] != '%') {
            ++pos;
            continue;
        }
        Directive d;
        if (!ParseDirective(format, pos, d)) return false;
        pos = d.end;
        if (d.conversion == '%') continue;
        if (arg >= count) return false;
        const ArgKind wanted = d.conversion == 's' ? ArgKind::Text : ArgKind::Integer;
        if (kinds[arg] != wanted) return false;
        ++arg;
    }
    return arg == count;
}

// Not constexpr: reaching it while a LogFormat is being checked makes the
// program ill-formed, and the compiler names this function in its message.
inline void LogFormatDoesNotMatchItsArguments() {}

// One argument as the formatter sees it.
struct LogArg {
    ArgKind kind = ArgKind::Unsupported;
    unsigned long long bits = 0;  // integers, sign-extended to 64 bits
    std::string_view text;
};

template <typename T>
LogArg MakeLogArg(const T& value) {
    constexpr ArgKind kind = KindOf<T>();
    static_assert(kind != ArgKind::Unsupported, "the log formats integers and text only");
    if constexpr (kind == ArgKind::Integer) {
        return LogArg{kind, static_cast<unsigned long long>(value), {}};
    } else if constexpr (std::is_pointer_v<std::decay_t<T>>) {
        const char* text = value;
        return LogArg{kind, 0, text != nullptr ? std::string_view(text) : std::string_view("(null)")};
    } else {
        return LogArg{kind, 0, std::string_view(value)};
    }
}

// Formats a checked format with its arguments (snprintf directive by directive).
std::string FormatLogMessage(std::string_view format, std::span<const LogArg> args);

}  // namespace logformat

template <typename... Args>
class LogFormat {
public:
    template <std::size_t N>
    consteval LogFormat(const char (&text)[N]) : text_(text, N - 1) {  // NOLINT: implicit on purpose
        constexpr logformat::ArgKind kinds[] = {logformat::KindOf<Args>()..., logformat::ArgKind::Unsupported};
        if (text[N - 1] != '\0' || !logformat::DirectivesMatch(text_, kinds, sizeof...(Args)))
            logformat::LogFormatDoesNotMatchItsArguments();
    }

    constexpr std::string_view text() const { return text_; }

private:
    std::string_view text_;
};

}  // namespace kvt::setup
