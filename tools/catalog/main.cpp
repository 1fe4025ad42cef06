// kvtcat: makes and checks the catalog of a driver package.
//   kvtcat make PACKAGE INF CATALOG [--time UNIX-SECONDS]
//       writes the unsigned catalog of every file that PACKAGE/INF names, and
//       the INF itself; the date is --time, else SOURCE_DATE_EPOCH, else now
//   kvtcat verify PACKAGE INF CATALOG
//       checks that every one of those files is in the catalog with its SHA-1
//       and its SHA-256 hash; exit 1 naming each file that is not
//   kvtcat signer CATALOG
//       prints the SHA-1 thumbprint of the catalog's signer certificate; exit 1
//       when it has no signer or the signature does not hold
// Exit 2 for unusable input.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/catalog/Catalog.h"
#include "platform/catalog/CatalogSignature.h"
#include "tools/catalog/PackageFiles.h"

namespace {

using namespace kvt::catalog;

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Unusable(const std::string& what) {
    std::cerr << "kvtcat: " << what << "\n";
    return 2;
}

// The package's files with their bytes; nullopt after naming what is missing.
std::optional<std::vector<CatalogEntry>> LoadPackage(const std::string& package, const std::string& infName,
                                                     std::string* osAttributes) {
    const auto inf = ReadFile(package + "/" + infName);
    if (!inf) {
        Unusable("cannot read " + package + "/" + infName);
        return std::nullopt;
    }
    const PackageFiles files = ReadPackageFiles(*inf, infName);
    for (const auto& error : files.errors) std::cerr << "kvtcat: " << infName << ": " << error << "\n";
    if (!files.errors.empty()) return std::nullopt;
    std::vector<CatalogEntry> entries;
    for (const auto& file : files.files) {
        auto bytes = ReadFile(package + "/" + file.path);
        if (!bytes) {
            Unusable("the package lacks " + file.path);
            return std::nullopt;
        }
        entries.push_back({file.name, std::move(*bytes)});
    }
    if (osAttributes) *osAttributes = files.osAttributes;
    return entries;
}

std::int64_t CatalogTime(int argc, char** argv) {
    if (argc == 7 && std::string(argv[5]) == "--time") return std::atoll(argv[6]);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) return std::atoll(epoch);
    return static_cast<std::int64_t>(std::time(nullptr));
}

int Make(int argc, char** argv) {
    std::string osAttributes;
    const auto entries = LoadPackage(argv[2], argv[3], &osAttributes);
    if (!entries) return 2;
    std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
    out << MakeCatalog(*entries, osAttributes, CatalogTime(argc, argv));
    if (!out.flush()) return Unusable(std::string("cannot write ") + argv[4]);
    std::cout << "kvtcat: " << argv[4] << ": " << entries->size() << " files, OS attributes " << osAttributes << "\n";
    return 0;
}

int Verify(char** argv) {
    const std::string package = argv[2], infName = argv[3];
    const auto bytes = ReadFile(argv[4]);
    if (!bytes) return Unusable(std::string("cannot read ") + argv[4]);
    const auto catalog = ReadCatalog(*bytes);
    if (!catalog) return Unusable(std::string(argv[4]) + " is not a catalog");
    const auto inf = ReadFile(package + "/" + infName);
    if (!inf) return Unusable("cannot read " + package + "/" + infName);
    const PackageFiles files = ReadPackageFiles(*inf, infName);
    int missing = static_cast<int>(files.errors.size());
    for (const auto& error : files.errors) std::cout << "FAIL: " << infName << ": " << error << "\n";
    for (const auto& file : files.files) {
        const auto content = ReadFile(package + "/" + file.path);
        if (!content) {
            std::cout << "FAIL: the package lacks " << file.path << "\n";
            ++missing;
            continue;
        }
        for (auto [algorithm, name] : {std::pair{HashAlgorithm::Sha1, "SHA-1"}, std::pair{HashAlgorithm::Sha256, "SHA-256"}}) {
            if (FindMember(*catalog, *content, algorithm)) continue;
            std::cout << "FAIL: " << file.path << ": its " << name << " hash " << HexUpper(FileHash(*content, algorithm))
                      << " is not in the catalog\n";
            ++missing;
        }
    }
    if (missing != 0) return 1;
    std::cout << "kvtcat: all " << files.files.size() << " files of " << infName << " are in the catalog\n";
    return 0;
}

int Signer(char** argv) {
    const auto bytes = ReadFile(argv[2]);
    if (!bytes) return Unusable(std::string("cannot read ") + argv[2]);
    const auto catalog = ReadCatalog(*bytes);
    if (!catalog) return Unusable(std::string(argv[2]) + " is not a catalog");
    const auto signer = SignerOf(*catalog);
    if (!signer || !signer->valid) {
        std::cerr << "kvtcat: " << argv[2] << (signer ? ": the signature does not hold\n" : ": not signed\n");
        return 1;
    }
    std::cout << signer->thumbprint << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && (argc == 5 || argc == 7)) return Make(argc, argv);
    if (command == "verify" && argc == 5) return Verify(argv);
    if (command == "signer" && argc == 3) return Signer(argv);
    return Unusable("usage: kvtcat make PACKAGE INF CATALOG [--time UNIX-SECONDS] | verify PACKAGE INF CATALOG | signer CATALOG");
}
