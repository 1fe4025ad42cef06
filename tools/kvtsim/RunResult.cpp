#include "tools/kvtsim/RunResult.h"

#include <fstream>

#include "platform/sim/ImageJson.h"
#include "platform/sim/WinPath.h"

namespace kvt::kvtsim {
namespace {

std::string LogText(const sim::World& world, std::string_view logPath) {
    std::string normalised;
    if (logPath.empty() || sim::winpath::Normalise(logPath, "", normalised) != 0) return {};
    const sim::FileRecord* file = world.files.findFile(normalised);
    return file ? sim::AnsiToUtf8(file->bytes) : std::string();
}

// The program's texts in the transcript (printer names in the check list,
// message texts, command lines) are bytes of the ANSI code page, like the
// image's; the result is JSON, whose text is UTF-8. Unconverted, a printer
// named with a character above 127 would make the result unwritable.
nlohmann::json TranscriptInUtf8(nlohmann::json value) {
    if (value.is_string()) return sim::AnsiToUtf8(value.get_ref<const std::string&>());
    if (value.is_array() || value.is_object())
        for (auto& item : value) item = TranscriptInUtf8(std::move(item));
    return value;
}

}  // namespace

nlohmann::json RunResultJson(const sim::Simulation& sim, std::string_view program,
                             std::optional<std::uint32_t> exitCode, std::string_view logPath) {
    sim::World after = sim.snapshot();
    nlohmann::json result;
    result["program"] = program;
    result["exitCode"] = exitCode ? nlohmann::json(*exitCode) : nlohmann::json(nullptr);
    result["system"] = sim::SaveImage(after);
    result["log"] = LogText(after, logPath);
    result["transcript"] = TranscriptInUtf8(sim.transcript().toJson());
    result["elapsedMs"] = sim.clock().elapsedMs();
    // What a run without a person tried to show: each would wait for ever.
    nlohmann::json uiErrors = nlohmann::json::array();
    for (const nlohmann::json& event : result["transcript"]) {
        if (!event.value("unanswered", false)) continue;
        nlohmann::json error{{"event", event["event"]}};
        for (const char* field : {"text", "title"})
            if (event.contains(field)) error[field] = event[field];
        uiErrors.push_back(std::move(error));
    }
    result["uiErrors"] = std::move(uiErrors);
    return result;
}

std::string RunResultText(const nlohmann::json& result) {
    std::string text = "program: " + result.value("program", std::string()) + "\n";
    const auto& exitCode = result["exitCode"];
    text += "exit code: " + (exitCode.is_null() ? std::string("(still running)") : exitCode.dump()) + "\n";
    text += "-- log --\n";
    std::string log = result.value("log", std::string());
    for (std::size_t pos = 0; (pos = log.find("\r\n", pos)) != std::string::npos;) log.replace(pos, 2, "\n");
    text += log;
    text += "-- transcript --\n";
    for (const auto& event : result["transcript"]) text += "  " + event.dump() + "\n";
    text += "-- virtual time: " + result["elapsedMs"].dump() + " ms --\n";
    return text;
}

bool WriteOutput(const std::string& text, const std::optional<std::string>& outFile, std::ostream& out,
                 std::string& problem) {
    if (!outFile) {
        out << text;
        return static_cast<bool>(out);
    }
    std::ofstream file(*outFile, std::ios::binary);
    file << text;
    if (!file) {
        problem = "cannot write \"" + *outFile + "\"";
        return false;
    }
    return true;
}

}  // namespace kvt::kvtsim
