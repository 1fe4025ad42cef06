#pragma once
// The hashes by which a catalog names a file: for a PE image its Authenticode
// hash (the image without its checksum, its certificate-table entry and the
// certificate data, so signing the file does not change it), for any other
// file the hash of all its bytes.
#include <optional>
#include <string>
#include <string_view>

namespace kvt::catalog {

enum class HashAlgorithm { Sha1, Sha256 };

// The byte ranges of a PE image that its Authenticode hash covers, or
// nullopt when the bytes are not a well-formed PE image.
struct PeLayout {
    std::size_t checksumOffset = 0;
    std::size_t certificateEntryOffset = 0;
    std::size_t certificateOffset = 0;  // the file's size when it carries no certificate
    std::size_t certificateSize = 0;
};
std::optional<PeLayout> ReadPeLayout(std::string_view image);

// The raw digest of `bytes` as a catalog member names the file.
std::string FileHash(std::string_view bytes, HashAlgorithm algorithm);
bool IsPeImage(std::string_view bytes);

std::string HexUpper(std::string_view bytes);

}  // namespace kvt::catalog
