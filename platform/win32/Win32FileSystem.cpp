#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include "platform/ports/WinCodes.h"
#include "platform/win32/ExplicitAccessEntries.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

using GetSystemWow64DirectoryAFn = UINT(WINAPI*)(LPSTR, UINT);

GetSystemWow64DirectoryAFn FindGetSystemWow64Directory() {
    return LookupProc<GetSystemWow64DirectoryAFn>("kernel32", "GetSystemWow64DirectoryA");
}

// Looked up at run time: Windows 2000 and 32-bit XP lack them.
using Wow64DisableWow64FsRedirectionFn = BOOL(WINAPI*)(PVOID*);
using Wow64RevertWow64FsRedirectionFn = BOOL(WINAPI*)(PVOID);

Wow64DisableWow64FsRedirectionFn FindDisableRedirection() {
    return LookupProc<Wow64DisableWow64FsRedirectionFn>("kernel32", "Wow64DisableWow64FsRedirection");
}

Wow64RevertWow64FsRedirectionFn FindRevertRedirection() {
    return LookupProc<Wow64RevertWow64FsRedirectionFn>("kernel32", "Wow64RevertWow64FsRedirection");
}

// The directory part of a search pattern, as FindFirstFileA resolves it:
// everything before the last separator ("C:\Dir" of "C:\Dir\*.*").
std::string_view SearchedDirectory(std::string_view pattern) {
    const auto separator = pattern.find_last_of("\\/");
    return separator == std::string_view::npos ? std::string_view{} : pattern.substr(0, separator);
}

// Writes all of `bytes`, however WriteFile splits it.
std::uint32_t WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return FailureCode();
        if (written == 0) return Fail(ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
    return err::Success;
}

// Whether the folder that holds `path`, as named, is a junction or another
// reparse point. GetFileAttributesA reports the link itself, not its target.
bool HeldByLink(std::string_view path) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string_view::npos) return false;
    std::string folder(path.substr(0, separator));
    if (folder.empty() || folder.back() == ':') folder += '\\';
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// An opened file that is a link (a reparse point, opened as such) or one of
// several names of the same data (a hard link).
bool IsLink(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file, &information)) return true;  // unknown counts as a link
    return (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || information.nNumberOfLinks > 1;
}

// CreateDirectoryA with a DACL made of `acl` (trustees by name).
std::uint32_t CreateDirectoryWithAcl(const std::string& path, const std::vector<ports::ExplicitAccess>& acl) {
    ExplicitAccessEntries entries(acl);
    UniqueLocalMemory<PACL> dacl;
    if (const std::uint32_t code = entries.mergeInto(nullptr, dacl); code != err::Success) return Fail(code);

    UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor(::LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (!descriptor) return FailureCode();
    if (!::InitializeSecurityDescriptor(descriptor.get(), SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(descriptor.get(), TRUE, dacl.get(), FALSE)) {
        return FailureCode();
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor.get();
    attributes.bInheritHandle = FALSE;
    return ResultOf(::CreateDirectoryA(path.c_str(), &attributes));
}

}  // namespace

std::uint32_t Win32FileSystem::getWindowsDirectory(std::string& path) {
    return ReadSizedString([](char* buffer, DWORD size) { return ::GetWindowsDirectoryA(buffer, size); }, path);
}

std::uint32_t Win32FileSystem::getSystemDirectory(std::string& path) {
    return ReadSizedString([](char* buffer, DWORD size) { return ::GetSystemDirectoryA(buffer, size); }, path);
}

std::uint32_t Win32FileSystem::getCurrentDirectory(std::string& path) {
    return ReadSizedString([](char* buffer, DWORD size) { return ::GetCurrentDirectoryA(size, buffer); }, path);
}

bool Win32FileSystem::hasGetSystemWow64Directory() { return FindGetSystemWow64Directory() != nullptr; }

std::uint32_t Win32FileSystem::getSystemWow64Directory(std::string& path) {
    const GetSystemWow64DirectoryAFn getDirectory = FindGetSystemWow64Directory();
    if (getDirectory == nullptr) return Fail(err::ProcNotFound);
    return ReadSizedString([getDirectory](char* buffer, DWORD size) { return getDirectory(buffer, size); }, path);
}

bool Win32FileSystem::hasWow64FsRedirectionSwitch() {
    return FindDisableRedirection() != nullptr && FindRevertRedirection() != nullptr;
}

std::uint32_t Win32FileSystem::disableWow64FsRedirection(ports::FsRedirectionValue& oldValue) {
    const Wow64DisableWow64FsRedirectionFn disable = FindDisableRedirection();
    if (disable == nullptr) return Fail(err::ProcNotFound);
    PVOID saved = nullptr;
    if (!disable(&saved)) return ::GetLastError();
    oldValue.value = reinterpret_cast<std::uintptr_t>(saved);
    return err::Success;
}

std::uint32_t Win32FileSystem::revertWow64FsRedirection(ports::FsRedirectionValue oldValue) {
    const Wow64RevertWow64FsRedirectionFn revert = FindRevertRedirection();
    if (revert == nullptr) return Fail(err::ProcNotFound);
    return ResultOf(revert(reinterpret_cast<PVOID>(static_cast<std::uintptr_t>(oldValue.value))));
}

std::uint32_t Win32FileSystem::createDirectory(std::string_view path, const std::vector<ports::ExplicitAccess>& acl) {
    const std::string directory = Terminated(path);
    if (acl.empty()) return ResultOf(::CreateDirectoryA(directory.c_str(), nullptr));
    return CreateDirectoryWithAcl(directory, acl);
}

std::uint32_t Win32FileSystem::removeDirectory(std::string_view path) {
    return ResultOf(::RemoveDirectoryA(Terminated(path).c_str()));
}

std::uint32_t Win32FileSystem::deleteFile(std::string_view path) {
    return ResultOf(::DeleteFileA(Terminated(path).c_str()));
}

std::uint32_t Win32FileSystem::copyFile(std::string_view source, std::string_view target, bool failIfExists) {
    return ResultOf(::CopyFileA(Terminated(source).c_str(), Terminated(target).c_str(), failIfExists ? TRUE : FALSE));
}

std::uint32_t Win32FileSystem::buildWellKnownSid(std::string_view trustee) {
    // Stays the last error when the name is no well-known trustee; a failed
    // SID call replaces it.
    ::SetLastError(ERROR_NONE_MAPPED);
    if (IsWellKnownTrustee(Terminated(trustee)) && !WellKnownSidOf(Terminated(trustee)).empty()) return err::Success;
    return FailureCode();
}

std::uint32_t Win32FileSystem::moveFile(std::string_view source, std::string_view target) {
    return ResultOf(::MoveFileA(Terminated(source).c_str(), Terminated(target).c_str()));
}

std::uint32_t Win32FileSystem::getFileAttributes(std::string_view path, std::uint32_t& attributes) {
    const DWORD found = ::GetFileAttributesA(Terminated(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return FailureCode();
    attributes = found;
    return err::Success;
}

std::uint32_t Win32FileSystem::setFileAttributes(std::string_view path, std::uint32_t attributes) {
    return ResultOf(::SetFileAttributesA(Terminated(path).c_str(), attributes));
}

std::uint32_t Win32FileSystem::findFiles(std::string_view pattern, std::vector<ports::DirEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAA found{};
    UniqueFindHandle search(::FindFirstFileA(Terminated(pattern).c_str(), &found));
    if (!search) return FailureCode();
    const std::string_view directory = SearchedDirectory(pattern);
    do {
        ports::DirEntry entry;
        entry.name = found.cFileName;
        entry.path = directory.empty() ? entry.name : std::string(directory) + "\\" + entry.name;
        entry.attributes = found.dwFileAttributes;
        entry.size = static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
        entries.push_back(std::move(entry));
    } while (::FindNextFileA(search.get(), &found));
    const DWORD code = FailureCode();
    return code == ERROR_NO_MORE_FILES ? err::Success : code;
}

// The link itself is opened (FILE_FLAG_OPEN_REPARSE_POINT) and looked at
// before anything is written, so a link is never followed.
std::uint32_t Win32FileSystem::appendToFile(std::string_view path, std::string_view bytes) {
    if (HeldByLink(path)) return Fail(ERROR_CANT_ACCESS_FILE);
    UniqueHandle file(::CreateFileA(Terminated(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return FailureCode();
    if (IsLink(file.get())) return Fail(ERROR_CANT_ACCESS_FILE);
    if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR) {
        return FailureCode();
    }
    return WriteAll(file.get(), bytes);
}

std::uint32_t Win32FileSystem::readFile(std::string_view path, std::string& bytes) {
    UniqueHandle file(::CreateFileA(Terminated(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailureCode();
    std::string content;
    char chunk[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) return FailureCode();
        if (read == 0) break;
        content.append(chunk, read);
    }
    bytes = std::move(content);
    return err::Success;
}

std::uint32_t Win32FileSystem::writeFile(std::string_view path, std::string_view bytes) {
    UniqueHandle file(::CreateFileA(Terminated(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FailureCode();
    return WriteAll(file.get(), bytes);
}

std::uint32_t Win32FileSystem::getPrivateProfileString(std::string_view section, std::string_view key,
                                                       std::string_view defaultValue, std::string& value,
                                                       std::uint32_t bufferSize, std::string_view file) {
    // Windows copies at most bufferSize - 1 characters; the extra byte keeps
    // the buffer valid when the caller asks for none.
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize) + 1, '\0');
    const DWORD length = ::GetPrivateProfileStringA(Terminated(section).c_str(), Terminated(key).c_str(),
                                                    Terminated(defaultValue).c_str(), buffer.data(), bufferSize,
                                                    Terminated(file).c_str());
    value.assign(buffer.data(), length);
    return length;
}

}  // namespace kvt::win32
