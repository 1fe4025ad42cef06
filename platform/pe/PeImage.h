#pragma once
// The headers of a PE image (a Windows program or DLL) as the loader reads
// them, from bytes of any origin: every read is bounds-checked, so a
// truncated or hostile file gives nullopt, never a read outside the bytes.
// What is read: the machine, the file characteristics, the optional
// header's magic and where its fields lie, the data directories and the
// section table, through which relative virtual addresses map to file
// offsets.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kvt::pe {

inline constexpr std::uint16_t kMachineI386 = 0x014C;   // IMAGE_FILE_MACHINE_I386
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;  // IMAGE_FILE_MACHINE_AMD64
inline constexpr std::uint16_t kMachineArm = 0x01C4;    // IMAGE_FILE_MACHINE_ARMNT
inline constexpr std::uint16_t kMachineArm64 = 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
inline constexpr std::uint16_t kMachineIa64 = 0x0200;   // IMAGE_FILE_MACHINE_IA64

inline constexpr std::uint16_t kMagicPe32 = 0x10B;      // IMAGE_NT_OPTIONAL_HDR32_MAGIC
inline constexpr std::uint16_t kMagicPe32Plus = 0x20B;  // IMAGE_NT_OPTIONAL_HDR64_MAGIC

inline constexpr std::uint16_t kFileExecutable = 0x0002;  // IMAGE_FILE_EXECUTABLE_IMAGE
inline constexpr std::uint16_t kFileDll = 0x2000;         // IMAGE_FILE_DLL

inline constexpr std::size_t kSectionHeaderSize = 40;  // sizeof(IMAGE_SECTION_HEADER)

inline constexpr std::size_t kExportDirectory = 0;       // IMAGE_DIRECTORY_ENTRY_EXPORT
inline constexpr std::size_t kCertificateDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY

struct DataDirectory {
    std::uint32_t address = 0;  // an RVA; for the certificate table a file offset
    std::uint32_t size = 0;
};

struct Section {
    std::uint32_t virtualAddress = 0, virtualSize = 0;
    std::uint32_t rawOffset = 0, rawSize = 0;
};

struct PeHeaders {
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint16_t magic = 0;
    std::size_t optionalHeaderOffset = 0;
    std::size_t dataDirectoryOffset = 0;  // of the first entry
    std::vector<DataDirectory> directories;
    std::vector<Section> sections;

    bool isDll() const { return (characteristics & (kFileDll | kFileExecutable)) == (kFileDll | kFileExecutable); }
    // The file offset of the optional header's CheckSum field.
    std::size_t checksumOffset() const { return optionalHeaderOffset + 64; }
    std::size_t directoryEntryOffset(std::size_t index) const { return dataDirectoryOffset + index * 8; }
};

// nullopt unless `image` starts with a DOS header that leads to a "PE\0\0"
// signature, a file header, an optional header of a known magic whose data
// directories fit into it, and a section table inside the file.
std::optional<PeHeaders> ReadPeHeaders(std::string_view image);

// The optional header a machine's images carry: PE32 for 32-bit machines,
// PE32+ for 64-bit ones; 0 for a machine not known here.
std::uint16_t MagicOfMachine(std::uint16_t machine);

// Where `rva` lies in the file, and how many bytes of its section's raw
// data (inside the file) follow it there.
struct MappedRva {
    std::size_t offset = 0, available = 0;
};
std::optional<MappedRva> MapRva(const PeHeaders& headers, std::size_t fileSize, std::uint32_t rva);

// The file offset of `size` bytes at `rva`, when they lie inside one
// section's raw data and inside the file.
std::optional<std::size_t> FileOffsetOf(const PeHeaders& headers, std::size_t fileSize, std::uint32_t rva,
                                        std::size_t size);

}  // namespace kvt::pe
