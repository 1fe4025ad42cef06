#pragma once
// Windows path names as the file API reads them: drive letters, "\" and "/"
// alike, relative and drive-relative names, "." and "..", names compared
// without regard to case, and the wildcards of a directory search.
//
// A normalised path is absolute, uses "\" only, has no empty, "." or ".."
// component and no trailing "\" except in a drive root ("C:\").
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::sim::winpath {

// Longest path (without terminator) that the ANSI file functions accept.
inline constexpr std::size_t MaxPath = 259;

// Makes `path` absolute against `currentDirectory` (itself normalised, or
// empty when relative names are not allowed) and normalises it into `out`.
// Returns 0 or the error the file API gives for such a name: 3 for an empty
// name or a relative one without a current directory, 53 for a network
// (UNC) name, 123 for a character that no file name may hold, 206 for a name
// longer than MaxPath.
std::uint32_t Normalise(std::string_view path, std::string_view currentDirectory, std::string& out);

// "C:\" for "C:\Temp\x"; the drive root of a normalised path.
std::string_view DriveRoot(std::string_view normalised);
bool IsDriveRoot(std::string_view normalised);
// Parent of a normalised path ("C:\Temp" for "C:\Temp\x", "C:\" for
// "C:\Temp"); empty for a drive root.
std::string_view ParentOf(std::string_view normalised);
// Last component ("x" for "C:\Temp\x"); empty for a drive root.
std::string_view NameOf(std::string_view normalised);
// `directory` + "\" + `name`, without doubling the separator of a root.
std::string Join(std::string_view directory, std::string_view name);
// The components after the drive root ("Temp", "x" for "C:\Temp\x").
std::vector<std::string_view> Components(std::string_view normalised);

// True when `path` is `directory` or lies below it (case-insensitive, whole
// components only: "C:\Temp2" is not inside "C:\Temp").
bool IsSameOrInside(std::string_view path, std::string_view directory);
// The rest of `path` after `directory` and its separator ("x\y" for
// "C:\Temp\x\y" in "C:\Temp"); empty when they are the same. Only for paths
// for which IsSameOrInside holds.
std::string_view RelativeTo(std::string_view path, std::string_view directory);

// The name part of a FindFirstFile pattern matched against one name, without
// regard to case: "*" any run of characters, "?" exactly one; "*" and "*.*"
// match every name, names without a dot included.
bool WildcardMatch(std::string_view pattern, std::string_view name);
bool HasWildcards(std::string_view name);

}  // namespace kvt::sim::winpath
