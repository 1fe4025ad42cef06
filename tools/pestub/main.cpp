// pestub: writes a minimal DLL that loads but does nothing, for the native
// build's package, where the simulated Windows installs it in place of a DLL
// that only a cross build (or Windows itself) makes.
//   pestub OUT i386|amd64 NOTE_FILE [DEF_FILE]
// The note is the first line of NOTE_FILE; the exports are those of DEF_FILE
// (whose LIBRARY line also names the module). Without a .def the module is
// named after OUT and exports what the simulated Windows knows its module of
// that name to export (UNIDRV.DLL's driver functions, for instance), or
// nothing.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/pe/MinimalDll.h"
#include "platform/pe/PeImage.h"
#include "platform/sim/SystemModules.h"
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
    if (argc < 4 || argc > 5) return Fail("usage: pestub OUT i386|amd64 NOTE_FILE [DEF_FILE]");
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
    if (argc == 5) {
        const auto def = ReadFile(argv[4]);
        if (!def) return Fail(std::string("cannot read ") + argv[4]);
        const kvt::pestub::DefExports exports = kvt::pestub::ReadDefExports(*def);
        if (!exports.library.empty()) dll.moduleName = exports.library;
        dll.exports = exports.names;
    } else {
        dll.exports = kvt::sim::SystemDllExports(dll.moduleName);
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << kvt::pe::WriteMinimalDll(dll);
    return file.good() ? 0 : Fail("cannot write " + out);
}
