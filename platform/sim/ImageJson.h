#pragma once
// System images: the JSON form of a World (see docs/kvtsim.md). Loading checks
// every known field and keeps unknown ones; saving is canonical, so that an
// image saved, loaded and saved again is the same text.
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/sim/World.h"

namespace kvt::sim {

struct ImageError {
    std::string jsonPath;  // "$.files[3].path"; "$" for the document itself
    std::string reason;
};

// Replaces `world` with the image; leaves it untouched on error.
std::optional<ImageError> LoadImage(const nlohmann::json& image, World& world);
// Parses and loads; syntax errors are reported at "$" with the byte offset.
std::optional<ImageError> ParseImageText(std::string_view text, World& world);
nlohmann::json SaveImage(const World& world);

// "--system FILE" of kvtsim; "-" reads `stdinStream`. The file holds an
// image, or a run's result whose "system" is the image. On failure
// `errorLine` is the one line "FILE: JSON_PATH: REASON".
bool LoadSystemImageFile(const std::string& file, std::istream& stdinStream, World& world, std::string& errorLine);

// The ANSI code page of the simulated systems maps bytes to the code points
// U+0000..U+00FF; JSON text is UTF-8.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8, std::string& reason);
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace kvt::sim
