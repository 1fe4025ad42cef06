#pragma once
// The file-system port over the ANSI file API.
#include "platform/ports/FileSystem.h"

namespace kvt::win32 {

class Win32FileSystem final : public ports::FileSystem {
public:
    std::uint32_t getWindowsDirectory(std::string& path) override;
    std::uint32_t getSystemDirectory(std::string& path) override;
    std::uint32_t getCurrentDirectory(std::string& path) override;
    bool hasGetSystemWow64Directory() override;
    std::uint32_t getSystemWow64Directory(std::string& path) override;
    bool hasWow64FsRedirectionSwitch() override;
    std::uint32_t disableWow64FsRedirection(ports::FsRedirectionValue& oldValue) override;
    std::uint32_t revertWow64FsRedirection(ports::FsRedirectionValue oldValue) override;
    std::uint32_t createDirectory(std::string_view path, const std::vector<ports::ExplicitAccess>& acl) override;
    std::uint32_t buildWellKnownSid(std::string_view trustee) override;
    std::uint32_t removeDirectory(std::string_view path) override;
    std::uint32_t deleteFile(std::string_view path) override;
    std::uint32_t copyFile(std::string_view source, std::string_view target, bool failIfExists) override;
    std::uint32_t moveFile(std::string_view source, std::string_view target) override;
    std::uint32_t getFileAttributes(std::string_view path, std::uint32_t& attributes) override;
    std::uint32_t setFileAttributes(std::string_view path, std::uint32_t attributes) override;
    std::uint32_t findFiles(std::string_view pattern, std::vector<ports::DirEntry>& entries) override;
    std::uint32_t appendToFile(std::string_view path, std::string_view bytes) override;
    std::uint32_t readFile(std::string_view path, std::string& bytes) override;
    std::uint32_t writeFile(std::string_view path, std::string_view bytes) override;
    std::uint32_t getPrivateProfileString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::string& value,
                                          std::uint32_t bufferSize, std::string_view file) override;
};

}  // namespace kvt::win32
