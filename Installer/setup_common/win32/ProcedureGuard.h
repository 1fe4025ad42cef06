#pragma once
// Windows calls the setup programs' dialog and window procedures from its
// own frames (the dialog manager, DispatchMessage), which know nothing of
// C++: an exception that left a procedure would unwind through them. Each
// procedure runs its work through this guard, which answers `failed` (FALSE
// for a dialog procedure: the message was not handled; 0 for a window
// procedure) and hands what went wrong to `report`, which logs it when it can.
// Kept free of <windows.h>, so the guard is checked natively.
#include <exception>

namespace kvt::setup::shell {

// The message of an exception lives only as long as the exception: it is
// reported from inside the handler, never kept past it.
template <typename Report>
void ReportProcedureFault(Report& report, const char* what) noexcept {
    try {
        report(what);
    } catch (...) {
        // Reporting may fail for the same reason (no memory): the answer stands.
    }
}

template <typename Result, typename Body, typename Report>
Result GuardedProcedure(Result failed, Body&& body, Report&& report) noexcept {
    try {
        return body();
    } catch (const std::exception& exception) {
        ReportProcedureFault(report, exception.what());
    } catch (...) {
        ReportProcedureFault(report, "unknown exception");
    }
    return failed;
}

}  // namespace kvt::setup::shell
