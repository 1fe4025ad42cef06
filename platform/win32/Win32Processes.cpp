#include "platform/win32/Win32Processes.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/win32/EnvironmentBlock.h"
#include "platform/win32/Win32Calls.h"

namespace kvt::win32 {
namespace {

// An ANSI text in UTF-16, as the system converts it.
std::uint32_t Widen(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return err::Success;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return FailureCode();
    wide.resize(static_cast<std::size_t>(length));
    if (::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length) != length)
        return FailureCode();
    return err::Success;
}

// The parent's environment with the start's entries, built from the wide
// block so that a variable the ANSI code page cannot hold (a profile or temp
// path) reaches the child as it is; empty when the child simply inherits the
// parent's.
std::uint32_t ChildEnvironment(const ports::ProcessStart& start, std::wstring& block) {
    if (start.environment.empty()) return err::Success;
    std::vector<std::wstring> additions;
    for (const std::string& entry : start.environment) {
        std::wstring wide;
        if (const std::uint32_t code = Widen(entry, wide); code != err::Success) return code;
        additions.push_back(std::move(wide));
    }
    UniqueWideEnvironmentStrings parent(::GetEnvironmentStringsW());
    if (!parent) return FailureCode();
    if (!MergeEnvironment(SplitEnvironmentBlock(parent.get()), additions, block)) return err::InvalidParameter;
    return err::Success;
}

}  // namespace

std::uint32_t Win32Processes::startProcess(const ports::ProcessStart& start, ports::ProcessHandle& process) {
    std::wstring environment;
    if (const std::uint32_t code = ChildEnvironment(start, environment); code != err::Success) return Fail(code);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = start.startupFlags;
    startup.wShowWindow = static_cast<WORD>(start.hidden ? SW_HIDE : SW_SHOWNORMAL);
    // CreateProcessA may write into the command line.
    std::string commandLine = start.commandLine;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(Terminated(start.application).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT, environment.empty() ? nullptr : environment.data(), nullptr,
                          &startup, &started)) {
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

std::uint32_t Win32Processes::getExitCodeProcess(ports::ProcessHandle process, std::uint32_t& exitCode) {
    HANDLE handle = processes_.find(process.value);
    if (handle == nullptr) return Fail(ERROR_INVALID_HANDLE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(handle, &code)) return FailureCode();
    exitCode = code;
    return err::Success;
}

void Win32Processes::closeProcess(ports::ProcessHandle process) { processes_.remove(process.value); }

std::uint32_t Win32Processes::queryServiceState(std::string_view service, std::uint32_t& state) {
    UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return FailureCode();
    UniqueServiceHandle opened(::OpenServiceA(manager.get(), Terminated(service).c_str(), SERVICE_QUERY_STATUS));
    if (!opened) return FailureCode();
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(opened.get(), &status)) return FailureCode();
    state = status.dwCurrentState;
    return err::Success;
}

}  // namespace kvt::win32
