#include "platform/sim/SimAnsiCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <stdexcept>

#include "platform/ports/WinCodes.h"
#include "platform/sim/SimPluginSpooler.h"
#include "platform/sim/Simulation.h"
#include "platform/sim/Utf16Text.h"

namespace kvt::sim {
namespace {

constexpr std::uint32_t kWestern = 1252;
constexpr std::uint32_t kJapanese = 932;
constexpr std::uint32_t kSimplifiedChinese = 936;
constexpr std::uint32_t kGb18030 = 54936;
constexpr std::uint32_t kUtf8 = 65001;

constexpr char16_t kReplacement = 0xFFFD;
constexpr char kDefaultCharacter = '?';

// WideCharToMultiByte and MultiByteToWideChar: "For UTF-8 or code page 54936
// (GB18030), dwFlags must be set to either 0 or WC_ERR_INVALID_CHARS /
// MB_ERR_INVALID_CHARS. Otherwise, the function fails with
// ERROR_INVALID_FLAGS." The error-checking flags are not modelled and are
// refused everywhere, as is any flag but the one the simulation knows.
bool FlagsAllowed(std::uint32_t codePage, std::uint32_t flags, std::uint32_t known) {
    if (codePage == kUtf8 || codePage == kGb18030) return flags == 0;
    return (flags & ~known) == 0;
}

const char* TableName(std::uint32_t codePage) {
    switch (codePage) {
        case kJapanese: return "CP932";
        case kSimplifiedChinese: return "CP936";
        default: return "GB18030";
    }
}

// One conversion descriptor of the C library, closed on every path.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::logic_error(std::string("the C library has no conversion from ") + from + " to " + to);
    }
    ~Converter() { ::iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much of `in` as it can, appending to `out`; returns the
    // number of bytes of `in` used. Stops at the first byte it cannot use.
    std::size_t convert(std::string_view in, std::string& out) {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* source = const_cast<char*>(in.data());
        std::size_t sourceLeft = in.size();
        char buffer[256];
        while (sourceLeft > 0) {
            char* target = buffer;
            std::size_t targetLeft = sizeof buffer;
            const std::size_t rc = ::iconv(cd_, &source, &sourceLeft, &target, &targetLeft);
            out.append(buffer, static_cast<std::size_t>(target - buffer));
            if (rc != static_cast<std::size_t>(-1)) break;
            if (errno != E2BIG) break;
        }
        return in.size() - sourceLeft;
    }

private:
    iconv_t cd_;
};

void AppendUtf16Le(std::string& bytes, char16_t unit) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
}

std::string TableToAnsi(std::uint32_t codePage, std::u16string_view text) {
    Converter converter(TableName(codePage), "UTF-16LE");
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string unit;
        AppendUtf16Le(unit, text[i]);
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        if (pair) AppendUtf16Le(unit, text[++i]);
        std::string converted;
        if (converter.convert(unit, converted) == unit.size())
            out += converted;
        else
            out += kDefaultCharacter;
    }
    return out;
}

std::u16string TableToWide(std::uint32_t codePage, std::string_view text) {
    Converter converter("UTF-16LE", TableName(codePage));
    std::string bytes;
    while (!text.empty()) {
        const std::size_t used = converter.convert(text, bytes);
        text.remove_prefix(used);
        if (text.empty()) break;
        AppendUtf16Le(bytes, kReplacement);
        text.remove_prefix(1);
    }
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return out;
}

// UTF-8 as MultiByteToWideChar reads it without MB_ERR_INVALID_CHARS: each
// well-formed sequence is its character, every other byte is U+FFFD.
std::u16string Utf8ToWide(std::string_view text) {
    std::u16string out;
    while (!text.empty()) {
        std::size_t length = 1;
        for (std::size_t candidate = 4; candidate >= 1; --candidate) {
            if (candidate > text.size()) continue;
            if (std::optional<std::u16string> wide = Utf8ToUtf16(text.substr(0, candidate))) {
                out += *wide;
                length = candidate;
                break;
            }
            if (candidate == 1) out += kReplacement;
        }
        text.remove_prefix(length);
    }
    return out;
}

std::uint32_t CodePageOf(const Simulation& sim) { return sim.world().os.ansiCodePage; }

}  // namespace

bool IsKnownAnsiCodePage(std::uint32_t codePage) {
    return codePage == kWestern || codePage == kJapanese || codePage == kSimplifiedChinese || codePage == kGb18030 ||
           codePage == kUtf8;
}

std::uint32_t SimAnsiCodePage::wideToAnsi(std::uint32_t flags, std::u16string_view text, std::string& ansi) {
    ansi.clear();
    const std::uint32_t codePage = CodePageOf(sim_);
    if (text.empty()) return err::Success;
    if (!FlagsAllowed(codePage, flags, ports::conversion::WcCompositeCheck))
        return sim_.lastError() = err::InvalidFlags;
    if (codePage == kWestern)
        ansi = Utf16ToAnsi(text);
    else if (codePage == kUtf8)
        ansi = Utf16ToUtf8(text);
    else
        ansi = TableToAnsi(codePage, text);
    return err::Success;
}

std::uint32_t SimAnsiCodePage::ansiToWide(std::uint32_t flags, std::string_view text, std::u16string& wide) {
    wide.clear();
    const std::uint32_t codePage = CodePageOf(sim_);
    if (text.empty()) return err::Success;
    if (!FlagsAllowed(codePage, flags, ports::conversion::MbPrecomposed))
        return sim_.lastError() = err::InvalidFlags;
    if (codePage == kWestern)
        wide = AnsiToUtf16(text);
    else if (codePage == kUtf8)
        wide = Utf8ToWide(text);
    else
        wide = TableToWide(codePage, text);
    return err::Success;
}

}  // namespace kvt::sim
