// libFuzzer target of the system-image loader that `kvtsim run` and the
// support staff feed with images of customers' systems: any text either
// loads or is refused with a JSON path and a reason, never a crash; and an
// image that loads saves canonically (saved, loaded and saved again, it is
// the same text).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/sim/ImageJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kvt::sim::World world;
    const std::optional<kvt::sim::ImageError> error = kvt::sim::ParseImageText(text, world);
    if (error) {
        if (error->jsonPath.empty() || error->jsonPath[0] != '$' || error->reason.empty()) std::abort();
        return 0;
    }
    const std::string saved = kvt::sim::SaveImage(world).dump();
    kvt::sim::World again;
    if (kvt::sim::ParseImageText(saved, again)) std::abort();
    if (kvt::sim::SaveImage(again).dump() != saved) std::abort();
    return 0;
}
