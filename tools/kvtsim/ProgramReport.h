#pragma once
// The readable form of a `kvtsim run` result (--format text): what the
// program showed and did, its log, and what the system holds of the product
// afterwards.
#include <string>

#include <nlohmann/json.hpp>

namespace kvt::kvtsim {

// One line per transcript event, in words.
std::string TranscriptText(const nlohmann::json& transcript);

// What an image (kvtsim's image schema) holds that an installation changes:
// every printer with its driver and port, the printer drivers per
// environment, the monitors and print processors, the product's uninstall
// entry in each registry view, the product's INF copies in the INF store and
// the product's files outside the package folder.
std::string SystemSummaryText(const nlohmann::json& image);

// The whole report of a run result.
std::string ProgramRunText(const nlohmann::json& result);

}  // namespace kvt::kvtsim
