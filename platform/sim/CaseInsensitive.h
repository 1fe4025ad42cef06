#pragma once
// Windows compares names of files, keys, values and printers without regard
// to case (in the ANSI range that the product uses).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt::sim {

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), AsciiUpper);
    return out;
}

// Where two texts first differ other than in the case of a letter, from
// `from` on: npos when they agree over the shorter one's length. Names in
// one folder or key share long prefixes (every printer's key starts with
// the 52 characters of HKLM\SYSTEM\CurrentControlSet\Control\Print\Printers),
// so equal bytes are skipped by a plain comparison first; only bytes that
// differ are looked at for case.
inline std::size_t FirstDifferenceNoCase(std::string_view a, std::string_view b, std::size_t from = 0) {
    const std::size_t length = std::min(a.size(), b.size());
    for (std::size_t i = from; i < length;) {
        i = static_cast<std::size_t>(std::mismatch(a.begin() + i, a.begin() + length, b.begin() + i).first - a.begin());
        if (i == length) break;
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return i;
        ++i;
    }
    return std::string_view::npos;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && FirstDifferenceNoCase(a, b) == std::string_view::npos;
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Hash and equality for unordered containers of names compared without
// regard to case. Both take string views, so a lookup makes no upper-cased
// copy of the name it looks for.
struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (char c : text) {
            hash ^= static_cast<unsigned char>(AsciiUpper(c));
            hash *= 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};

struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

// Orders as a comparison of the upper-cased texts, byte by byte as unsigned.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        const std::size_t at = FirstDifferenceNoCase(a, b);
        if (at == std::string_view::npos) return a.size() < b.size();
        return static_cast<unsigned char>(AsciiUpper(a[at])) < static_cast<unsigned char>(AsciiUpper(b[at]));
    }
};

}  // namespace kvt::sim
