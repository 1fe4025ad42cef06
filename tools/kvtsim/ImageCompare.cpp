#include "tools/kvtsim/ImageCompare.h"

#include <algorithm>
#include <ostream>

#include "platform/sim/ImageJson.h"
#include "tools/kvtsim/KvtsimCli.h"

namespace kvt::kvtsim {

std::vector<std::string> ImageDifferences(const nlohmann::json& before, const nlohmann::json& after) {
    std::vector<std::string> out;
    const auto dump = [](const nlohmann::json& value) {
        return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    };
    for (const auto& [key, value] : after.items()) {
        const nlohmann::json old = before.contains(key) ? before.at(key) : nlohmann::json();
        if (value == old) continue;
        if (!value.is_array() || !old.is_array()) {
            out.push_back(key + " changed: " + dump(value));
            continue;
        }
        for (const auto& item : old)
            if (std::find(value.begin(), value.end(), item) == value.end()) out.push_back("- " + dump(item));
        for (const auto& item : value)
            if (std::find(old.begin(), old.end(), item) == old.end()) out.push_back("+ " + dump(item));
    }
    // A field only the first image has went as a whole.
    for (const auto& [key, value] : before.items())
        if (!after.contains(key)) out.push_back(key + " removed: " + dump(value));
    return out;
}

int RunCompareCommand(const std::vector<std::string>& args, KvtsimIo& io) {
    if (args.size() != 2) return UsageError(io.err, "compare: give two files, BEFORE and AFTER");
    if (args[0] == "-" && args[1] == "-") return UsageError(io.err, "compare: only one file can be standard input");
    nlohmann::json images[2];
    for (int i = 0; i < 2; ++i) {
        sim::World world;
        std::string errorLine;
        if (!sim::LoadSystemImageFile(args[i], io.in, world, errorLine)) return UsageError(io.err, errorLine);
        images[i] = sim::SaveImage(world);
    }
    const std::vector<std::string> differences = ImageDifferences(images[0], images[1]);
    for (const std::string& line : differences) io.out << line << "\n";
    return differences.empty() ? kExitOk : kExitFailure;
}

}  // namespace kvt::kvtsim
