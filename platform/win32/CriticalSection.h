#pragma once
// A lock usable with std::lock_guard. The cross compilers' thread model has no
// std::mutex, and a critical section also exists on every Windows we support.
#include <windows.h>

namespace kvt::win32 {

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() { ::EnterCriticalSection(&section_); }
    void unlock() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace kvt::win32
