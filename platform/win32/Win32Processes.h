#pragma once
// CreateProcessA / WaitForSingleObject / GetExitCodeProcess / CloseHandle. Process handles given
// to the core are owned here until it closes them.
#include <windows.h>

#include "platform/ports/Processes.h"
#include "platform/win32/HandleTable.h"
#include "platform/win32/Handles.h"

namespace kvt::win32 {

class Win32Processes final : public ports::Processes {
public:
    std::uint32_t startProcess(const ports::ProcessStart& start, ports::ProcessHandle& process) override;
    std::uint32_t waitForProcess(ports::ProcessHandle process, std::uint32_t timeoutMs) override;
    std::uint32_t getExitCodeProcess(ports::ProcessHandle process, std::uint32_t& exitCode) override;
    void closeProcess(ports::ProcessHandle process) override;
    std::uint32_t queryServiceState(std::string_view service, std::uint32_t& state) override;

    std::size_t openProcessCount() { return processes_.size(); }

private:
    HandleTable<UniqueHandle> processes_;
};

}  // namespace kvt::win32
