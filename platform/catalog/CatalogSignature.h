#pragma once
// Who signed a catalog, and whether the signature holds: the signer's
// certificate (found by issuer and serial number among the certificates the
// signed data carries), the digest of the trust list in its signed
// attributes, and the signature over those attributes by the certificate's
// key. Whether the certificate is trusted is the caller's question: the
// thumbprint names the publisher.
#include <optional>
#include <string>

#include "platform/catalog/Catalog.h"

namespace kvt::catalog {

struct CatalogSigner {
    std::string certificate;  // DER
    std::string thumbprint;   // SHA-1 of the certificate, upper-case hex
    bool valid = false;       // the trust list is what the signer signed
};

// nullopt for a catalog without a signer.
std::optional<CatalogSigner> SignerOf(const CatalogList& catalog);

}  // namespace kvt::catalog
