#include "platform/sim/Faults.h"

#include <utility>

namespace kvt::sim {

void Faults::failCall(std::string method, std::uint32_t code, std::uint32_t nth) {
    plans_.push_back(Plan{std::move(method), code, nth, 0});
}

void Faults::clearPlans() {
    plans_.clear();
    random_.reset();
}

void Faults::failRandomly(std::uint64_t seed, double probability, std::vector<std::uint32_t> codes) {
    failRandomly(seed, probability, [codes = std::move(codes)](std::string_view) { return codes; });
}

void Faults::failRandomly(std::uint64_t seed, double probability, CodesForMethod codesFor) {
    random_ = RandomPlan{std::mt19937_64(seed), probability, std::move(codesFor)};
}

// The draws are plain arithmetic on the engine's output rather than the
// standard distributions, whose results differ between library
// implementations: a seed printed by one build replays on another.
std::optional<std::uint32_t> Faults::drawRandomFault(std::string_view method) {
    RandomPlan& plan = *random_;
    const double draw = static_cast<double>(plan.stream() >> 11) * 0x1.0p-53;  // [0, 1)
    if (draw >= plan.probability) return std::nullopt;
    const std::vector<std::uint32_t> codes = plan.codesFor(method);
    const std::uint64_t pick = plan.stream();
    if (codes.empty()) return std::nullopt;
    return codes[pick % codes.size()];
}

std::optional<std::uint32_t> Faults::check(std::string_view method) {
    if (suspended_ > 0) return std::nullopt;
    if (maxCalls_ && calls_.size() >= *maxCalls_)
        throw RunLimitExceeded{"the run made more than " + std::to_string(*maxCalls_) + " port calls"};
    calls_.emplace_back(method);
    auto it = counts_.find(method);
    if (it == counts_.end()) it = counts_.emplace(std::string(method), 0).first;
    ++it->second;
    std::optional<std::uint32_t> result;
    for (Plan& plan : plans_) {
        if (plan.method != method) continue;
        ++plan.seen;
        if (!result && (plan.nth == 0 || plan.nth == plan.seen)) result = plan.code;
    }
    if (random_) {
        // Every call draws, planned or not, so that a plan of failCall beside
        // the random one does not shift the stream.
        std::optional<std::uint32_t> drawn = drawRandomFault(method);
        if (!result) result = drawn;
    }
    if (observer_) observer_(Call{method, it->second, result});
    return result;
}

std::uint32_t Faults::callCount(std::string_view method) const {
    auto it = counts_.find(method);
    return it == counts_.end() ? 0 : it->second;
}

}  // namespace kvt::sim
