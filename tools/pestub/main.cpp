// pestub: writes a minimal DLL that loads but does nothing, for the native
// build's package, where the simulated Windows installs it in place of a DLL
// that only a cross build (or Windows itself) makes.
//   pestub OUT i386|amd64 NOTE_FILE [DEF_FILE | NAME...]
// The note is the first line of NOTE_FILE; the exports are those of DEF_FILE
// (a file ending in .def, whose LIBRARY line also names the module) or the
// NAMEs given. Without a .def the module is named after OUT.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"
#include "tools/pestub/DefExports.h"

namespace {

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Fail(const std::string& message) {
    std::cerr << "pestub: " << message << '\n';
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Fail("usage: pestub OUT i386|amd64 NOTE_FILE [DEF_FILE | NAME...]");
    const std::string out = argv[1], machine = argv[2];
    kvt::pe::MinimalDll dll;
    if (machine == "i386")
        dll.machine = kvt::pe::kMachineI386;
    else if (machine == "amd64")
        dll.machine = kvt::pe::kMachineAmd64;
    else
        return Fail("unknown machine " + machine);
    const auto note = ReadFile(argv[3]);
    if (!note) return Fail(std::string("cannot read ") + argv[3]);
    dll.note = note->substr(0, note->find('\n'));
    dll.moduleName = std::filesystem::path(out).filename().string();
    const std::vector<std::string> rest(argv + 4, argv + argc);
    if (rest.size() == 1 && std::filesystem::path(rest[0]).extension() == ".def") {
        const auto def = ReadFile(rest[0]);
        if (!def) return Fail("cannot read " + rest[0]);
        const kvt::pestub::DefExports exports = kvt::pestub::ReadDefExports(*def);
        if (!exports.library.empty()) dll.moduleName = exports.library;
        dll.exports = exports.names;
    } else {
        dll.exports = rest;
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << kvt::pe::WriteMinimalDll(dll);
    return file.good() ? 0 : Fail("cannot write " + out);
}
