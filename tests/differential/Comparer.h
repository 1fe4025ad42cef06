#pragma once
// Compares the results of the two sides call by call. A call that a known
// divergence names (script name or name prefix ending in "*", the operation,
// optionally the step index) is skipped and counted when the two sides
// differ there; every other difference is reported, and so is a listed
// divergence that no differing call matched.
#include <cstddef>
#include <ostream>

#include <nlohmann/json.hpp>

namespace kvt::diff {

struct Comparison {
    std::size_t scripts = 0, compared = 0, skipped = 0, differences = 0, staleDivergences = 0;
    bool agreed() const { return differences == 0 && staleDivergences == 0; }
};

Comparison Compare(const nlohmann::json& simulated, const nlohmann::json& wine, const nlohmann::json& divergences,
                   std::ostream& report);

}  // namespace kvt::diff
