#pragma once
// Sleep and GetLocalTime.
#include "platform/ports/Clock.h"

namespace kvt::win32 {

class Win32Clock final : public ports::Clock {
public:
    void sleep(std::uint32_t milliseconds) override;
    ports::LocalTime localTime() override;
};

}  // namespace kvt::win32
