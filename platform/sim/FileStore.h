#pragma once
// The simulated file system's content: directories and files by their full,
// normalised Windows path ("C:\Windows\System32\net.exe"), case-insensitive.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/ports/AccessControl.h"
#include "platform/sim/CaseInsensitive.h"

namespace kvt::sim {

struct FileRecord {
    std::string path;  // normalised, original case
    std::string bytes;
    bool readOnly = false;
    bool inUse = false;  // held open by another process without delete sharing
    // A symbolic link's target file; the link holds no bytes of its own.
    std::optional<std::string> linkTo;
    nlohmann::json extra = nlohmann::json::object();
};

struct DirectoryRecord {
    std::string path;                       // normalised, original case; drive roots are "C:\"
    std::optional<std::string> junctionTo;  // a junction's target directory
    std::vector<ports::ExplicitAccess> acl;
    nlohmann::json extra = nlohmann::json::object();
};

class FileStore {
public:
    using FileMap = std::map<std::string, FileRecord, CaseInsensitiveLess>;
    using DirectoryMap = std::map<std::string, DirectoryRecord, CaseInsensitiveLess>;

    // Exact lookups by normalised path (no junctions followed).
    FileRecord* findFile(std::string_view path);
    const FileRecord* findFile(std::string_view path) const;
    DirectoryRecord* findDirectory(std::string_view path);
    const DirectoryRecord* findDirectory(std::string_view path) const;

    // Create a directory (and its missing ancestors); create a file (its
    // directory and ancestors are created too) or replace the bytes of an
    // existing one, which keeps its attributes. New records take the stored
    // names of their existing ancestors.
    DirectoryRecord& ensureDirectory(std::string_view path);
    FileRecord& putFile(std::string_view path, std::string bytes);
    void eraseFile(std::string_view path);
    // Removes the directory with everything stored below it (nothing, for a
    // junction: what it shows belongs to its target).
    void eraseDirectory(std::string_view path);
    // Re-keys a record under a new path whose parent exists and which is free;
    // a directory takes everything below it along. False when `from` is absent.
    bool renameFile(std::string_view from, std::string_view to);
    bool renameDirectory(std::string_view from, std::string_view to);

    // Names directly inside a directory, sorted.
    std::vector<std::string> childFiles(std::string_view directory) const;
    std::vector<std::string> childDirectories(std::string_view directory) const;

    const FileMap& files() const { return files_; }
    const DirectoryMap& directories() const { return directories_; }

private:
    FileMap files_;
    DirectoryMap directories_;
};

}  // namespace kvt::sim
