#pragma once
// The signature policy a release applies when a driver package enters the
// INF store (SetupCopyOEMInf, and the system's printer installation, which
// copies the INF the same way).
//
// The package is its INF, the catalog that [Version] CatalogFile names (the
// architecture's CatalogFile.NTamd64 / .NTx86 first) in the INF's folder, and
// the files that [SourceDisksFiles] lists for the system's architecture, in
// the folders [SourceDisksNames] gives. It is signed by a publisher when the
// catalog holds the hash of the INF and of every one of those files that is
// there (SHA-256 from Windows 8 on, SHA-1 before: the older releases know
// only SHA-1 catalog members) and a signature over the catalog holds. The
// publisher is trusted when the SHA-1 thumbprint of the signer's certificate
// is among the image's "trustedPublishers" (the Trusted Publishers store).
//
// What the releases do with a package that is not signed by a trusted
// publisher (documented behaviour of driver signing):
//   - Windows 8 and later, 64-bit: refused, whoever asks. No catalog, or one
//     without a valid signature: ERROR_NO_CATALOG_FOR_OEM_INF (0xE000022F);
//     a file whose hash the catalog lacks: ERROR_FILE_HASH_NOT_IN_CATALOG
//     (0xE000024B); a publisher that is not trusted:
//     ERROR_AUTHENTICODE_PUBLISHER_NOT_TRUSTED (0xE0000243), as where nobody
//     can be asked (the simulation has nobody to ask).
//   - Vista, 7, and the 32-bit releases from Vista on: the trust prompt. A
//     prompt in a hidden process waits for ever; SetupCopyOEMInf in a
//     program finds nobody who answers it, which counts as "Don't install":
//     the call fails with the cause's code.
//   - Windows 2000 and XP: the image's "driverSigningPolicy": "ignore"
//     installs, "warn" (the default) is the prompt above, "block" refuses with
//     the cause's code. A package signed by a trusted publisher installs
//     under every policy.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sim/InfFile.h"
#include "platform/sim/World.h"

namespace kvt::sim {

enum class PackageSignature { Trusted, NoCatalog, HashNotInCatalog, UntrustedPublisher };

enum class SigningVerdict { Install, Prompt, Refuse };

struct SigningDecision {
    SigningVerdict verdict = SigningVerdict::Install;
    PackageSignature signature = PackageSignature::Trusted;
    std::uint32_t code = 0;  // the cause's SetupAPI code when not Install
};

// `infPath` is the normalised path of the INF in the world's files.
PackageSignature ReadPackageSignature(const World& world, std::string_view infPath, const InfFile& inf);
SigningDecision DecideDriverSigning(const World& world, std::string_view infPath, const InfFile& inf);

}  // namespace kvt::sim
