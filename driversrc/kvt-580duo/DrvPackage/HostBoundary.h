#pragma once
// The plug-in runs inside its host's process (the spooler, an application's
// print dialog), which calls it through COM methods, exported functions and
// dialog procedures. A C++ exception that left one of these would unwind
// through the host's own frames, which know nothing of C++. Each entry point
// runs its work through one of these guards and answers with a result the
// host understands instead.
#include <new>
#include <type_traits>

#include "driversrc/kvt-580duo/DrvPackage/ComResults.h"

namespace kvt::plugin {

// For a COM method or an exported function: the result of `body`, or
// E_OUTOFMEMORY when it ran out of memory and E_FAIL for any other exception.
template <typename Body>
auto GuardedComCall(Body&& body) noexcept -> std::invoke_result_t<Body&> {
    using Result = std::invoke_result_t<Body&>;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return static_cast<Result>(hr::EOutOfMemory);
    } catch (...) {
        return static_cast<Result>(hr::EFail);
    }
}

// For a dialog or window procedure: the answer of `body`, or `failed` (FALSE
// for a dialog procedure: the message was not handled) for any exception.
template <typename Result, typename Body>
Result GuardedOr(Result failed, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failed;
    }
}

}  // namespace kvt::plugin
