#pragma once
// Exit codes of kvt_winauto, so scripts can tell what went wrong.
namespace kvt::winauto {

namespace exitcode {
inline constexpr int Ok = 0;
inline constexpr int Usage = 1;          // bad arguments or a failed system call
inline constexpr int NotFound = 2;       // no such window before the time-out
inline constexpr int NoControl = 3;      // the window has no such control
inline constexpr int NotSo = 4;          // a checked condition does not hold
inline constexpr int MadeWindows = 5;    // a watched program created windows
inline constexpr int ExitedBadly = 6;    // a watched program ended with a nonzero code
}  // namespace exitcode

}  // namespace kvt::winauto
