#pragma once
// A driver catalog: a PKCS #7 SignedData whose content is a certificate
// trust list (szOID_CTL) of the catalog-list kind. Each member names one file
// by its hash: the subject identifier is the hash in upper-case hex (UTF-16LE
// text), and its attributes hold the file name and the OS attributes
// (name-value pairs), the subject's kind (member info) and the hash itself
// (SPC_INDIRECT_DATA, a digest info as in an Authenticode signature). Every
// file has one member with its SHA-1 hash, for the releases that know only
// SHA-1, and one with its SHA-256 hash. A made catalog carries no signer;
// signing it adds one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/catalog/FileHash.h"

namespace kvt::catalog {

struct CatalogEntry {
    std::string name;   // the file's name, without folder
    std::string bytes;  // its contents
};

struct CatalogMember {
    std::string tag;   // the subject identifier as text: the hash in upper-case hex
    std::string file;  // the "File" name-value; empty when the member has none
    std::string osAttributes;
    HashAlgorithm algorithm = HashAlgorithm::Sha256;
    std::string digest;  // raw
    bool peImage = false;
};

struct CatalogList {
    std::vector<CatalogMember> members;
    std::string osAttributes;  // the catalog's own "OSAttr"
    std::string content;       // the DER of the trust list, what a signature covers
    std::vector<std::string> certificates;  // DER, as the signed data carries them
    std::vector<std::string> signerInfos;   // DER
};

// `osAttributes` is the "OSAttr" text, e.g. "2:5.1,2:6.0,2:10.0". `unixTime`
// is the list's date, so the same files make the same catalog.
std::string MakeCatalog(const std::vector<CatalogEntry>& files, std::string_view osAttributes,
                        std::int64_t unixTime);

// nullopt when the bytes are not a catalog-list trust list in signed data.
std::optional<CatalogList> ReadCatalog(std::string_view bytes);

// The member whose tag and digest are the file's hash with `algorithm`.
const CatalogMember* FindMember(const CatalogList& catalog, std::string_view fileBytes, HashAlgorithm algorithm);

}  // namespace kvt::catalog
