#include "platform/win32/EnvironmentBlock.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace kvt::win32 {
namespace {

// The name of "NAME=VALUE". Names of the per-drive current directories start
// with "=" ("=C:=C:\Setup"), so the separator is searched from the second character.
std::string_view NameOf(std::string_view variable) {
    const auto separator = variable.find('=', 1);
    return separator == std::string_view::npos ? variable : variable.substr(0, separator);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int ca = std::toupper(static_cast<unsigned char>(a[i]));
        const int cb = std::toupper(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool IsAssignment(std::string_view variable) {
    const auto separator = variable.find('=', 1);
    return !variable.empty() && variable[0] != '=' && separator != std::string_view::npos;
}

}  // namespace

std::vector<std::string> SplitEnvironmentBlock(const char* block) {
    std::vector<std::string> variables;
    if (block == nullptr) return variables;
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) variables.emplace_back(entry);
    return variables;
}

bool MergeEnvironment(std::vector<std::string> parent, const std::vector<std::string>& additions,
                      std::string& block) {
    for (const auto& addition : additions) {
        if (!IsAssignment(addition)) return false;
        const std::string_view name = NameOf(addition);
        auto same = std::find_if(parent.begin(), parent.end(), [name](const std::string& variable) {
            return CompareNoCase(NameOf(variable), name) == 0;
        });
        if (same != parent.end()) {
            *same = addition;
        } else {
            parent.push_back(addition);
        }
    }
    std::stable_sort(parent.begin(), parent.end(), [](const std::string& a, const std::string& b) {
        return CompareNoCase(NameOf(a), NameOf(b)) < 0;
    });
    block.clear();
    for (const auto& variable : parent) {
        block += variable;
        block += '\0';
    }
    block += '\0';
    if (parent.empty()) block += '\0';  // an empty block is still two terminators
    return true;
}

}  // namespace kvt::win32
