#pragma once
// Fault injection and call recording for the simulated Windows. Every
// simulated port method asks `check` with its name ("Registry.openKey") before
// it does anything; a planned fault makes the call fail with the given code.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::sim {

class Faults {
public:
    // Makes the nth call (1-based) of `method` fail with `code`; nth 0 makes
    // every call fail. Counting starts with the calls made after this one.
    void failCall(std::string method, std::uint32_t code, std::uint32_t nth = 0);
    void clearPlans();

    // Counts and records the call; returns the planned error code, if any.
    std::optional<std::uint32_t> check(std::string_view method);

    // Calls that another process makes (the spooler calling a driver's
    // plug-in, a system program the simulation carries out) are neither
    // planned to fail nor recorded while a suspension is active. Nestable.
    void suspend() { ++suspended_; }
    void resume() {
        if (suspended_ > 0) --suspended_;
    }

    const std::vector<std::string>& calls() const { return calls_; }
    std::uint32_t callCount(std::string_view method) const;

private:
    struct Plan {
        std::string method;
        std::uint32_t code;
        std::uint32_t nth;
        std::uint32_t seen;
    };
    std::vector<Plan> plans_;
    std::vector<std::string> calls_;
    std::map<std::string, std::uint32_t, std::less<>> counts_;
    std::uint32_t suspended_ = 0;
};

}  // namespace kvt::sim
