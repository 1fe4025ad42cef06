#pragma once
// A time-out measured with GetTickCount; unsigned differences survive the
// counter's wrap.
#include <windows.h>

namespace kvt::winauto {

class Deadline {
public:
    explicit Deadline(DWORD timeoutMs) : start_(::GetTickCount()), timeoutMs_(timeoutMs) {}
    bool passed() const { return ::GetTickCount() - start_ >= timeoutMs_; }

private:
    DWORD start_;
    DWORD timeoutMs_;
};

}  // namespace kvt::winauto
