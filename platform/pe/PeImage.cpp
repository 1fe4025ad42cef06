#include "platform/pe/PeImage.h"

#include <algorithm>

#include "platform/pe/LittleEndian.h"

namespace kvt::pe {
namespace {

constexpr std::size_t kFileHeaderSize = 20;
// Where the data directories start in each optional header.
constexpr std::size_t kDirectoriesPe32 = 96;
constexpr std::size_t kDirectoriesPe32Plus = 112;
// The loader reads at most this many directory entries, whatever the count says.
constexpr std::uint32_t kMaxDirectories = 16;

bool ReadSections(std::string_view image, std::size_t table, std::size_t count, PeHeaders& headers) {
    if (!Fits(image, table, count * kSectionHeaderSize)) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = table + i * kSectionHeaderSize;
        Section s;
        s.virtualSize = Read32(image, at + 8);
        s.virtualAddress = Read32(image, at + 12);
        s.rawSize = Read32(image, at + 16);
        s.rawOffset = Read32(image, at + 20);
        headers.sections.push_back(s);
    }
    return true;
}

bool ReadDirectories(std::string_view image, std::size_t optionalSize, PeHeaders& headers) {
    const std::size_t start = headers.magic == kMagicPe32 ? kDirectoriesPe32 : kDirectoriesPe32Plus;
    if (optionalSize < start) return false;
    const std::uint32_t count = Read32(image, headers.optionalHeaderOffset + start - 4);
    if (count > kMaxDirectories || (optionalSize - start) / 8 < count) return false;
    headers.dataDirectoryOffset = headers.optionalHeaderOffset + start;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = headers.directoryEntryOffset(i);
        headers.directories.push_back({Read32(image, at), Read32(image, at + 4)});
    }
    return true;
}

}  // namespace

std::optional<PeHeaders> ReadPeHeaders(std::string_view image) {
    if (!Fits(image, 0, 0x40) || image.substr(0, 2) != "MZ") return std::nullopt;
    const std::size_t pe = Read32(image, 0x3C);
    if (!Fits(image, pe, 4 + kFileHeaderSize) || image.substr(pe, 4) != std::string_view("PE\0\0", 4))
        return std::nullopt;
    PeHeaders headers;
    const std::size_t file = pe + 4;
    headers.machine = Read16(image, file);
    const std::size_t sectionCount = Read16(image, file + 2);
    const std::size_t optionalSize = Read16(image, file + 16);
    headers.characteristics = Read16(image, file + 18);
    headers.optionalHeaderOffset = file + kFileHeaderSize;
    if (optionalSize < 2 || !Fits(image, headers.optionalHeaderOffset, optionalSize)) return std::nullopt;
    headers.magic = Read16(image, headers.optionalHeaderOffset);
    if (headers.magic != kMagicPe32 && headers.magic != kMagicPe32Plus) return std::nullopt;
    if (!ReadDirectories(image, optionalSize, headers)) return std::nullopt;
    if (!ReadSections(image, headers.optionalHeaderOffset + optionalSize, sectionCount, headers)) return std::nullopt;
    return headers;
}

std::uint16_t MagicOfMachine(std::uint16_t machine) {
    switch (machine) {
        case kMachineI386:
        case kMachineArm:
            return kMagicPe32;
        case kMachineAmd64:
        case kMachineArm64:
        case kMachineIa64:
            return kMagicPe32Plus;
        default:
            return 0;
    }
}

std::optional<MappedRva> MapRva(const PeHeaders& headers, std::size_t fileSize, std::uint32_t rva) {
    for (const Section& s : headers.sections) {
        if (rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize) continue;
        const std::size_t offset = std::size_t{s.rawOffset} + (rva - s.virtualAddress);
        if (offset >= fileSize) return std::nullopt;
        const std::size_t sectionEnd = std::size_t{s.rawOffset} + s.rawSize;
        return MappedRva{offset, std::min(sectionEnd, fileSize) - offset};
    }
    return std::nullopt;
}

std::optional<std::size_t> FileOffsetOf(const PeHeaders& headers, std::size_t fileSize, std::uint32_t rva,
                                        std::size_t size) {
    const auto mapped = MapRva(headers, fileSize, rva);
    if (!mapped || mapped->available < size) return std::nullopt;
    return mapped->offset;
}

}  // namespace kvt::pe
