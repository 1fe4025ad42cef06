// gpd_check GPD RESOURCE_SCRIPT CALLBACK_HEADER: checks the structure of a GPD
// against the resource DLL's script and the rendering plug-in's callbacks.
// Prints every problem and exits 1, or names the file as sound.
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/gpdcheck/GpdStructure.h"

namespace {

bool ReadFile(const char* path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: gpd_check GPD RESOURCE_SCRIPT CALLBACK_HEADER\n";
        return 2;
    }
    std::string gpd, script, header;
    for (auto [path, text] : {std::pair{argv[1], &gpd}, {argv[2], &script}, {argv[3], &header}}) {
        if (!ReadFile(path, *text)) {
            std::cout << "FAIL: cannot read " << path << "\n";
            return 1;
        }
    }
    kvt::gpdcheck::GpdContext context{std::filesystem::path(argv[1]).parent_path(),
                                      kvt::gpdcheck::ConstantValues(header),
                                      kvt::gpdcheck::StringTableIds(script)};
    const auto problems = kvt::gpdcheck::CheckGpd(gpd, context);
    for (const std::string& problem : problems) std::cout << "FAIL: " << argv[1] << " " << problem << "\n";
    if (!problems.empty()) return 1;
    std::cout << "gpd_check: " << argv[1] << " is sound\n";
    return 0;
}
