#include "Installer/setup_common/DirectoryTree.h"

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::setup {
namespace {

bool Has(std::uint32_t attributes, std::uint32_t flag) { return (attributes & flag) != 0; }

void ClearReadOnly(ports::FileSystem& files, std::string_view path, std::uint32_t attributes) {
    if (Has(attributes, fileattr::ReadOnly)) files.setFileAttributes(path, attributes & ~fileattr::ReadOnly);
}

void DeleteEntry(ports::FileSystem& files, const ports::DirEntry& entry) {
    const bool link = Has(entry.attributes, fileattr::ReparsePoint);
    if (Has(entry.attributes, fileattr::Directory)) {
        if (link)
            files.removeDirectory(entry.path);  // the link goes, its target stays
        else
            DeleteDirectoryTree(files, entry.path);
        return;
    }
    // Setting attributes through a file link would change its target.
    if (!link) ClearReadOnly(files, entry.path, entry.attributes);
    files.deleteFile(entry.path);
}

}  // namespace

bool LogDeleteFileError(SetupLog& log, std::string_view path, std::uint32_t errorCode) {
    log.WriteLog("DeleteFile Error : %s , (%d)", path, errorCode);
    return false;
}

bool DeleteFileOrLogError(ports::FileSystem& files, SetupLog& log, std::string_view path) {
    const std::uint32_t rc = files.deleteFile(path);
    if (rc == 0) return true;
    return LogDeleteFileError(log, path, rc);
}

void DeleteDirectoryTree(ports::FileSystem& files, std::string_view path) {
    std::string directory(path);
    while (directory.size() > 1 && directory.back() == '\\') directory.pop_back();

    std::uint32_t attributes = 0;
    if (files.getFileAttributes(directory, attributes) == 0) {
        if (Has(attributes, fileattr::ReparsePoint)) {
            files.removeDirectory(directory);
            return;
        }
        ClearReadOnly(files, directory, attributes);
    }

    std::vector<ports::DirEntry> entries;
    if (files.findFiles(directory + "\\*.*", entries) == 0) {
        for (const ports::DirEntry& entry : entries) {
            if (entry.name == "." || entry.name == "..") continue;
            DeleteEntry(files, entry);
        }
    }
    files.removeDirectory(directory);
}

}  // namespace kvt::setup
