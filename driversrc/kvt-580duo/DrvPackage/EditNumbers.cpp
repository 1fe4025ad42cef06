#include "driversrc/kvt-580duo/DrvPackage/EditNumbers.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driversrc/kvt-580duo/DrvPackage/AnsiText.h"

namespace kvt::plugin {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && IsSpace(text[at])) ++at;
    return at;
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

// The length of the decimal number that starts at `at` (sign, digits, point,
// exponent), or 0 when there is none.
std::size_t DecimalLength(std::string_view text, std::size_t at) {
    std::size_t end = at;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const std::size_t digits = end;
    end = SkipDigits(text, end);
    bool any = end > digits;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction = end + 1;
        const std::size_t fractionEnd = SkipDigits(text, fraction);
        any = any || fractionEnd > fraction;
        end = fractionEnd;
    }
    if (!any) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        const std::size_t exponentEnd = SkipDigits(text, exponent);
        if (exponentEnd > exponent) end = exponentEnd;
    }
    return end - at;
}

}  // namespace

int AnsiToInt(std::string_view text) {
    std::size_t at = SkipSpace(text, 0);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double AnsiToReal(std::string_view text) {
    const std::size_t at = SkipSpace(text, 0);
    const std::size_t length = DecimalLength(text, at);
    if (length == 0) return 0.0;
    const std::string number(text.substr(at, length));
    return std::strtod(number.c_str(), nullptr);
}

std::u16string DecimalText(long long number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string OneDecimalText(double value) {
    const int length = std::snprintf(nullptr, 0, "%.1f", value);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%.1f", value);
    return std::u16string(text.begin(), text.begin() + length);
}

std::u16string_view Leading(std::u16string_view text, std::size_t characters) {
    return text.substr(0, characters);
}

int EditNumber(ports::DialogControls& controls, ports::AnsiCodePage& codePage, int id) {
    return AnsiToInt(ToAnsiText(codePage, controls.text(id)));
}

double EditReal(ports::DialogControls& controls, ports::AnsiCodePage& codePage, int id, std::size_t characters) {
    const std::u16string text = controls.text(id);
    return AnsiToReal(ToAnsiText(codePage, Leading(text, characters)));
}

}  // namespace kvt::plugin
