#pragma once
// The simulated side of the differential test: every script on a fresh
// 64-bit Windows 10 image, run by a 64-bit program as the Windows side's
// executor is one.
#include <nlohmann/json.hpp>

namespace kvt::diff {

nlohmann::json RunOnSimulation(const nlohmann::json& scripts);

}  // namespace kvt::diff
