#pragma once
// Simulated local time: the image's wall-clock time plus the virtual
// milliseconds that sleeps and simulated processes have taken.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/Clock.h"
#include "platform/sim/RunLimit.h"

namespace kvt::sim {

// Parses "YYYY-MM-DDTHH:MM:SS" (optionally with ".mmm"); nothing on bad input.
std::optional<std::int64_t> ParseIsoLocalTime(std::string_view text);  // milliseconds since 1970-01-01
std::string FormatIsoLocalTime(std::int64_t millisecondsSinceEpoch);
ports::LocalTime ToLocalTime(std::int64_t millisecondsSinceEpoch);

class VirtualClock {
public:
    explicit VirtualClock(std::int64_t startMs = 0) : startMs_(startMs) {}
    void advance(std::uint64_t ms) {
        elapsedMs_ += ms;
        if (limitMs_ && elapsedMs_ > *limitMs_)
            throw RunLimitExceeded{"the run took more than " + std::to_string(*limitMs_) + " ms of virtual time"};
    }
    // Tears the run down (RunLimitExceeded) once more virtual time than
    // `maxElapsedMs` has passed.
    void limitElapsed(std::uint64_t maxElapsedMs) { limitMs_ = maxElapsedMs; }
    std::uint64_t elapsedMs() const { return elapsedMs_; }
    std::int64_t nowMs() const { return startMs_ + static_cast<std::int64_t>(elapsedMs_); }

private:
    std::int64_t startMs_;
    std::uint64_t elapsedMs_ = 0;
    std::optional<std::uint64_t> limitMs_;
};

}  // namespace kvt::sim
