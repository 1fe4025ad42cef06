#include "platform/win32/Win32AnsiCodePage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace kvt::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A text longer than an int can count is cut to what the conversion can take.
std::string Win32AnsiCodePage::toAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX / 2));
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = ::WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string ansi(static_cast<std::size_t>(size), '\0');
    const int written =
        ::WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, wide, length, ansi.data(), size, nullptr, nullptr);
    ansi.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return ansi;
}

std::u16string Win32AnsiCodePage::fromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX / 2));
    const int size = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::u16string wide(static_cast<std::size_t>(size), u'\0');
    const int written = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), length,
                                              reinterpret_cast<wchar_t*>(wide.data()), size);
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

}  // namespace kvt::win32
