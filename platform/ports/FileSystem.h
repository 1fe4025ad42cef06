#pragma once
// Files and directories as the setup programs use them. Paths are Windows
// paths in the ANSI code page. Methods return 0 or the Windows error code that
// the corresponding call leaves as the thread's last error (and set it, as the
// file API does).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/AccessControl.h"

namespace kvt::ports {

struct DirEntry {
    std::string name;  // as stored, without the directory
    std::string path;  // the directory searched + "\" + name
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;  // bytes of a file; 0 for a directory
};

// What Wow64DisableWow64FsRedirection hands out as its OldValue and
// Wow64RevertWow64FsRedirection takes back.
struct FsRedirectionValue {
    std::uint64_t value = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // GetWindowsDirectoryA, GetSystemDirectoryA, GetCurrentDirectoryA.
    virtual std::uint32_t getWindowsDirectory(std::string& path) = 0;
    virtual std::uint32_t getSystemDirectory(std::string& path) = 0;
    virtual std::uint32_t getCurrentDirectory(std::string& path) = 0;
    // GetSystemWow64DirectoryA is looked up in "kernel32" at run time. On
    // 32-bit Windows it exists and fails with 120 (not implemented).
    virtual bool hasGetSystemWow64Directory() = 0;
    virtual std::uint32_t getSystemWow64Directory(std::string& path) = 0;

    // Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection,
    // looked up in "kernel32" at run time (XP x64 and Server 2003 SP1 on).
    // They act on the calling thread only. Disable turns the redirection off
    // and hands out the previous state; revert restores exactly that state.
    // Each successful disable must be matched by one revert with its value.
    virtual bool hasWow64FsRedirectionSwitch() = 0;
    virtual std::uint32_t disableWow64FsRedirection(FsRedirectionValue& oldValue) = 0;
    virtual std::uint32_t revertWow64FsRedirection(FsRedirectionValue oldValue) = 0;

    // CreateDirectoryA, with an explicit access list when `acl` is not empty
    // (otherwise default security, inherited from the parent).
    virtual std::uint32_t createDirectory(std::string_view path, const std::vector<ExplicitAccess>& acl) = 0;
    // Builds the SID of a well-known trustee of access lists ("Everyone",
    // "Administrators", "SYSTEM") from its authority and sub-authorities:
    // 0 when it can be built, else the code of the failure (1332, none
    // mapped, for a name that is no such trustee).
    virtual std::uint32_t buildWellKnownSid(std::string_view trustee) = 0;
    virtual std::uint32_t removeDirectory(std::string_view path) = 0;

    virtual std::uint32_t deleteFile(std::string_view path) = 0;
    virtual std::uint32_t copyFile(std::string_view source, std::string_view target, bool failIfExists) = 0;
    virtual std::uint32_t moveFile(std::string_view source, std::string_view target) = 0;
    // The attributes of the name itself: a junction or a symbolic link
    // carries FILE_ATTRIBUTE_REPARSE_POINT and is not followed.
    virtual std::uint32_t getFileAttributes(std::string_view path, std::uint32_t& attributes) = 0;
    virtual std::uint32_t setFileAttributes(std::string_view path, std::uint32_t attributes) = 0;

    // FindFirstFileA/FindNextFileA over a pattern such as "C:\Dir\*.*".
    // Every entry is returned, "." and ".." included as Windows returns them;
    // reparse points (junctions) carry FILE_ATTRIBUTE_REPARSE_POINT.
    virtual std::uint32_t findFiles(std::string_view pattern, std::vector<DirEntry>& entries) = 0;

    // One log line: open for read and write with read/write sharing, open or
    // create, move to the end, write `bytes`, close. Never through a link:
    // when the file is a symbolic link or another reparse point, when it has
    // a second name (a hard link), or when the folder that holds it is a
    // junction, nothing is written and the result is 1920
    // (ERROR_CANT_ACCESS_FILE). Anybody may plant such a link where an
    // administrator's program writes; the program would then write into the
    // file it points at.
    virtual std::uint32_t appendToFile(std::string_view path, std::string_view bytes) = 0;
    // Whole-file read and create-always write; both follow symbolic links as
    // CreateFile does.
    virtual std::uint32_t readFile(std::string_view path, std::string& bytes) = 0;
    virtual std::uint32_t writeFile(std::string_view path, std::string_view bytes) = 0;

    // GetPrivateProfileStringA into a buffer of `bufferSize` characters:
    // `value` receives what Windows copies (cut to bufferSize - 1), the result
    // is its length. A missing file or key yields the default and sets the
    // last error to 2.
    virtual std::uint32_t getPrivateProfileString(std::string_view section, std::string_view key,
                                                  std::string_view defaultValue, std::string& value,
                                                  std::uint32_t bufferSize, std::string_view file) = 0;
};

}  // namespace kvt::ports
