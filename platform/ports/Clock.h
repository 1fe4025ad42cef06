#pragma once
// Waits and local time. In the simulation a sleep advances virtual time.
#include <cstdint>

namespace kvt::ports {

struct LocalTime {
    std::uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleep(std::uint32_t milliseconds) = 0;
    virtual LocalTime localTime() = 0;
};

}  // namespace kvt::ports
