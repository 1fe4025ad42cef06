#include "platform/sim/WinPath.h"

#include <algorithm>

#include "platform/ports/WinCodes.h"
#include "platform/sim/CaseInsensitive.h"

namespace kvt::sim::winpath {
namespace {

constexpr std::uint32_t FilenameTooLong = 206;

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDrivePrefix(std::string_view text) { return text.size() >= 2 && IsDriveLetter(text[0]) && text[1] == ':'; }

bool IsForbiddenInName(char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
}

// Windows drops trailing dots and spaces of the last name ("x." is "x").
void TrimLastName(std::vector<std::string_view>& parts) {
    if (parts.empty()) return;
    std::string_view& last = parts.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.remove_suffix(1);
    if (last.empty()) parts.pop_back();
}

// The absolute text (drive, then "\...") that `text` names, or an error.
std::uint32_t MakeAbsolute(const std::string& text, std::string_view currentDirectory, std::string& absolute) {
    if (HasDrivePrefix(text)) {
        if (text.size() > 2 && text[2] == '\\') {
            absolute = text;
            return err::Success;
        }
        // "D:name": relative to the current directory when it is on that drive,
        // otherwise to the root (a process keeps no other drive's directory here).
        const bool sameDrive = HasDrivePrefix(currentDirectory) && AsciiUpper(currentDirectory[0]) == AsciiUpper(text[0]);
        absolute = sameDrive ? std::string(currentDirectory) : text.substr(0, 2);
        absolute += '\\';
        absolute += text.substr(2);
        return err::Success;
    }
    if (text.starts_with("\\\\")) return err::BadNetPath;
    if (!HasDrivePrefix(currentDirectory)) return err::PathNotFound;
    absolute = text[0] == '\\' ? std::string(currentDirectory.substr(0, 2)) : std::string(currentDirectory) + '\\';
    absolute += text;
    return err::Success;
}

char Upper(char c) { return AsciiUpper(c); }

}  // namespace

std::uint32_t Normalise(std::string_view path, std::string_view currentDirectory, std::string& out) {
    std::string text(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (text.starts_with("\\\\?\\")) {
        text.erase(0, 4);
        if (StartsWithNoCase(text, "UNC\\")) return err::BadNetPath;
    }
    if (text.empty()) return err::PathNotFound;

    std::string absolute;
    if (std::uint32_t code = MakeAbsolute(text, currentDirectory, absolute)) return code;

    std::vector<std::string_view> parts;
    std::string_view rest = std::string_view(absolute).substr(2);
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\\');
        const std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        if (std::any_of(part.begin(), part.end(), IsForbiddenInName)) return err::InvalidName;
        parts.push_back(part);
    }
    TrimLastName(parts);

    out.assign(absolute, 0, 2);
    out += '\\';
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '\\';
        out += parts[i];
    }
    return out.size() > MaxPath ? FilenameTooLong : err::Success;
}

std::string_view DriveRoot(std::string_view normalised) { return normalised.substr(0, 3); }

bool IsDriveRoot(std::string_view normalised) { return normalised.size() == 3 && normalised[2] == '\\'; }

std::string_view ParentOf(std::string_view normalised) {
    if (normalised.size() <= 3) return {};
    const std::size_t cut = normalised.rfind('\\');
    return normalised.substr(0, cut <= 2 ? 3 : cut);
}

std::string_view NameOf(std::string_view normalised) {
    if (normalised.size() <= 3) return {};
    return normalised.substr(normalised.rfind('\\') + 1);
}

std::string Join(std::string_view directory, std::string_view name) {
    std::string out(directory);
    if (!out.ends_with('\\')) out += '\\';
    out += name;
    return out;
}

std::vector<std::string_view> Components(std::string_view normalised) {
    std::vector<std::string_view> parts;
    std::string_view rest = normalised.size() > 3 ? normalised.substr(3) : std::string_view();
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\\');
        parts.push_back(rest.substr(0, cut));
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    return parts;
}

bool IsSameOrInside(std::string_view path, std::string_view directory) {
    if (!StartsWithNoCase(path, directory)) return false;
    if (path.size() == directory.size()) return true;
    return directory.ends_with('\\') || path[directory.size()] == '\\';
}

std::string_view RelativeTo(std::string_view path, std::string_view directory) {
    if (path.size() <= directory.size()) return {};
    const std::size_t skip = directory.ends_with('\\') ? directory.size() : directory.size() + 1;
    return path.substr(skip);
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return true;
    // Greedy match with one backtrack point: the latest "*".
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Upper(pattern[p]) == Upper(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool HasWildcards(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

}  // namespace kvt::sim::winpath
