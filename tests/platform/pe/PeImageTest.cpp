#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/catalog/FileHash.h"
#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeExports.h"
#include "platform/pe/PeImage.h"

namespace kvt::pe {
namespace {

pe::MinimalDll SampleDll(std::uint16_t machine) {
    return {machine, "SAMPLE.dll", {"OpenThing", "CloseThing", "Alpha"}, "Stand-in for SAMPLE.dll: a test"};
}

void Poke32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(PeImage, WrittenDllsReadBackWithMachineMagicAndSortedExports) {
    struct Row {
        const char* name;
        std::uint16_t machine, magic;
    };
    for (const Row& row : {Row{"i386", kMachineI386, kMagicPe32}, Row{"amd64", kMachineAmd64, kMagicPe32Plus}}) {
        const std::string bytes = WriteMinimalDll(SampleDll(row.machine));
        const auto headers = ReadPeHeaders(bytes);
        ASSERT_TRUE(headers) << row.name;
        EXPECT_EQ(headers->machine, row.machine) << row.name;
        EXPECT_EQ(headers->magic, row.magic) << row.name;
        EXPECT_EQ(MagicOfMachine(headers->machine), headers->magic) << row.name;
        EXPECT_TRUE(headers->isDll()) << row.name;
        EXPECT_EQ(headers->directories.size(), 16u) << row.name;
        EXPECT_EQ(ReadExportNames(bytes, *headers), (std::vector<std::string>{"Alpha", "CloseThing", "OpenThing"}))
            << row.name;
        // Line tools find the note; the catalog hashes the file as an image.
        EXPECT_NE(bytes.find("\nStand-in for SAMPLE.dll: a test\n"), std::string::npos) << row.name;
        EXPECT_TRUE(catalog::IsPeImage(bytes)) << row.name;
    }
    const std::string bare = WriteMinimalDll({kMachineAmd64, "RES.dll", {}, "resources"});
    EXPECT_EQ(ReadExportNames(bare, *ReadPeHeaders(bare)), std::vector<std::string>{});
}

// Where the fields lie in a written i386 DLL.
constexpr std::size_t kFileHeader = 0x44;
constexpr std::size_t kOptional = kFileHeader + 20;
constexpr std::size_t kExportEntry = kOptional + 96;

TEST(PeImage, MalformedImagesAreRefusedWithoutReadingOutsideTheBytes) {
    const std::string good = WriteMinimalDll(SampleDll(kMachineI386));
    const std::uint32_t exportRva = static_cast<std::uint32_t>(static_cast<unsigned char>(good[kExportEntry])) |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(good[kExportEntry + 1])) << 8;
    const std::size_t exportOffset = 0x400 + (exportRva - 0x2000);
    struct Row {
        const char* name;
        std::function<void(std::string&)> damage;
        bool headersRead, exportsRead;
    };
    const std::vector<Row> rows = {
        {"cut inside the DOS header", [](std::string& b) { b.resize(0x30); }, false, false},
        {"cut inside the file header", [](std::string& b) { b.resize(kFileHeader + 10); }, false, false},
        {"cut inside the optional header", [](std::string& b) { b.resize(kOptional + 80); }, false, false},
        {"cut inside the section table", [](std::string& b) { b.resize(kOptional + 224 + 50); }, false, false},
        {"PE offset past the end", [](std::string& b) { Poke32(b, 0x3C, 0xFFFFFFF0); }, false, false},
        {"unknown magic", [](std::string& b) { b[kOptional] = 0x07; }, false, false},
        {"more directories than the header holds", [](std::string& b) { Poke32(b, kOptional + 92, 40); }, false,
         false},
        {"export directory outside every section", [](std::string& b) { Poke32(b, kExportEntry, 0x7FFF0000); }, true,
         false},
        {"more names than the section holds", [&](std::string& b) { Poke32(b, exportOffset + 24, 0x10000000); }, true,
         false},
        {"name table outside every section", [&](std::string& b) { Poke32(b, exportOffset + 32, 0x7FFFFFF0); }, true,
         false},
        {"a name outside every section", [&](std::string& b) { Poke32(b, exportOffset + 40 + 12, 0x7FFFFFF0); },
         true, false},
        {"data cut after the headers", [](std::string& b) { b.resize(0x420); }, true, false},
    };
    for (const Row& row : rows) {
        std::string bytes = good;
        row.damage(bytes);
        const auto headers = ReadPeHeaders(bytes);
        EXPECT_EQ(headers.has_value(), row.headersRead) << row.name;
        if (headers) {
            EXPECT_EQ(ReadExportNames(bytes, *headers).has_value(), row.exportsRead) << row.name;
        }
    }
}

}  // namespace
}  // namespace kvt::pe
