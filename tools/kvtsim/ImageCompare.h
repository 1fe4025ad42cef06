#pragma once
// What two saved system images hold differently, as readable lines: a changed
// top-level field as a whole, and for lists each element that went ("- ...")
// or came ("+ ..."). Empty when the images are equal. Support staff compare
// a system before and after a run with it; the scenario tests do the same.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kvt::kvtsim {

std::vector<std::string> ImageDifferences(const nlohmann::json& before, const nlohmann::json& after);

// kvtsim compare BEFORE AFTER: 0 when the images are equal, 1 when they
// differ (each difference on a line of its own), 2 for unusable input.
struct KvtsimIo;
int RunCompareCommand(const std::vector<std::string>& args, KvtsimIo& io);

}  // namespace kvt::kvtsim
