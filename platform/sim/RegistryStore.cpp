#include "platform/sim/RegistryStore.h"

#include <algorithm>
#include <iterator>

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

RegistryStore::RegistryStore(const RegistryStore& other) : keys_(other.keys_) { reindex(); }

RegistryStore::RegistryStore(RegistryStore&& other) noexcept : keys_(std::move(other.keys_)) {
    other.index_.clear();
    reindex();
}

RegistryStore& RegistryStore::operator=(const RegistryStore& other) {
    if (this != &other) {
        keys_ = other.keys_;
        reindex();
    }
    return *this;
}

RegistryStore& RegistryStore::operator=(RegistryStore&& other) noexcept {
    if (this != &other) {
        keys_ = std::move(other.keys_);
        other.keys_.clear();
        other.index_.clear();
        reindex();
    }
    return *this;
}

void RegistryStore::reindex() {
    index_.clear();
    index_.reserve(keys_.size());
    for (auto it = keys_.begin(); it != keys_.end(); ++it) index_.emplace(it->first, it);
}

RegistryKeyRecord* RegistryStore::find(std::string_view path) {
    auto it = index_.find(path);
    return it == index_.end() ? nullptr : &it->second->second;
}

const RegistryKeyRecord* RegistryStore::find(std::string_view path) const {
    auto it = index_.find(path);
    return it == index_.end() ? nullptr : &it->second->second;
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
    if (auto found = index_.find(path); found != index_.end()) return found->second->second;
    RegistryKeyRecord record;
    record.path = path;
    auto it = keys_.emplace(path, std::move(record)).first;
    index_.emplace(it->first, it);
    return it->second;
}

std::vector<std::string> RegistryStore::children(std::string_view path) const {
    // Derived from all descendants rather than from direct records alone, so
    // that a key implied only by a deeper one (as an image may list it) still
    // shows up. The direct children that have records come in the map's
    // order, which for one parent is the order of their names; a child
    // implied only by deeper keys is merged in afterwards. The descendants
    // of one child interleave with its siblings in the map ("A\X" sorts
    // after "AB"), so the implied ones are sorted and made unique first.
    std::vector<std::string> direct;
    std::vector<std::string> implied;
    auto [first, last] = DescendantRange(keys_, path);
    for (auto it = first; it != last; ++it) {
        const std::string_view rest = std::string_view(it->first).substr(path.size() + 1);
        const std::size_t separator = rest.find('\\');
        if (separator == std::string_view::npos) {
            direct.push_back(it->first);
            continue;
        }
        const std::string_view child = std::string_view(it->first).substr(0, path.size() + 1 + separator);
        if (index_.count(child) == 0 && (implied.empty() || !EqualsNoCase(implied.back(), child)))
            implied.emplace_back(child);
    }
    if (implied.empty()) return direct;
    std::sort(implied.begin(), implied.end(), CaseInsensitiveLess{});
    implied.erase(std::unique(implied.begin(), implied.end(),
                              [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }),
                  implied.end());
    std::vector<std::string> result;
    result.reserve(direct.size() + implied.size());
    std::merge(direct.begin(), direct.end(), implied.begin(), implied.end(), std::back_inserter(result),
               CaseInsensitiveLess{});
    return result;
}

bool RegistryStore::hasChildren(std::string_view path) const {
    auto [first, last] = DescendantRange(keys_, path);
    return first != last;
}

void RegistryStore::eraseTree(std::string_view path) {
    auto [first, last] = DescendantRange(keys_, path);
    for (auto it = first; it != last; ++it) index_.erase(it->first);
    keys_.erase(first, last);
    erase(path);
}

void RegistryStore::erase(std::string_view path) {
    auto found = index_.find(path);
    if (found == index_.end()) return;
    const KeyMap::iterator it = found->second;
    index_.erase(found);  // before the map's key that its name points at goes
    keys_.erase(it);
}

std::string_view HiveName(ports::RegKey root) {
    if (root == ports::hkey::LocalMachine) return "HKLM";
    if (root == ports::hkey::CurrentUser) return "HKCU";
    if (root == ports::hkey::ClassesRoot) return "HKCR";
    if (root == ports::hkey::Users) return "HKU";
    return {};
}

}  // namespace kvt::sim
