#include "tools/catalog/PackageFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <utility>

#include "platform/sim/CaseInsensitive.h"
#include "platform/sim/InfFile.h"

namespace kvt::catalog {

namespace {

using sim::InfFile;

constexpr std::pair<int, int> kNtReleases[] = {{5, 0}, {5, 1}, {5, 2}, {6, 0}, {6, 1}, {6, 2}, {6, 3}, {10, 0}};

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.front() == '\\' || text.front() == '.' || text.front() == ' ')) text.erase(0, 1);
    while (!text.empty() && (text.back() == '\\' || text.back() == ' ')) text.pop_back();
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

// The section for `architecture` ("x86", "amd64"), falling back to the
// undecorated one as setup does.
const sim::InfSection* Decorated(const InfFile& inf, std::string_view base, std::string_view architecture) {
    if (const auto* section = inf.section(std::string(base) + "." + std::string(architecture))) return section;
    return inf.section(base);
}

// Every file that a CopyFiles line names, directly ("@name") or by section.
std::set<std::string> CopiedFiles(const InfFile& inf) {
    std::set<std::string> names;
    for (const auto& section : inf.sections())
        for (const auto& line : section.lines) {
            if (!line.hasKey || Lower(line.key) != "copyfiles") continue;
            for (const auto& value : line.values) {
                if (!value.empty() && value[0] == '@') {
                    names.insert(Lower(value.substr(1)));
                } else if (const auto* list = inf.section(value)) {
                    for (const auto& entry : list->lines) {
                        const std::string& name = entry.hasKey ? entry.key : (entry.values.empty() ? "" : entry.values[0]);
                        if (!name.empty()) names.insert(Lower(name));
                    }
                }
            }
        }
    return names;
}

// The lowest NT release that a models section's decoration
// ("NTamd64.6.0") asks for; 5.0 without one.
std::pair<int, int> LowestRelease(const InfFile& inf) {
    std::pair<int, int> lowest{99, 0};
    const auto* manufacturer = inf.section("Manufacturer");
    if (!manufacturer) return {5, 0};
    for (const auto& line : manufacturer->lines) {
        if (line.values.size() <= 1) return {5, 0};
        for (std::size_t i = 1; i < line.values.size(); ++i) {
            std::pair<int, int> release{5, 0};
            int major = 0, minor = 0;
            const std::string& decoration = line.values[i];
            const auto dot = decoration.find('.');
            if (dot != std::string::npos && std::sscanf(decoration.c_str() + dot + 1, "%d.%d", &major, &minor) == 2)
                release = {major, minor};
            lowest = std::min(lowest, release);
        }
    }
    return lowest.first == 99 ? std::pair{5, 0} : lowest;
}

}  // namespace

PackageFiles ReadPackageFiles(std::string_view infText, std::string_view infName) {
    const InfFile inf = InfFile::Parse(infText);
    PackageFiles result;
    result.files.push_back({std::string(infName), std::string(infName)});
    const std::set<std::string> copied = CopiedFiles(inf);
    for (std::string_view architecture : {"x86", "amd64"}) {
        const auto* disks = Decorated(inf, "SourceDisksNames", architecture);
        const auto* sources = Decorated(inf, "SourceDisksFiles", architecture);
        if (!disks || !sources) continue;
        std::set<std::string> listed;
        for (const auto& line : sources->lines) {
            if (!line.hasKey) continue;
            const std::string disk = line.values.empty() ? "" : line.values[0];
            const auto* media = inf.findLine(disks->name, disk);
            if (!media) {
                result.errors.push_back(line.key + ": no source disk " + disk + " for " + std::string(architecture));
                continue;
            }
            std::string folder = media->values.size() > 3 ? Trimmed(media->values[3]) : "";
            if (line.values.size() > 1 && !line.values[1].empty())
                folder += (folder.empty() ? "" : "/") + Trimmed(line.values[1]);
            result.files.push_back({folder.empty() ? line.key : folder + "/" + line.key, line.key});
            listed.insert(Lower(line.key));
        }
        for (const auto& name : copied)
            if (!listed.count(name))
                result.errors.push_back(name + ": copied, but not in the source files for " + std::string(architecture));
    }
    const auto lowest = LowestRelease(inf);
    for (const auto& release : kNtReleases) {
        if (release < lowest) continue;
        if (!result.osAttributes.empty()) result.osAttributes += ',';
        result.osAttributes += "2:" + std::to_string(release.first) + "." + std::to_string(release.second);
    }
    return result;
}

}  // namespace kvt::catalog
