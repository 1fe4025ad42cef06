#pragma once
// The result of a simulated run as kvtsim prints it: the program, its exit
// code, the image afterwards, the log, the transcript and the virtual time.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/sim/Simulation.h"

namespace kvt::kvtsim {

// `exitCode` is empty while the program has not ended; `logPath` is where
// the program wrote its log (empty when it wrote none).
nlohmann::json RunResultJson(const sim::Simulation& sim, std::string_view program,
                             std::optional<std::uint32_t> exitCode, std::string_view logPath);

// A readable report of a result: the log, one line per transcript event and
// the virtual time.
std::string RunResultText(const nlohmann::json& result);

// Writes to `outFile` when it is given, else to `out`. False (with `problem`)
// when the file cannot be written.
bool WriteOutput(const std::string& text, const std::optional<std::string>& outFile, std::ostream& out,
                 std::string& problem);

}  // namespace kvt::kvtsim
