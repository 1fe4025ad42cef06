// Directories (with an access list), files, attributes, listing, the log's
// append, whole-file read and write, profile strings.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

void CheckSystemDirectories(ports::FileSystem& files, ProbeReport& report) {
    std::string path;
    report.code(files.getWindowsDirectory(path), err::Success, "GetWindowsDirectoryA");
    report.check(path.size() > 3 && path[1] == ':', "the Windows directory is a drive path", path);
    report.code(files.getSystemDirectory(path), err::Success, "GetSystemDirectoryA");
    report.check(path.ends_with("\\system32") || path.ends_with("\\SYSTEM32") || path.ends_with("\\System32"),
                 "the system directory is system32", path);
    report.code(files.getCurrentDirectory(path), err::Success, "GetCurrentDirectoryA");
    report.check(!path.empty(), "the current directory is known", path);

    report.check(files.hasGetSystemWow64Directory(), "GetSystemWow64DirectoryA is found in kernel32");
    const std::uint32_t wow64 = files.getSystemWow64Directory(path);
    // A Wine prefix without its 32-bit half may have no WOW64 directory to name.
    report.check(wow64 == err::Success ? !path.empty() : wow64 == 120, "GetSystemWow64DirectoryA",
                 wow64 == err::Success ? path : "code " + std::to_string(wow64));

    report.check(files.hasWow64FsRedirectionSwitch(),
                 "Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection are found in kernel32");
    // A 64-bit program has no redirection to turn off; where the call
    // succeeds all the same, its revert must take the value back.
    ports::FsRedirectionValue saved;
    const std::uint32_t disabled = files.disableWow64FsRedirection(saved);
    report.check(disabled != err::Success || files.revertWow64FsRedirection(saved) == err::Success,
                 "Wow64DisableWow64FsRedirection, then its revert", "code " + std::to_string(disabled));
}

void CheckDirectory(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    const std::vector<ports::ExplicitAccess> acl = {
        {"Administrators", acl::GenericAll, ports::AccessMode::Grant, acl::ObjectInherit | acl::ContainerInherit},
        {"Everyone", acl::GenericRead | acl::GenericExecute, ports::AccessMode::Grant,
         acl::ObjectInherit | acl::ContainerInherit},
    };
    report.code(files.createDirectory(scratch, acl), err::Success, "CreateDirectoryA with an access list");
    std::uint32_t attributes = 0;
    report.code(files.getFileAttributes(scratch, attributes), err::Success, "GetFileAttributesA of the directory");
    report.check((attributes & fileattr::Directory) != 0, "the directory is one");
    report.code(files.createDirectory(scratch, {}), err::AlreadyExists, "CreateDirectoryA of an existing one");
    const std::vector<ports::ExplicitAccess> unknownTrustee = {
        {"NoSuchProbeAccount", acl::GenericAll, ports::AccessMode::Grant, acl::NoInheritance}};
    const std::uint32_t unknown = files.createDirectory(scratch + "\\Sub", unknownTrustee);
    report.check(IsUnmappedTrustee(unknown), "an unknown trustee fails the creation", std::to_string(unknown));
}

void CheckFileOperations(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    const std::string a = scratch + "\\a.txt", b = scratch + "\\b.txt", c = scratch + "\\c.txt";
    report.code(files.writeFile(a, "first\r\n"), err::Success, "CreateFileA/WriteFile create-always");
    report.code(files.appendToFile(a, "second\r\n"), err::Success, "appendToFile on an existing file");
    report.code(files.appendToFile(scratch + "\\new.txt", "only\r\n"), err::Success, "appendToFile creates");
    std::string content;
    report.code(files.readFile(a, content), err::Success, "ReadFile");
    report.check(content == "first\r\nsecond\r\n", "the append lands at the end");
    report.code(files.readFile(scratch + "\\none.txt", content), err::FileNotFound, "ReadFile of a missing file");

    report.code(files.copyFile(a, b, true), err::Success, "CopyFileA");
    report.code(files.copyFile(a, b, true), err::FileExists, "CopyFileA refuses to overwrite when asked");
    report.code(files.copyFile(a, b, false), err::Success, "CopyFileA overwrites otherwise");
    report.code(files.moveFile(b, c), err::Success, "MoveFileA");
    std::uint32_t attributes = 0;
    report.code(files.getFileAttributes(b, attributes), err::FileNotFound, "the moved file left its old name");

    report.code(files.setFileAttributes(c, fileattr::ReadOnly), err::Success, "SetFileAttributesA read-only");
    files.getFileAttributes(c, attributes);
    report.check((attributes & fileattr::ReadOnly) != 0, "the file is read-only");
    report.code(files.deleteFile(c), err::AccessDenied, "DeleteFileA refuses a read-only file");
    files.setFileAttributes(c, fileattr::Normal);
    report.code(files.deleteFile(c), err::Success, "DeleteFileA");
}

void CheckListing(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    std::vector<ports::DirEntry> entries;
    report.code(files.findFiles(scratch + "\\*.*", entries), err::Success, "FindFirstFileA/FindNextFileA");
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    report.check(names == std::vector<std::string>{".", "..", "a.txt", "new.txt"}, "the listing has every entry",
                 std::to_string(names.size()) + " entries");
    const auto a = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.name == "a.txt"; });
    report.check(a != entries.end() && a->path == scratch + "\\a.txt" && (a->attributes & fileattr::Directory) == 0,
                 "an entry carries its path and attributes");
    std::vector<ports::DirEntry> none;
    report.code(files.findFiles(scratch + "\\*.none", none), err::FileNotFound, "FindFirstFileA without a match");
}

void CheckProfileStrings(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    const std::string ini = scratch + "\\probe.ini";
    files.writeFile(ini, "[KVT580D]\r\nPORTDLG=1\r\nPORT=COM2\r\n");
    std::string value;
    const std::uint32_t length = files.getPrivateProfileString("KVT580D", "PORT", "", value, 256, ini);
    report.check(length == 4 && value == "COM2", "GetPrivateProfileStringA", value);
    const std::uint32_t cut = files.getPrivateProfileString("KVT580D", "PORT", "", value, 3, ini);
    report.check(cut == 2 && value == "CO", "GetPrivateProfileStringA cuts to the buffer", value);
    const std::uint32_t missing = files.getPrivateProfileString("KVT580D", "NOKEY", "dflt", value, 256, ini);
    report.check(missing == 4 && value == "dflt", "GetPrivateProfileStringA gives the default", value);
}

// The log's append never writes through a second name of a file: anybody may
// make one, under the log's name, of a file only administrators may change.
void CheckLinks(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    const std::string target = scratch + "\\target.txt", link = scratch + "\\link.txt";
    files.writeFile(target, "target\r\n");
    if (report.check(::CreateHardLinkA(link.c_str(), target.c_str(), nullptr) != 0, "CreateHardLinkA")) {
        report.code(files.appendToFile(link, "log line\r\n"), err::CantAccessFile,
                    "appendToFile refuses a file with a second name");
        std::string content;
        files.readFile(target, content);
        report.check(content == "target\r\n", "the file behind the second name is unchanged");
        files.deleteFile(link);
    }
    report.code(files.appendToFile(target, "log line\r\n"), err::Success, "appendToFile once the name is its own");
    files.deleteFile(target);
}

// Built-in accounts go to Windows as SIDs, whatever the system's language
// calls them; a trustee may also be written as a SID string.
void CheckWellKnownTrustees(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    const std::string folder = scratch + "\\Sids";
    const std::vector<ports::ExplicitAccess> acl = {
        {"Everyone", acl::GenericRead | acl::GenericExecute, ports::AccessMode::Set, 3},
        {"Administrators", acl::GenericAll, ports::AccessMode::Set, 3},
        {"SYSTEM", acl::GenericAll, ports::AccessMode::Set, 3},
        {"S-1-5-32-545", acl::GenericRead, ports::AccessMode::Grant, 3},
    };
    report.code(files.createDirectory(folder, acl), err::Success, "CreateDirectoryA with built-in accounts and a SID");
    report.code(files.removeDirectory(folder), err::Success, "RemoveDirectoryA of it");
}

void RemoveScratch(ports::FileSystem& files, const std::string& scratch, ProbeReport& report) {
    report.code(files.removeDirectory(scratch), err::DirNotEmpty, "RemoveDirectoryA refuses a non-empty one");
    for (const char* name : {"a.txt", "new.txt", "probe.ini"}) files.deleteFile(scratch + "\\" + name);
    report.code(files.removeDirectory(scratch), err::Success, "RemoveDirectoryA");
}

}  // namespace

void CheckFiles(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    auto& files = windows.files();
    CheckSystemDirectories(files, report);
    CheckDirectory(files, scratch, report);
    CheckFileOperations(files, scratch, report);
    CheckListing(files, scratch, report);
    CheckProfileStrings(files, scratch, report);
    CheckLinks(files, scratch, report);
    CheckWellKnownTrustees(files, scratch, report);
    RemoveScratch(files, scratch, report);
}

}  // namespace kvt::probe
