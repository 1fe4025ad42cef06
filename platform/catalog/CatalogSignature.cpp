#include "platform/catalog/CatalogSignature.h"

#include <memory>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include "platform/catalog/Der.h"

namespace kvt::catalog {

namespace {

using namespace der;

constexpr std::string_view kMessageDigest = "1.2.840.113549.1.9.4";

// The issuer and serial number of a certificate, as a signer names it.
std::optional<std::pair<std::string_view, std::string_view>> IssuerAndSerial(std::string_view certificate) {
    auto outer = Read(certificate);
    if (!outer) return std::nullopt;
    auto parts = Children(outer->content);
    if (!parts || parts->empty()) return std::nullopt;
    auto tbs = Children((*parts)[0].content);
    if (!tbs) return std::nullopt;
    std::size_t i = (!tbs->empty() && (*tbs)[0].tag == ContextConstructed(0)) ? 1 : 0;
    if (tbs->size() < i + 3) return std::nullopt;
    return std::pair{(*tbs)[i + 2].whole, (*tbs)[i].whole};
}

const EVP_MD* DigestOf(std::string_view algorithmIdentifier) {
    auto parts = Children(algorithmIdentifier);
    if (!parts || parts->empty()) return nullptr;
    const std::string oid = OidText((*parts)[0].content);
    if (oid == "1.3.14.3.2.26") return EVP_sha1();
    if (oid == "2.16.840.1.101.3.4.2.1") return EVP_sha256();
    if (oid == "2.16.840.1.101.3.4.2.2") return EVP_sha384();
    if (oid == "2.16.840.1.101.3.4.2.3") return EVP_sha512();
    return nullptr;
}

std::string Hash(const EVP_MD* md, std::string_view bytes) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), out, &size, md, nullptr) != 1) return {};
    return std::string(reinterpret_cast<const char*>(out), size);
}

// The signed attributes hold the digest of the content's value octets (the
// trust list without its own tag and length), as for Authenticode's
// indirect data; the signature covers the attributes encoded as a SET.
bool SignatureHolds(const CatalogList& catalog, const std::vector<Node>& signer, std::string_view certificate) {
    if (signer.size() < 6 || signer[3].tag != ContextConstructed(0) || signer[5].tag != kOctetString) return false;
    const EVP_MD* md = DigestOf(signer[2].content);
    if (!md) return false;
    auto attributes = Children(signer[3].content);
    if (!attributes) return false;
    auto trustList = Read(catalog.content);
    if (!trustList) return false;
    bool digestMatches = false;
    for (const auto& attribute : *attributes) {
        auto parts = Children(attribute.content);
        if (!parts || parts->size() != 2 || OidText((*parts)[0].content) != kMessageDigest) continue;
        auto values = Children((*parts)[1].content);
        digestMatches = values && values->size() == 1 && (*values)[0].content == Hash(md, trustList->content);
    }
    if (!digestMatches) return false;
    const auto* data = reinterpret_cast<const unsigned char*>(certificate.data());
    std::unique_ptr<X509, decltype(&X509_free)> x509(d2i_X509(nullptr, &data, static_cast<long>(certificate.size())),
                                                      X509_free);
    if (!x509) return false;
    EVP_PKEY* key = X509_get0_pubkey(x509.get());
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, md, nullptr, key) != 1) return false;
    const std::string signedBytes = Element(kSet, signer[3].content);
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signer[5].content.data()),
                            signer[5].content.size(), reinterpret_cast<const unsigned char*>(signedBytes.data()),
                            signedBytes.size()) == 1;
}

}  // namespace

std::optional<CatalogSigner> SignerOf(const CatalogList& catalog) {
    if (catalog.signerInfos.empty()) return std::nullopt;
    CatalogSigner result;
    auto signerNode = Read(catalog.signerInfos.front());
    auto signer = signerNode ? Children(signerNode->content) : std::nullopt;
    if (!signer || signer->size() < 2) return result;
    auto named = Children((*signer)[1].content);
    if (!named || named->size() != 2) return result;
    for (const auto& certificate : catalog.certificates) {
        auto names = IssuerAndSerial(certificate);
        if (!names || names->first != (*named)[0].whole || names->second != (*named)[1].whole) continue;
        result.certificate = certificate;
        result.thumbprint = HexUpper(Hash(EVP_sha1(), certificate));
        result.valid = SignatureHolds(catalog, *signer, certificate);
        break;
    }
    return result;
}

}  // namespace kvt::catalog
