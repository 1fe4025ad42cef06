#include "platform/win32/EnvironmentBlock.h"

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <string_view>
#include <utility>

namespace kvt::win32 {
namespace {

// The name of "NAME=VALUE". Names of the per-drive current directories start
// with "=" ("=C:=C:\Setup"), so the separator is searched from the second character.
template <typename Char>
std::basic_string_view<Char> NameOf(std::basic_string_view<Char> variable) {
    const auto separator = variable.find(Char('='), 1);
    return separator == variable.npos ? variable : variable.substr(0, separator);
}

// Upper case as the C library has it, narrow or wide.
unsigned long Upper(char c) { return static_cast<unsigned long>(std::toupper(static_cast<unsigned char>(c))); }
unsigned long Upper(wchar_t c) { return std::towupper(static_cast<wint_t>(c)); }

template <typename Char>
int CompareNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned long ca = Upper(a[i]);
        const unsigned long cb = Upper(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename Char>
bool IsAssignment(std::basic_string_view<Char> variable) {
    const auto separator = variable.find(Char('='), 1);
    return !variable.empty() && variable[0] != Char('=') && separator != variable.npos;
}

template <typename Char>
std::vector<std::basic_string<Char>> Split(const Char* block) {
    std::vector<std::basic_string<Char>> variables;
    if (block == nullptr) return variables;
    for (const Char* entry = block; *entry != Char(0); entry += variables.back().size() + 1)
        variables.emplace_back(entry);
    return variables;
}

template <typename Char>
bool Merge(std::vector<std::basic_string<Char>> parent, const std::vector<std::basic_string<Char>>& additions,
           std::basic_string<Char>& block) {
    using View = std::basic_string_view<Char>;
    using Text = std::basic_string<Char>;
    for (const auto& addition : additions) {
        if (!IsAssignment(View(addition))) return false;
        const View name = NameOf(View(addition));
        auto same = std::find_if(parent.begin(), parent.end(), [name](const Text& variable) {
            return CompareNoCase(NameOf(View(variable)), name) == 0;
        });
        if (same != parent.end()) {
            *same = addition;
        } else {
            parent.push_back(addition);
        }
    }
    std::stable_sort(parent.begin(), parent.end(), [](const Text& a, const Text& b) {
        return CompareNoCase(NameOf(View(a)), NameOf(View(b))) < 0;
    });
    block.clear();
    for (const auto& variable : parent) {
        block += variable;
        block += Char(0);
    }
    block += Char(0);
    if (parent.empty()) block += Char(0);  // an empty block is still two terminators
    return true;
}

}  // namespace

std::vector<std::string> SplitEnvironmentBlock(const char* block) { return Split(block); }
std::vector<std::wstring> SplitEnvironmentBlock(const wchar_t* block) { return Split(block); }

bool MergeEnvironment(std::vector<std::string> parent, const std::vector<std::string>& additions,
                      std::string& block) {
    return Merge(std::move(parent), additions, block);
}

bool MergeEnvironment(std::vector<std::wstring> parent, const std::vector<std::wstring>& additions,
                      std::wstring& block) {
    return Merge(std::move(parent), additions, block);
}

}  // namespace kvt::win32
