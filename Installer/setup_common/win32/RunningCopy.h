#pragma once
// Helpers of the single-copy rule that the setup programs share: the count of
// starts in the program's shared data section, and bringing the running
// copy's window forward.
#include <windows.h>

#include <span>
#include <string_view>

namespace kvt::setup::shell {

// Counts this start in the count that all copies of the program share and
// returns the count after it. Interlocked: two copies started at the same
// instant cannot both see 1.
LONG CountThisStart(volatile LONG& sharedCount);

// The first top-level window found with one of `titles`, tried in order;
// null when none exists.
HWND FindRunningCopyWindow(std::span<const std::string_view> titles);

// Restores `window` if it is minimised and brings its last active popup to
// the foreground.
void BringWindowForward(HWND window);

}  // namespace kvt::setup::shell
