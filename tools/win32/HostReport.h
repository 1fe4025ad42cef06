#pragma once
// The substitute host's text output: one "name: value" line per result, so
// that a test can assert on it line by line.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::host {

inline void Report(std::string_view name, std::string_view value) {
    std::string line(name);
    line += ": ";
    line += value;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

inline std::string Hex(std::uint32_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

// "0x80040111 CLASS_E_CLASSNOTAVAILABLE"
inline std::string ResultText(HRESULT result) {
    std::string text = Hex(static_cast<std::uint32_t>(result));
    const std::string_view name = plugin::HResultName(result);
    if (!name.empty()) {
        text += ' ';
        text += name;
    }
    return text;
}

// A result and the last error the call left.
inline std::string ResultWithError(HRESULT result, DWORD lastError) {
    return ResultText(result) + " last error " + std::to_string(lastError);
}

inline std::string Utf8(const wchar_t* text) {
    if (text == nullptr) return "(null)";
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace kvt::host
