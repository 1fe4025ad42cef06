#pragma once
// The file-system port over the simulated files: case-insensitive paths with
// drive letters, read-only files, files in use, junctions, directory access
// lists and the WOW64 file-system redirection of 32-bit programs.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ports/FileSystem.h"

namespace kvt::sim {

class Simulation;

class SimFileSystem final : public ports::FileSystem {
public:
    explicit SimFileSystem(Simulation& sim) : sim_(sim) {}

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

    // Whether the program's names pass through the WOW64 redirection now:
    // a 32-bit program on 64-bit Windows that has not turned it off.
    bool redirecting() const;
    // The path in the store that the program's name of a file reaches now
    // (redirection applied, junctions followed); the name as it is when it
    // is no valid path.
    std::string realPath(std::string_view path) const;
    // Disables the program has not reverted yet; a finished program leaves none.
    std::size_t pendingRedirectionDisables() const { return savedRedirection_.size(); }

private:
    Simulation& sim_;
    // The program's one thread: whether its redirection is off, and for
    // every value a disable handed out, the state that disable found.
    bool redirectionOff_ = false;
    std::map<std::uint64_t, bool> savedRedirection_;
    std::uint64_t nextRedirectionValue_ = 0x5a0;
};

}  // namespace kvt::sim
