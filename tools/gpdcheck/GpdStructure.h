#pragma once
// A structural check of a GPD file, the universal printer driver's printer
// description: braces balance; every feature and option that a default,
// constraint or switch names is declared; every callback number is one the
// rendering plug-in handles; every numeric name resource is in the resource
// DLL's string table and every symbolic one defined by the file or by a
// system include it names; every include resolves beside the file or is one
// of Windows' own.
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace kvt::gpdcheck {

struct GpdContext {
    std::filesystem::path directory;      // where includes of the package lie
    std::set<std::uint32_t> callbackIds;  // handled by the rendering plug-in
    std::set<std::uint32_t> stringIds;    // in the resource DLL's string table
};

// The problems found, each naming its line; none for a sound file.
std::vector<std::string> CheckGpd(const std::string& text, const GpdContext& context);

// The ids of the STRINGTABLE entries of a resource script ("300, \"...\"").
std::set<std::uint32_t> StringTableIds(const std::string& resourceScript);
// The values of "inline constexpr std::uint32_t Name = N;" lines of a header.
std::set<std::uint32_t> ConstantValues(const std::string& header);

}  // namespace kvt::gpdcheck
