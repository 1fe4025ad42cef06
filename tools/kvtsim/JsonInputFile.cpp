#include "tools/kvtsim/JsonInputFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace kvt::kvtsim {
namespace {

bool NestsTooDeep(std::string_view text, std::size_t maxNesting) {
    std::size_t depth = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxNesting) return true;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return false;
}

}  // namespace

std::optional<nlohmann::json> ReadJsonInput(const std::string& file, std::istream& stdinStream,
                                            const JsonInputLimits& limits, std::string& errorLine) {
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(stdinStream), std::istreambuf_iterator<char>());
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) {
            errorLine = file + ": $: is a directory, not " + std::string(limits.kind);
            return std::nullopt;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            errorLine = file + ": $: the file cannot be opened";
            return std::nullopt;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            errorLine = file + ": $: the file cannot be read";
            return std::nullopt;
        }
    }
    if (limits.maxBytes && text.size() > *limits.maxBytes) {
        errorLine = file + ": $: larger than " + std::to_string(*limits.maxBytes / (1024 * 1024)) + " MiB";
        return std::nullopt;
    }
    if (NestsTooDeep(text, limits.maxNesting)) {
        errorLine = file + ": $: nested deeper than " + std::to_string(limits.maxNesting) + " levels";
        return std::nullopt;
    }
    nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        errorLine = file + ": $: not valid JSON";
        return std::nullopt;
    }
    return document;
}

}  // namespace kvt::kvtsim
