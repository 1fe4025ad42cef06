// Child processes: the full application path, the hidden window, the added
// environment entries, the wait and the exit code; and the environment block
// on its own.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"
#include "platform/win32/EnvironmentBlock.h"
#include "tests/wine/ProbeChecks.h"

namespace kvt::probe {
namespace {

// The child's cmd expands the variable from its own environment, so the file
// shows what the block gave it.
void CheckChildSeesEnvironment(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    auto& files = windows.files();
    auto& processes = windows.processes();
    std::string system;
    files.getSystemDirectory(system);
    const std::string out = scratch + "\\env.txt";

    ports::ProcessStart start;
    start.application = system + "\\cmd.exe";
    start.commandLine = "cmd /c echo %KVT_PROBE%> " + out + " & exit 7";
    start.hidden = true;
    start.environment = {"KVT_PROBE=from the block"};
    ports::ProcessHandle child;
    if (!report.code(processes.startProcess(start, child), err::Success, "CreateProcessA cmd.exe by full path")) return;
    report.code(processes.waitForProcess(child, 30000), ports::wait::Object0, "WaitForSingleObject sees it end");
    std::uint32_t exitCode = 0;
    report.code(processes.getExitCodeProcess(child, exitCode), err::Success, "GetExitCodeProcess after the end");
    report.check(exitCode == 7, "the exit code is the child's", std::to_string(exitCode));
    processes.closeProcess(child);
    report.check(processes.openProcessCount() == 0, "the process handle is closed");
    report.code(processes.waitForProcess(child, 0), ports::wait::Failed, "a closed process handle is refused");

    std::string written;
    files.readFile(out, written);
    report.check(written.starts_with("from the block"), "the child sees the added variable",
                 written.substr(0, written.find('\r')));
    files.deleteFile(out);
}

// A variable of the parent that the ANSI code page cannot hold (a Greek
// omega, a CJK character) reaches the child unchanged: cmd /u writes what it
// expands as UTF-16.
void CheckChildKeepsWideVariables(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    auto& files = windows.files();
    auto& processes = windows.processes();
    std::string system;
    files.getSystemDirectory(system);
    const std::string out = scratch + "\\wide.txt";
    const std::wstring value = L"C:\\Users\\Z\u03A9\u4E2D";
    ::SetEnvironmentVariableW(L"KVT_WIDE", value.c_str());

    ports::ProcessStart start;
    start.application = system + "\\cmd.exe";
    start.commandLine = "cmd /u /c echo %KVT_WIDE%> " + out;
    start.environment = {"KVT_PROBE=any"};  // a block of our own, not the inherited one
    ports::ProcessHandle child;
    if (report.code(processes.startProcess(start, child), err::Success, "CreateProcessA with a wide block")) {
        processes.waitForProcess(child, 30000);
        processes.closeProcess(child);
    }
    ::SetEnvironmentVariableW(L"KVT_WIDE", nullptr);

    std::string written;
    files.readFile(out, written);
    const std::string expected(reinterpret_cast<const char*>(value.data()), value.size() * sizeof(wchar_t));
    report.check(written.starts_with(expected), "the child sees a variable outside the ANSI code page");
    files.deleteFile(out);
}

void CheckStartFailures(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    auto& processes = windows.processes();
    ports::ProcessHandle none;
    ports::ProcessStart missing;
    missing.application = scratch + "\\no-such-program.exe";
    missing.commandLine = "no-such-program";
    report.code(processes.startProcess(missing, none), err::FileNotFound, "CreateProcessA of a missing program");

    ports::ProcessStart badEnvironment;
    std::string system;
    windows.files().getSystemDirectory(system);
    badEnvironment.application = system + "\\cmd.exe";
    badEnvironment.commandLine = "cmd /c exit";
    badEnvironment.environment = {"NO_EQUALS_SIGN"};
    report.code(processes.startProcess(badEnvironment, none), err::InvalidParameter,
                "an environment entry without a value is refused");
    report.check(processes.openProcessCount() == 0, "no handle is left by failed starts");
}

// The service state the removal reads after "net stop spooler". Whether
// Wine runs its spooler service at this moment is Wine's business: the
// check asks only for a state the service manager knows.
void CheckServiceState(win32::Win32Platform& windows, ProbeReport& report) {
    auto& processes = windows.processes();
    std::uint32_t state = 0;
    if (report.code(processes.queryServiceState("Spooler", state), err::Success, "QueryServiceStatus of the spooler"))
        report.check(state >= ports::service::Stopped && state <= ports::service::Paused,
                     "the spooler's state is a service state", std::to_string(state));
    constexpr std::uint32_t kServiceDoesNotExist = 1060;
    report.code(processes.queryServiceState("KvtNoSuchService", state), kServiceDoesNotExist,
                "a service that does not exist is refused");
}

struct BlockRow {
    const char* name;
    std::vector<std::string> parent;
    std::vector<std::string> additions;
    std::vector<std::string> expected;
};

}  // namespace

void CheckProcesses(win32::Win32Platform& windows, const std::string& scratch, ProbeReport& report) {
    windows.files().createDirectory(scratch, {});
    CheckChildSeesEnvironment(windows, scratch, report);
    CheckChildKeepsWideVariables(windows, scratch, report);
    CheckStartFailures(windows, scratch, report);
    CheckServiceState(windows, report);
    report.code(windows.files().removeDirectory(scratch), err::Success, "the process checks leave nothing behind");
}

void CheckEnvironmentBlock(ProbeReport& report) {
    const std::vector<BlockRow> rows = {
        {"an addition is sorted in", {"=C:=C:\\Setup", "ALPHA=1", "OMEGA=2"}, {"Mid=3"},
         {"=C:=C:\\Setup", "ALPHA=1", "Mid=3", "OMEGA=2"}},
        {"a name in other case replaces", {"Path=C:\\A", "TEMP=C:\\T"}, {"PATH=C:\\B"}, {"PATH=C:\\B", "TEMP=C:\\T"}},
        {"the drive entries are no names to replace", {"=C:=C:\\x"}, {"C:=y"}, {"=C:=C:\\x", "C:=y"}},
        {"a value may hold equals signs", {"A=1"}, {"B=x=y"}, {"A=1", "B=x=y"}},
        {"an empty value stays", {}, {"EMPTY="}, {"EMPTY="}},
    };
    for (const auto& row : rows) {
        std::string block;
        const bool merged = win32::MergeEnvironment(row.parent, row.additions, block);
        std::vector<std::string> variables = win32::SplitEnvironmentBlock(block.c_str());
        const bool terminated = block.size() >= 2 && block.ends_with(std::string(2, '\0'));
        report.check(merged && terminated && variables == row.expected, std::string("environment block: ") + row.name);
    }
    std::string block;
    report.check(!win32::MergeEnvironment({"A=1"}, {"=nameless"}, block) &&
                     !win32::MergeEnvironment({"A=1"}, {"NOVALUE"}, block),
                 "environment block: an entry without a name or '=' is refused");
}

}  // namespace kvt::probe
