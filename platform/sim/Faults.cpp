#include "platform/sim/Faults.h"

#include <utility>

namespace kvt::sim {

void Faults::failCall(std::string method, std::uint32_t code, std::uint32_t nth) {
    plans_.push_back(Plan{std::move(method), code, nth, 0});
}

void Faults::clearPlans() { plans_.clear(); }

std::optional<std::uint32_t> Faults::check(std::string_view method) {
    if (suspended_ > 0) return std::nullopt;
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
    return result;
}

std::uint32_t Faults::callCount(std::string_view method) const {
    auto it = counts_.find(method);
    return it == counts_.end() ? 0 : it->second;
}

}  // namespace kvt::sim
