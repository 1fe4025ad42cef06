#pragma once
// Starts a program and watches it: its exit code, and the top-level windows
// it shows while it runs (a window it keeps hidden is not seen by anybody).
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

// Runs `program` with `arguments` (its command line after its quoted name)
// and its own folder as current directory, and polls for its visible
// windows until it ends or `timeoutMs` passes.
WatchResult WatchProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs);

}  // namespace kvt::winauto
