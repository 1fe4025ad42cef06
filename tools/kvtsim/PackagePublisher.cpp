#include "tools/kvtsim/PackagePublisher.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/catalog/Catalog.h"
#include "platform/catalog/CatalogSignature.h"

namespace kvt::kvtsim {

namespace {

bool IsCatalogName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".cat";
}

}  // namespace

int TrustPackagePublisher(sim::World& world, const std::filesystem::path& packageDirectory) {
    std::error_code ec;
    int added = 0;
    for (const auto& entry : std::filesystem::directory_iterator(packageDirectory, ec)) {
        if (!entry.is_regular_file(ec) || !IsCatalogName(entry.path())) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto list = catalog::ReadCatalog(bytes);
        const auto signer = list ? catalog::SignerOf(*list) : std::nullopt;
        if (!signer || !signer->valid) continue;
        nlohmann::json& trusted = world.extra["trustedPublishers"];
        if (!trusted.is_array()) trusted = nlohmann::json::array();
        if (std::find(trusted.begin(), trusted.end(), signer->thumbprint) != trusted.end()) continue;
        trusted.push_back(signer->thumbprint);
        ++added;
    }
    return added;
}

}  // namespace kvt::kvtsim
