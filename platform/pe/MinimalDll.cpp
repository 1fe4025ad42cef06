#include "platform/pe/MinimalDll.h"

#include <algorithm>

#include "platform/pe/PeImage.h"

namespace kvt::pe {
namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kPeOffset = 0x40;
constexpr std::uint32_t kHeadersSize = 0x200;
constexpr std::uint32_t kTextRva = 0x1000;
constexpr std::uint32_t kDataRva = 0x2000;
constexpr std::size_t kDirectoryCount = 16;
// mov eax, imm32; ret: the same bytes in 32-bit and 64-bit code.
std::string ReturnCode(std::int32_t value) {
    std::string code = "\xB8";
    for (int i = 0; i < 4; ++i) code += static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return code + "\xC3";
}

std::uint32_t AlignUp(std::size_t value, std::uint32_t alignment) {
    return static_cast<std::uint32_t>((value + alignment - 1) / alignment * alignment);
}

void Put(std::string& bytes, std::size_t offset, std::uint64_t value, std::size_t width) {
    if (bytes.size() < offset + width) bytes.resize(offset + width, '\0');
    for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The read-only data section: the note on its own line, then the export
// directory with its tables and names. `exportSize` is 0 without exports.
std::string ReadOnlyData(const MinimalDll& dll, std::vector<std::string> names, std::uint32_t& exportOffset,
                         std::uint32_t& exportSize) {
    std::string data = "\n" + dll.note + "\n";
    exportOffset = AlignUp(data.size(), 4);
    exportSize = 0;
    if (names.empty()) return data;
    std::sort(names.begin(), names.end());
    const std::uint32_t n = static_cast<std::uint32_t>(names.size());
    const std::uint32_t functions = exportOffset + 40;
    const std::uint32_t nameTable = functions + 4 * n;
    const std::uint32_t ordinals = nameTable + 4 * n;
    std::uint32_t strings = ordinals + 2 * n;
    Put(data, exportOffset + 12, kDataRva + strings, 4);  // the module's name
    Put(data, exportOffset + 16, 1, 4);                   // ordinal base
    Put(data, exportOffset + 20, n, 4);
    Put(data, exportOffset + 24, n, 4);
    Put(data, exportOffset + 28, kDataRva + functions, 4);
    Put(data, exportOffset + 32, kDataRva + nameTable, 4);
    Put(data, exportOffset + 36, kDataRva + ordinals, 4);
    data.resize(strings);
    data += dll.moduleName + '\0';
    for (std::uint32_t i = 0; i < n; ++i) {
        Put(data, functions + 4 * i, kTextRva, 4);
        Put(data, nameTable + 4 * i, kDataRva + data.size(), 4);
        Put(data, ordinals + 2 * i, i, 2);
        data += names[i] + '\0';
    }
    exportSize = static_cast<std::uint32_t>(data.size()) - exportOffset;
    return data;
}

void WriteSectionHeader(std::string& bytes, std::size_t at, std::string_view name, std::uint32_t rva,
                        std::uint32_t virtualSize, std::uint32_t rawOffset, std::uint32_t rawSize,
                        std::uint32_t characteristics) {
    bytes.replace(at, name.size(), name);
    Put(bytes, at + 8, virtualSize, 4);
    Put(bytes, at + 12, rva, 4);
    Put(bytes, at + 16, rawSize, 4);
    Put(bytes, at + 20, rawOffset, 4);
    Put(bytes, at + 36, characteristics, 4);
}

struct Sizes {
    std::uint32_t dataVirtual, dataRaw, image, exportOffset, exportSize;
};

// DOS header, PE signature and file header; the offset of the optional header.
std::size_t WriteFileHeader(std::string& bytes, const MinimalDll& dll, bool plus) {
    bytes.replace(0, 2, "MZ");
    Put(bytes, 0x3C, kPeOffset, 4);
    bytes.replace(kPeOffset, 4, std::string_view("PE\0\0", 4));
    const std::size_t file = kPeOffset + 4;
    Put(bytes, file, dll.machine, 2);
    Put(bytes, file + 2, 2, 2);  // sections
    Put(bytes, file + 16, plus ? 112 + kDirectoryCount * 8 : 96 + kDirectoryCount * 8, 2);
    // An executable DLL; 32-bit machine, or large addresses on 64-bit ones.
    Put(bytes, file + 18, kFileExecutable | kFileDll | (plus ? 0x0020 : 0x0100), 2);
    return file + 20;
}

// The optional header; the offset of its data directories.
std::size_t WriteOptionalHeader(std::string& bytes, std::size_t at, bool plus, const Sizes& sizes) {
    Put(bytes, at, plus ? kMagicPe32Plus : kMagicPe32, 2);
    Put(bytes, at + 4, kFileAlignment, 4);   // size of code
    Put(bytes, at + 8, sizes.dataRaw, 4);    // size of initialised data
    Put(bytes, at + 20, kTextRva, 4);        // base of code
    if (!plus) Put(bytes, at + 24, kDataRva, 4);
    if (plus)
        Put(bytes, at + 24, 0x180000000ULL, 8);
    else
        Put(bytes, at + 28, 0x10000000, 4);
    Put(bytes, at + 32, kSectionAlignment, 4);
    Put(bytes, at + 36, kFileAlignment, 4);
    // Operating system and subsystem 5.1 (x86) or 5.2 (x64): Windows XP loads it.
    for (std::size_t field : {std::size_t{40}, std::size_t{48}}) {
        Put(bytes, at + field, 5, 2);
        Put(bytes, at + field + 2, plus ? 2 : 1, 2);
    }
    Put(bytes, at + 56, sizes.image, 4);
    Put(bytes, at + 60, kHeadersSize, 4);
    Put(bytes, at + 68, 2, 2);  // IMAGE_SUBSYSTEM_WINDOWS_GUI
    const std::size_t width = plus ? 8 : 4;
    const std::uint64_t stack[] = {0x100000, 0x1000, 0x100000, 0x1000};
    for (std::size_t i = 0; i < 4; ++i) Put(bytes, at + 72 + i * width, stack[i], width);
    const std::size_t count = at + 72 + 4 * width + 4;
    Put(bytes, count, kDirectoryCount, 4);
    return count + 4;
}

}  // namespace

std::string WriteMinimalDll(const MinimalDll& dll) {
    const bool plus = MagicOfMachine(dll.machine) == kMagicPe32Plus;
    Sizes sizes{};
    const std::string data = ReadOnlyData(dll, dll.exports, sizes.exportOffset, sizes.exportSize);
    sizes.dataVirtual = static_cast<std::uint32_t>(data.size());
    sizes.dataRaw = AlignUp(data.size(), kFileAlignment);
    sizes.image = kDataRva + AlignUp(data.size(), kSectionAlignment);

    std::string bytes(kHeadersSize, '\0');
    const std::size_t optional = WriteFileHeader(bytes, dll, plus);
    const std::size_t directories = WriteOptionalHeader(bytes, optional, plus, sizes);
    if (sizes.exportSize != 0) {
        Put(bytes, directories, kDataRva + sizes.exportOffset, 4);
        Put(bytes, directories + 4, sizes.exportSize, 4);
    }
    const std::size_t sectionTable = directories + kDirectoryCount * 8;
    std::string text = ReturnCode(dll.returnValue);
    WriteSectionHeader(bytes, sectionTable, ".text", kTextRva, static_cast<std::uint32_t>(text.size()), kHeadersSize,
                       kFileAlignment, 0x60000020);  // code, execute, read
    WriteSectionHeader(bytes, sectionTable + kSectionHeaderSize, ".rdata", kDataRva, sizes.dataVirtual,
                       kHeadersSize + kFileAlignment, sizes.dataRaw, 0x40000040);  // initialised data, read
    text.resize(kFileAlignment, '\0');
    bytes += text;
    bytes += data;
    bytes.resize(kHeadersSize + kFileAlignment + sizes.dataRaw, '\0');
    return bytes;
}

}  // namespace kvt::pe
