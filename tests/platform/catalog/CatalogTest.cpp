#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/catalog/Catalog.h"
#include "platform/catalog/CatalogSignature.h"
#include "platform/catalog/FileHash.h"
#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"

namespace kvt::catalog {
namespace {

void PutLittle(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A PE32+ image: DOS header, "PE\0\0", file header, an optional header with
// 16 data directories, then its sections.
constexpr std::size_t kPeOptional = 0x40 + 24;
std::string MinimalPeImage() {
    return pe::WriteMinimalDll({pe::kMachineAmd64, "PLUGIN.dll", {"DllCanUnloadNow"}, "a test image"});
}

std::string SignedLike(std::string image) {
    PutLittle(image, kPeOptional + 112 + 4 * 8, static_cast<std::uint32_t>(image.size()), 4);
    PutLittle(image, kPeOptional + 112 + 4 * 8 + 4, 24, 4);
    return image + std::string(24, '\x11');
}

TEST(CatalogFileHash, PeImagesHashWithoutTheirChecksumAndSignature) {
    const std::string image = MinimalPeImage();
    ASSERT_TRUE(IsPeImage(image));
    struct Row {
        const char* name;
        std::string bytes;
        bool sameHash;
    };
    std::string checksum = image, body = image, header = image, signedBody = SignedLike(image);
    PutLittle(checksum, kPeOptional + 64, 0xDEADBEEF, 4);
    body[body.size() - 1] ^= 1;
    header[0x40 + 8] ^= 1;  // the file header's time stamp
    signedBody[image.size() - 1] ^= 1;
    const std::vector<Row> rows = {
        {"another checksum", checksum, true},
        {"a certificate table added", SignedLike(image), true},
        {"a body byte changed", body, false},
        {"a header byte changed", header, false},
        {"a signed image with a body byte changed", signedBody, false},
    };
    for (const auto& row : rows)
        for (HashAlgorithm algorithm : {HashAlgorithm::Sha1, HashAlgorithm::Sha256})
            EXPECT_EQ(FileHash(row.bytes, algorithm) == FileHash(image, algorithm), row.sameHash) << row.name;
}

TEST(CatalogFileHash, OtherFilesHashWhole) {
    EXPECT_EQ(HexUpper(FileHash("abc", HashAlgorithm::Sha256)),
              "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
    EXPECT_EQ(HexUpper(FileHash("abc", HashAlgorithm::Sha1)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    // Broken PE headers are not PE images: their whole bytes count.
    std::string cut = MinimalPeImage().substr(0, 0x80), wrongMagic = MinimalPeImage(), outside = MinimalPeImage();
    PutLittle(wrongMagic, kPeOptional, 0x999, 2);
    PutLittle(outside, kPeOptional + 112 + 4 * 8, 0x7FFFFFF0, 4);
    PutLittle(outside, kPeOptional + 112 + 4 * 8 + 4, 0x20, 4);
    for (const std::string& bytes : {cut, wrongMagic, outside}) {
        EXPECT_FALSE(IsPeImage(bytes));
        // The checksum's place counts too (or, cut short, the bytes there are).
        std::string changed = bytes;
        changed[std::min(kPeOptional + 64, changed.size() - 1)] ^= 1;
        EXPECT_NE(FileHash(changed, HashAlgorithm::Sha256), FileHash(bytes, HashAlgorithm::Sha256));
    }
}

std::vector<CatalogEntry> SomePackage() {
    return {{"printer.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"},
            {"PLUGIN.dll", SignedLike(MinimalPeImage())},
            {"PRINTER.GPD", "*GPDSpecVersion: \"1.0\"\r\n"},
            {"PRINTER.GPD", "*GPDSpecVersion: \"1.0\"\r\n"}};
}

TEST(CatalogList, HoldsEveryFileByBothHashes) {
    const auto catalog = ReadCatalog(MakeCatalog(SomePackage(), "2:6.1,2:10.0", 1765000000));
    ASSERT_TRUE(catalog.has_value());
    EXPECT_EQ(catalog->members.size(), 6u) << "the same file twice is one member per hash";
    EXPECT_EQ(catalog->osAttributes, "2:6.1,2:10.0");
    for (const auto& file : SomePackage()) {
        for (HashAlgorithm algorithm : {HashAlgorithm::Sha1, HashAlgorithm::Sha256}) {
            const CatalogMember* member = FindMember(*catalog, file.bytes, algorithm);
            ASSERT_NE(member, nullptr) << file.name;
            EXPECT_EQ(member->file, file.name);
            EXPECT_EQ(member->osAttributes, "2:6.1,2:10.0");
            EXPECT_EQ(member->peImage, file.name == "PLUGIN.dll");
        }
        std::string changed = file.bytes;
        changed[changed.size() / 2] ^= 0x20;
        EXPECT_EQ(FindMember(*catalog, changed, HashAlgorithm::Sha256), nullptr) << file.name;
    }
    EXPECT_FALSE(SignerOf(*catalog).has_value());
}

TEST(CatalogList, RefusesWhatIsNotWholeCatalog) {
    const std::string bytes = MakeCatalog(SomePackage(), "2:10.0", 0);
    for (std::size_t size = 0; size < bytes.size(); size += 7)
        EXPECT_FALSE(ReadCatalog(bytes.substr(0, size)).has_value()) << size;
    EXPECT_FALSE(ReadCatalog(bytes + "x").has_value());
}

std::string BuiltCatalog() {
    std::ifstream in(std::string(KVT_DIST_DIR) + "/kvt580d.cat", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CatalogSigner, TheBuiltCatalogIsSignedAndAChangedListIsNot) {
    const std::string bytes = BuiltCatalog();
    const auto catalog = ReadCatalog(bytes);
    ASSERT_TRUE(catalog.has_value());
    const auto signer = SignerOf(*catalog);
    ASSERT_TRUE(signer.has_value());
    EXPECT_TRUE(signer->valid);
    EXPECT_EQ(signer->thumbprint.size(), 40u);

    // One file name in the signed list changed: the signature no longer holds.
    std::string changed = bytes;
    const std::string name("K\0V\0T\0""5\0""8\0""0\0D\0", 14);
    const std::size_t at = changed.find(name);
    ASSERT_NE(at, std::string::npos);
    changed[at] = 'k';
    const auto altered = ReadCatalog(changed);
    ASSERT_TRUE(altered.has_value());
    ASSERT_TRUE(SignerOf(*altered).has_value());
    EXPECT_FALSE(SignerOf(*altered)->valid);
}

}  // namespace
}  // namespace kvt::catalog
