#include "platform/sim/DriverSigning.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/ports/WinCodes.h"
#include "platform/sim/WinPath.h"
#include "platform/catalog/Catalog.h"
#include "platform/catalog/CatalogSignature.h"

namespace kvt::sim {

namespace {

using catalog::HashAlgorithm;

bool SameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Decoration(const World& world) { return world.os.is64Bit ? "amd64" : "x86"; }

const InfSection* Decorated(const InfFile& inf, std::string_view base, std::string_view decoration) {
    if (const auto* section = inf.section(std::string(base) + "." + std::string(decoration))) return section;
    return inf.section(base);
}

std::optional<std::string> CatalogName(const World& world, const InfFile& inf) {
    const std::string decorated = world.os.is64Bit ? "CatalogFile.NTamd64" : "CatalogFile.NTx86";
    for (const std::string& key : {decorated, std::string("CatalogFile.NT"), std::string("CatalogFile")})
        if (auto name = inf.value("Version", key); name && !name->empty()) return name;
    return std::nullopt;
}

std::string Relative(std::string folder) {
    std::replace(folder.begin(), folder.end(), '/', '\\');
    while (!folder.empty() && (folder.front() == '\\' || folder.front() == '.')) folder.erase(0, 1);
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

// The paths of the files the INF lists for the system's architecture.
std::vector<std::string> PackageFilePaths(const World& world, std::string_view infFolder, const InfFile& inf) {
    std::vector<std::string> paths;
    const InfSection* disks = Decorated(inf, "SourceDisksNames", Decoration(world));
    const InfSection* files = Decorated(inf, "SourceDisksFiles", Decoration(world));
    if (disks == nullptr || files == nullptr) return paths;
    for (const InfLine& line : files->lines) {
        if (!line.hasKey || line.values.empty()) continue;
        const InfLine* disk = inf.findLine(disks->name, line.values[0]);
        std::string folder(infFolder);
        if (disk != nullptr && disk->values.size() > 3 && !Relative(disk->values[3]).empty())
            folder = winpath::Join(folder, Relative(disk->values[3]));
        if (line.values.size() > 1 && !Relative(line.values[1]).empty())
            folder = winpath::Join(folder, Relative(line.values[1]));
        paths.push_back(winpath::Join(folder, line.key));
    }
    return paths;
}

bool IsTrusted(const World& world, std::string_view thumbprint) {
    auto it = world.extra.find("trustedPublishers");
    if (it == world.extra.end() || !it->is_array()) return false;
    return std::any_of(it->begin(), it->end(), [&](const nlohmann::json& entry) {
        return entry.is_string() && SameText(entry.get<std::string>(), thumbprint);
    });
}

std::string SigningPolicy(const World& world) {
    auto it = world.extra.find("driverSigningPolicy");
    if (it != world.extra.end() && it->is_string()) return it->get<std::string>();
    return "warn";
}

std::uint32_t CodeOf(PackageSignature signature) {
    switch (signature) {
        case PackageSignature::Trusted: return err::Success;
        case PackageSignature::NoCatalog: return err::NoCatalogForOemInf;
        case PackageSignature::HashNotInCatalog: return err::FileHashNotInCatalog;
        case PackageSignature::UntrustedPublisher: return err::AuthenticodePublisherNotTrusted;
    }
    return err::NoCatalogForOemInf;
}

}  // namespace

PackageSignature ReadPackageSignature(const World& world, std::string_view infPath, const InfFile& inf) {
    const std::string_view folder = winpath::ParentOf(infPath);
    const auto name = CatalogName(world, inf);
    if (!name) return PackageSignature::NoCatalog;
    const FileRecord* catalogFile = world.files.findFile(winpath::Join(folder, *name));
    if (catalogFile == nullptr) return PackageSignature::NoCatalog;
    const auto list = catalog::ReadCatalog(catalogFile->bytes);
    if (!list) return PackageSignature::NoCatalog;
    const auto signer = catalog::SignerOf(*list);
    if (!signer || !signer->valid) return PackageSignature::NoCatalog;

    const bool sha256 = world.os.major > 6 || (world.os.major == 6 && world.os.minor >= 2);
    const HashAlgorithm algorithm = sha256 ? HashAlgorithm::Sha256 : HashAlgorithm::Sha1;
    std::vector<std::string> paths = PackageFilePaths(world, folder, inf);
    paths.emplace_back(infPath);
    for (const std::string& path : paths) {
        // A missing file is the installation's error, not the signature's.
        const FileRecord* file = world.files.findFile(path);
        if (file != nullptr && catalog::FindMember(*list, file->bytes, algorithm) == nullptr)
            return PackageSignature::HashNotInCatalog;
    }
    return IsTrusted(world, signer->thumbprint) ? PackageSignature::Trusted : PackageSignature::UntrustedPublisher;
}

SigningDecision DecideDriverSigning(const World& world, std::string_view infPath, const InfFile& inf) {
    SigningDecision decision;
    decision.signature = ReadPackageSignature(world, infPath, inf);
    decision.code = CodeOf(decision.signature);
    if (decision.signature == PackageSignature::Trusted) return decision;
    const bool windows8OrLater = world.os.major > 6 || (world.os.major == 6 && world.os.minor >= 2);
    if (world.os.major < 6) {
        const std::string policy = SigningPolicy(world);
        decision.verdict = policy == "ignore" ? SigningVerdict::Install
                           : policy == "block" ? SigningVerdict::Refuse
                                               : SigningVerdict::Prompt;
    } else if (windows8OrLater && world.os.is64Bit) {
        decision.verdict = SigningVerdict::Refuse;
    } else {
        decision.verdict = SigningVerdict::Prompt;
    }
    if (decision.verdict == SigningVerdict::Install) decision.code = err::Success;
    return decision;
}

}  // namespace kvt::sim
