#pragma once
// ExitProcess.
#include "platform/ports/Processes.h"

namespace kvt::win32 {

class Win32ProcessExit final : public ports::ProcessExit {
public:
    [[noreturn]] void exitProcess(std::uint32_t code) override;
};

}  // namespace kvt::win32
