#include "platform/pe/PeExports.h"

#include <algorithm>

#include "platform/pe/LittleEndian.h"

namespace kvt::pe {
namespace {

constexpr std::size_t kExportDirectorySize = 40;  // IMAGE_EXPORT_DIRECTORY
// Longer names are not names any program looks up.
constexpr std::size_t kMaxNameLength = 512;

std::optional<std::string> ReadName(std::string_view image, const PeHeaders& headers, std::uint32_t rva) {
    const auto mapped = MapRva(headers, image.size(), rva);
    if (!mapped) return std::nullopt;
    // The name must end inside its section.
    const std::string_view rest = image.substr(mapped->offset, std::min(mapped->available, kMaxNameLength));
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    return std::string(rest.substr(0, end));
}

}  // namespace

std::optional<std::vector<std::string>> ReadExportNames(std::string_view image, const PeHeaders& headers) {
    std::vector<std::string> names;
    if (headers.directories.size() <= kExportDirectory) return names;
    const DataDirectory entry = headers.directories[kExportDirectory];
    if (entry.address == 0 && entry.size == 0) return names;
    const auto directory = FileOffsetOf(headers, image.size(), entry.address, kExportDirectorySize);
    if (!directory) return std::nullopt;
    const std::uint32_t count = Read32(image, *directory + 24);
    const std::uint32_t table = Read32(image, *directory + 32);
    const auto tableOffset = FileOffsetOf(headers, image.size(), table, std::size_t{count} * 4);
    if (!tableOffset) return std::nullopt;
    names.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto name = ReadName(image, headers, Read32(image, *tableOffset + std::size_t{i} * 4));
        if (!name) return std::nullopt;
        names.push_back(std::move(*name));
    }
    return names;
}

}  // namespace kvt::pe
