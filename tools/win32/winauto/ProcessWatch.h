#pragma once
// Starts a program and watches it: its exit code, and the top-level windows
// it creates while it runs.
#include <windows.h>

#include <string>
#include <vector>

namespace kvt::winauto {

struct WatchResult {
    bool started = false;
    bool ended = false;           // false: still running at the time-out (then ended by force)
    DWORD exitCode = 0;
    std::vector<std::string> windows;  // "class \"title\"" of each window seen, once
};

// Runs `program` with its own folder as current directory and polls for its
// windows until it ends or `timeoutMs` passes.
WatchResult WatchProgram(const std::string& program, DWORD timeoutMs);

}  // namespace kvt::winauto
