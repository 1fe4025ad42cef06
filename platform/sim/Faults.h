#pragma once
// Fault injection and call recording for the simulated Windows. Every
// simulated port method asks `check` with its name ("Registry.openKey") before
// it does anything; a planned fault makes the call fail with the given code.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/RunLimit.h"

namespace kvt::sim {

class Faults {
public:
    // Makes the nth call (1-based) of `method` fail with `code`; nth 0 makes
    // every call fail. Counting starts with the calls made after this one.
    void failCall(std::string method, std::uint32_t code, std::uint32_t nth = 0);
    void clearPlans();

    // The codes a call of `method` may fail with under a random plan.
    using CodesForMethod = std::function<std::vector<std::uint32_t>(std::string_view method)>;
    // Makes every recorded call that no plan of failCall names fail with
    // `probability`, drawn from one std::mt19937_64 stream seeded with `seed`:
    // each call takes one draw, and a failing call a second one that picks its
    // code. The same seed and the same calls give the same faults, so a seed
    // replays a run exactly. A method without codes never fails.
    void failRandomly(std::uint64_t seed, double probability, std::vector<std::uint32_t> codes);
    void failRandomly(std::uint64_t seed, double probability, CodesForMethod codesFor);

    // Tears the run down (RunLimitExceeded) at the call after the
    // `maxCalls`th recorded one.
    void limitCalls(std::uint64_t maxCalls) { maxCalls_ = maxCalls; }

    // Counts and records the call; returns the planned error code, if any.
    std::optional<std::uint32_t> check(std::string_view method);

    // Told of every recorded call as it is made: the method, the call's
    // ordinal among that method's calls (1-based, as failCall counts them) and
    // the code it was made to fail with, if any.
    struct Call {
        std::string_view method;
        std::uint32_t ordinal;
        std::optional<std::uint32_t> fault;
    };
    using CallObserver = std::function<void(const Call&)>;
    void observe(CallObserver observer) { observer_ = std::move(observer); }

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
    struct RandomPlan {
        std::mt19937_64 stream;
        double probability;
        CodesForMethod codesFor;
    };
    std::optional<std::uint32_t> drawRandomFault(std::string_view method);

    std::vector<Plan> plans_;
    std::optional<RandomPlan> random_;
    std::optional<std::uint64_t> maxCalls_;
    CallObserver observer_;
    std::vector<std::string> calls_;
    std::map<std::string, std::uint32_t, std::less<>> counts_;
    std::uint32_t suspended_ = 0;
};

}  // namespace kvt::sim
