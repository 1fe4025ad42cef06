#include "platform/sim/FileStore.h"

#include "platform/sim/WinPath.h"

namespace kvt::sim {
namespace {

// The records directly inside `directory`: all keys below it form one range of
// the case-insensitive map, and the direct children are those without a
// further separator.
template <typename Map>
std::vector<std::string> ChildNames(const Map& map, std::string_view directory) {
    const std::string prefix = winpath::Join(directory, "");
    std::vector<std::string> names;
    for (auto it = map.lower_bound(prefix); it != map.end() && StartsWithNoCase(it->first, prefix); ++it) {
        const std::string_view rest = std::string_view(it->first).substr(prefix.size());
        if (!rest.empty() && rest.find('\\') == std::string_view::npos) names.emplace_back(rest);
    }
    return names;
}

template <typename Map>
void EraseBelow(Map& map, std::string_view directory) {
    const std::string prefix = winpath::Join(directory, "");
    auto it = map.lower_bound(prefix);
    while (it != map.end() && StartsWithNoCase(it->first, prefix)) it = map.erase(it);
}

}  // namespace

FileRecord* FileStore::findFile(std::string_view path) {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
}

const FileRecord* FileStore::findFile(std::string_view path) const {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
}

DirectoryRecord* FileStore::findDirectory(std::string_view path) {
    auto it = directories_.find(path);
    return it == directories_.end() ? nullptr : &it->second;
}

const DirectoryRecord* FileStore::findDirectory(std::string_view path) const {
    auto it = directories_.find(path);
    return it == directories_.end() ? nullptr : &it->second;
}

// A new record takes its ancestors' names as they are stored, so that
// "c:\windows\x" created after "C:\Windows" is kept as "C:\Windows\x".
DirectoryRecord& FileStore::ensureDirectory(std::string_view path) {
    if (DirectoryRecord* existing = findDirectory(path)) return *existing;
    const std::string_view parent = winpath::ParentOf(path);
    std::string stored(path);
    if (!parent.empty()) stored = winpath::Join(ensureDirectory(parent).path, winpath::NameOf(path));
    DirectoryRecord record;
    record.path = stored;
    return directories_.emplace(stored, std::move(record)).first->second;
}

FileRecord& FileStore::putFile(std::string_view path, std::string bytes) {
    if (FileRecord* existing = findFile(path)) {
        existing->bytes = std::move(bytes);
        return *existing;
    }
    const std::string_view parent = winpath::ParentOf(path);
    std::string stored(path);
    if (!parent.empty()) stored = winpath::Join(ensureDirectory(parent).path, winpath::NameOf(path));
    FileRecord record;
    record.path = stored;
    record.bytes = std::move(bytes);
    return files_.emplace(stored, std::move(record)).first->second;
}

void FileStore::eraseFile(std::string_view path) {
    auto it = files_.find(path);
    if (it != files_.end()) files_.erase(it);
}

void FileStore::eraseDirectory(std::string_view path) {
    const std::string key(path);  // `path` may be the erased record's own name
    auto it = directories_.find(key);
    if (it == directories_.end()) return;
    directories_.erase(it);
    EraseBelow(files_, key);
    EraseBelow(directories_, key);
}

bool FileStore::renameFile(std::string_view from, std::string_view to) {
    const std::string target(to);
    auto node = files_.extract(std::string(from));
    if (node.empty()) return false;
    node.key() = target;
    node.mapped().path = target;
    files_.insert(std::move(node));
    return true;
}

bool FileStore::renameDirectory(std::string_view from, std::string_view to) {
    const std::string source(from), target(to);
    auto node = directories_.extract(source);
    if (node.empty()) return false;
    node.key() = target;
    node.mapped().path = target;
    directories_.insert(std::move(node));
    // Everything below moves along, keeping the rest of its name.
    const std::string prefix = winpath::Join(source, "");
    auto moveBelow = [&](auto& map) {
        std::vector<std::string> keys;
        for (auto it = map.lower_bound(prefix); it != map.end() && StartsWithNoCase(it->first, prefix); ++it)
            keys.push_back(it->first);
        for (const std::string& key : keys) {
            auto child = map.extract(key);
            const std::string moved = winpath::Join(target, std::string_view(key).substr(prefix.size()));
            child.key() = moved;
            child.mapped().path = moved;
            map.insert(std::move(child));
        }
    };
    moveBelow(files_);
    moveBelow(directories_);
    return true;
}

std::vector<std::string> FileStore::childFiles(std::string_view directory) const {
    return ChildNames(files_, directory);
}

std::vector<std::string> FileStore::childDirectories(std::string_view directory) const {
    return ChildNames(directories_, directory);
}

}  // namespace kvt::sim
