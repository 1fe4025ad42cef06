#pragma once
// Version, WOW64, last error, English error texts, the shutdown privilege and
// the restart, over the Windows calls of the same names.
#include <windows.h>

#include "platform/ports/SystemInfo.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

class Win32SystemInfo final : public ports::SystemInfo {
public:
    std::uint32_t getVersionEx(ports::OsVersionInfo& info) override;
    bool hasIsWow64Process() override;
    std::uint32_t isWow64Process(bool& wow64) override;
    std::uint32_t getLastError() override;
    void setLastError(std::uint32_t code) override;
    std::uint32_t formatMessage(std::uint32_t code, std::uint32_t languageId, std::string& text) override;
    std::uint32_t openProcessToken(std::uint32_t access, ports::TokenHandle& token) override;
    std::uint32_t lookupPrivilegeValue(std::string_view name, std::uint64_t& luid) override;
    std::uint32_t adjustTokenPrivileges(ports::TokenHandle token, std::uint64_t luid,
                                        std::uint32_t attributes) override;
    void closeToken(ports::TokenHandle token) override;
    std::uint32_t exitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;

    std::size_t openTokenCount() { return tokens_.size(); }

private:
    HandleTable<UniqueToken> tokens_;
};

}  // namespace kvt::win32
