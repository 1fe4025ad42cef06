#include "tests/differential/Comparer.h"

#include <map>
#include <string>
#include <vector>

namespace kvt::diff {
namespace {

using nlohmann::json;

bool Matches(const json& divergence, const std::string& script, std::size_t step, const std::string& op) {
    const std::string pattern = divergence.at("script").get<std::string>();
    const bool scriptMatches =
        pattern.ends_with('*') ? script.starts_with(pattern.substr(0, pattern.size() - 1)) : script == pattern;
    if (!scriptMatches || divergence.at("op").get<std::string>() != op) return false;
    return !divergence.contains("step") || divergence["step"].get<std::size_t>() == step;
}

}  // namespace

Comparison Compare(const json& simulated, const json& wine, const json& divergences, std::ostream& report) {
    Comparison c;
    std::map<std::string, const json*> wineByName;
    for (const json& result : wine) wineByName[result.at("name").get<std::string>()] = &result;
    std::vector<std::size_t> used(divergences.size(), 0);
    for (const json& sim : simulated) {
        const std::string name = sim.at("name").get<std::string>();
        ++c.scripts;
        const auto other = wineByName.find(name);
        if (other == wineByName.end()) {
            report << name << ": no result from Wine\n";
            ++c.differences;
            continue;
        }
        const json& simSteps = sim.at("results");
        const json& wineSteps = other->second->at("results");
        if (simSteps.size() != wineSteps.size()) {
            report << name << ": " << simSteps.size() << " results from the simulation, " << wineSteps.size()
                   << " from Wine\n";
            ++c.differences;
            continue;
        }
        for (std::size_t i = 0; i < simSteps.size(); ++i) {
            const std::string op = simSteps[i].at("op").get<std::string>();
            // A listed call that agrees after all is compared like any
            // other: only what really differs is skipped.
            if (simSteps[i] == wineSteps[i]) {
                ++c.compared;
                continue;
            }
            std::size_t listed = divergences.size();
            for (std::size_t d = 0; d < divergences.size() && listed == divergences.size(); ++d)
                if (Matches(divergences[d], name, i, op)) listed = d;
            if (listed != divergences.size()) {
                ++used[listed];
                ++c.skipped;
                continue;
            }
            ++c.compared;
            ++c.differences;
            report << name << " step " << i << " " << op << ":\n  simulation " << simSteps[i].dump()
                   << "\n  wine       " << wineSteps[i].dump() << "\n";
        }
    }
    for (std::size_t d = 0; d < divergences.size(); ++d) {
        if (used[d] == 0) {
            ++c.staleDivergences;
            report << "listed divergence matched no call: " << divergences[d].dump() << "\n";
        } else {
            report << "skipped " << used[d] << " call(s) of " << divergences[d].at("script").get<std::string>()
                   << " " << divergences[d].at("op").get<std::string>() << ": "
                   << divergences[d].at("reason").get<std::string>() << "\n";
        }
    }
    report << c.scripts << " scripts, " << c.compared << " calls compared, " << c.skipped
           << " skipped (known Wine divergences)\n";
    return c;
}

}  // namespace kvt::diff
