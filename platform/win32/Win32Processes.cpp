#include "platform/win32/Win32Processes.h"

#include <string>

#include "platform/ports/WinCodes.h"
#include "platform/win32/EnvironmentBlock.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

// The parent's environment with the start's entries; empty when the child
// simply inherits the parent's.
std::uint32_t ChildEnvironment(const ports::ProcessStart& start, std::string& block) {
    if (start.environment.empty()) return err::Success;
    UniqueEnvironmentStrings parent(::GetEnvironmentStringsA());
    if (!parent) return FailureCode();
    if (!MergeEnvironment(SplitEnvironmentBlock(parent.get()), start.environment, block)) {
        return err::InvalidParameter;
    }
    return err::Success;
}

}  // namespace

std::uint32_t Win32Processes::startProcess(const ports::ProcessStart& start, ports::ProcessHandle& process) {
    std::string environment;
    if (const std::uint32_t code = ChildEnvironment(start, environment); code != err::Success) return Fail(code);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (start.hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    // CreateProcessA may write into the command line.
    std::string commandLine = start.commandLine;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(Terminated(start.application).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          environment.empty() ? nullptr : environment.data(), nullptr, &startup, &started)) {
        return FailureCode();
    }
    UniqueHandle thread(started.hThread);  // never used: closed at once
    process.value = processes_.add(UniqueHandle(started.hProcess));
    return err::Success;
}

std::uint32_t Win32Processes::waitForProcess(ports::ProcessHandle process, std::uint32_t timeoutMs) {
    HANDLE handle = processes_.find(process.value);
    if (handle == nullptr) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return ports::wait::Failed;
    }
    return ::WaitForSingleObject(handle, timeoutMs);
}

void Win32Processes::closeProcess(ports::ProcessHandle process) { processes_.remove(process.value); }

}  // namespace kvt::win32
