#pragma once
// The JSON documents that kvtsim reads besides images (answers files, sheet
// scripts), read one way: FILE, or standard input for "-", checked before
// it is parsed, so that a document nested without end cannot exhaust the
// stack of whatever walks it.
#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace kvt::kvtsim {

struct JsonInputLimits {
    std::string_view kind;                 // "an answers file", "a script": what a folder is not
    std::size_t maxNesting = 64;           // levels of arrays and objects
    std::optional<std::size_t> maxBytes;  // nothing: any size
};

// The document; nothing, with `errorLine` as "FILE: $: reason", when FILE is
// a folder, cannot be opened or read, is larger or nests deeper than the
// limits allow, or is not JSON.
std::optional<nlohmann::json> ReadJsonInput(const std::string& file, std::istream& stdinStream,
                                            const JsonInputLimits& limits, std::string& errorLine);

}  // namespace kvt::kvtsim
