#pragma once
// Removing a directory with everything in it, and the log line of a file
// deletion that failed: the two file helpers the removal steps share.
#include <cstdint>
#include <string_view>

#include "Installer/setup_common/SetupLog.h"
#include "platform/ports/FileSystem.h"

namespace kvt::setup {

// Logs "DeleteFile Error : %s , (%d)" with the path and the code; returns
// false, the result of the deletion it reports.
bool LogDeleteFileError(SetupLog& log, std::string_view path, std::uint32_t errorCode);

// Deletes one named file; a failure goes to LogDeleteFileError with the
// error the deletion left. True when the file was deleted.
bool DeleteFileOrLogError(ports::FileSystem& files, SetupLog& log, std::string_view path);

// Removes the directory and all it contains, read-only files included,
// silently: what cannot be deleted stays. A junction or symbolic link (an
// entry with FILE_ATTRIBUTE_REPARSE_POINT) is removed as the link it is and
// never entered, so whatever it points at is left as it was; that holds for
// `path` itself too. A trailing "\" on `path` makes no difference.
void DeleteDirectoryTree(ports::FileSystem& files, std::string_view path);

}  // namespace kvt::setup
