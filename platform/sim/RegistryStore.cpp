#include "platform/sim/RegistryStore.h"

#include <algorithm>

namespace kvt::sim {
namespace {

constexpr std::string_view kHiveNames[] = {"HKLM", "HKCU", "HKCR", "HKU"};

// The range of keys strictly below `path`: they share the prefix "path\" and
// therefore sit next to each other in the sorted map.
template <typename Map>
auto DescendantRange(Map& keys, std::string_view path) {
    std::string prefix(path);
    prefix += '\\';
    auto first = keys.lower_bound(prefix);
    auto last = first;
    while (last != keys.end() && StartsWithNoCase(last->first, prefix)) ++last;
    return std::pair{first, last};
}

}  // namespace

bool IsHiveRoot(std::string_view path) {
    return std::any_of(std::begin(kHiveNames), std::end(kHiveNames),
                       [path](std::string_view hive) { return EqualsNoCase(hive, path); });
}

RegistryKeyRecord* RegistryStore::find(std::string_view path) {
    auto it = keys_.find(path);
    return it == keys_.end() ? nullptr : &it->second;
}

const RegistryKeyRecord* RegistryStore::find(std::string_view path) const {
    auto it = keys_.find(path);
    return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryStore::exists(std::string_view path) const {
    return IsHiveRoot(path) || find(path) != nullptr || hasChildren(path);
}

RegistryKeyRecord& RegistryStore::ensure(std::string_view path) {
    // Each level is named after its parent's stored path, so a key created
    // below "HKLM\Software" reads "HKLM\Software\..." whatever case the
    // caller used for the ancestors. Every ancestor below the hive root gets
    // its own record, so an intermediate key survives when its last child
    // goes, as on Windows.
    std::size_t separator = path.find('\\');
    std::string current(path.substr(0, separator));
    for (std::string_view hive : kHiveNames)
        if (EqualsNoCase(hive, current)) current = std::string(hive);
    RegistryKeyRecord* record = nullptr;
    while (separator != std::string_view::npos) {
        std::size_t next = path.find('\\', separator + 1);
        std::string_view name =
            path.substr(separator + 1, next == std::string_view::npos ? next : next - separator - 1);
        separator = next;
        if (name.empty()) continue;
        current += '\\';
        current += name;
        record = &findOrAdd(current);
        current = record->path;
    }
    if (record == nullptr) record = &findOrAdd(current);  // a bare root, asked for explicitly
    return *record;
}

RegistryKeyRecord& RegistryStore::findOrAdd(const std::string& path) {
    auto it = keys_.find(path);
    if (it == keys_.end()) {
        RegistryKeyRecord record;
        record.path = path;
        it = keys_.emplace(path, std::move(record)).first;
    }
    return it->second;
}

std::vector<std::string> RegistryStore::children(std::string_view path) const {
    // Derived from all descendants rather than from direct records alone, so
    // that a key implied only by a deeper one (as an image may list it) still
    // shows up.
    std::vector<std::string> result;
    auto [first, last] = DescendantRange(keys_, path);
    for (auto it = first; it != last; ++it) {
        std::string_view rest = std::string_view(it->first).substr(path.size() + 1);
        std::string child =
            std::string(it->first.substr(0, path.size() + 1)) + std::string(rest.substr(0, rest.find('\\')));
        if (result.empty() || !EqualsNoCase(result.back(), child)) result.push_back(std::move(child));
    }
    // Descendants of one child interleave with its siblings in the map's
    // order ("A\X" sorts after "AB"), so sort the names themselves.
    std::sort(result.begin(), result.end(), CaseInsensitiveLess{});
    result.erase(std::unique(result.begin(), result.end(),
                             [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }),
                 result.end());
    return result;
}

bool RegistryStore::hasChildren(std::string_view path) const {
    auto [first, last] = DescendantRange(keys_, path);
    return first != last;
}

void RegistryStore::eraseTree(std::string_view path) {
    auto [first, last] = DescendantRange(keys_, path);
    keys_.erase(first, last);
    erase(path);
}

void RegistryStore::erase(std::string_view path) {
    auto it = keys_.find(path);
    if (it != keys_.end()) keys_.erase(it);
}

std::string_view HiveName(ports::RegKey root) {
    if (root == ports::hkey::LocalMachine) return "HKLM";
    if (root == ports::hkey::CurrentUser) return "HKCU";
    if (root == ports::hkey::ClassesRoot) return "HKCR";
    if (root == ports::hkey::Users) return "HKU";
    return {};
}

}  // namespace kvt::sim
