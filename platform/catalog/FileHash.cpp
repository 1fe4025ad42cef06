#include "platform/catalog/FileHash.h"

#include <cstdint>
#include <memory>
#include <stdexcept>

#include <openssl/evp.h>

#include "platform/pe/PeImage.h"

namespace kvt::catalog {

namespace {

class Digest {
public:
    explicit Digest(HashAlgorithm algorithm) : context_(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
        const EVP_MD* md = algorithm == HashAlgorithm::Sha1 ? EVP_sha1() : EVP_sha256();
        if (!context_ || EVP_DigestInit_ex(context_.get(), md, nullptr) != 1)
            throw std::runtime_error("the digest cannot start");
    }
    void add(std::string_view bytes) {
        if (!bytes.empty() && EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) != 1)
            throw std::runtime_error("the digest failed");
    }
    std::string finish() {
        unsigned char out[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        if (EVP_DigestFinal_ex(context_.get(), out, &size) != 1) throw std::runtime_error("the digest failed");
        return std::string(reinterpret_cast<const char*>(out), size);
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context_;
};

}  // namespace

std::optional<PeLayout> ReadPeLayout(std::string_view image) {
    const auto headers = pe::ReadPeHeaders(image);
    if (!headers || headers->directories.size() <= pe::kCertificateDirectory) return std::nullopt;
    PeLayout layout;
    layout.checksumOffset = headers->checksumOffset();
    layout.certificateEntryOffset = headers->directoryEntryOffset(pe::kCertificateDirectory);
    const pe::DataDirectory certificates = headers->directories[pe::kCertificateDirectory];
    const std::size_t offset = certificates.address;
    const std::size_t size = certificates.size;
    if (offset == 0 && size == 0) {
        layout.certificateOffset = image.size();
        return layout;
    }
    // The certificate table is the last thing in a signed image.
    if (offset < layout.certificateEntryOffset + 8 || offset > image.size() || size != image.size() - offset)
        return std::nullopt;
    layout.certificateOffset = offset;
    layout.certificateSize = size;
    return layout;
}

bool IsPeImage(std::string_view bytes) { return ReadPeLayout(bytes).has_value(); }

std::string FileHash(std::string_view bytes, HashAlgorithm algorithm) {
    Digest digest(algorithm);
    if (const auto pe = ReadPeLayout(bytes)) {
        digest.add(bytes.substr(0, pe->checksumOffset));
        digest.add(bytes.substr(pe->checksumOffset + 4, pe->certificateEntryOffset - pe->checksumOffset - 4));
        digest.add(bytes.substr(pe->certificateEntryOffset + 8, pe->certificateOffset - pe->certificateEntryOffset - 8));
    } else {
        digest.add(bytes);
    }
    return digest.finish();
}

std::string HexUpper(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 0xF];
    }
    return text;
}

}  // namespace kvt::catalog
