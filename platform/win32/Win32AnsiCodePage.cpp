#include "platform/win32/Win32AnsiCodePage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/ports/WinCodes.h"

namespace kvt::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// A text longer than an int can count is cut to what the conversion can take.
std::uint32_t Win32AnsiCodePage::wideToAnsi(std::uint32_t flags, std::u16string_view text, std::string& ansi) {
    ansi.clear();
    if (text.empty()) return err::Success;
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX / 2));
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = ::WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return ::GetLastError();
    ansi.resize(static_cast<std::size_t>(size));
    const int written = ::WideCharToMultiByte(CP_ACP, flags, wide, length, ansi.data(), size, nullptr, nullptr);
    if (written <= 0) {
        ansi.clear();
        return ::GetLastError();
    }
    ansi.resize(static_cast<std::size_t>(written));
    return err::Success;
}

std::uint32_t Win32AnsiCodePage::ansiToWide(std::uint32_t flags, std::string_view text, std::u16string& wide) {
    wide.clear();
    if (text.empty()) return err::Success;
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX / 2));
    const int size = ::MultiByteToWideChar(CP_ACP, flags, text.data(), length, nullptr, 0);
    if (size <= 0) return ::GetLastError();
    wide.resize(static_cast<std::size_t>(size));
    const int written =
        ::MultiByteToWideChar(CP_ACP, flags, text.data(), length, reinterpret_cast<wchar_t*>(wide.data()), size);
    if (written <= 0) {
        wide.clear();
        return ::GetLastError();
    }
    wide.resize(static_cast<std::size_t>(written));
    return err::Success;
}

}  // namespace kvt::win32
