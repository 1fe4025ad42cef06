#pragma once
// The smallest DLL the Windows loader takes: DOS header, PE headers with 16
// data directories, a code section whose every export is the same
// "mov eax, value; ret", and a read-only data section that holds a text note
// (on a line of its own, so line tools find it) and the export directory.
// It does nothing; it stands where a DLL of another maker or of another
// build must be a real module of the right machine (a loader, a signer or
// a catalog sees a PE image).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::pe {

struct MinimalDll {
    std::uint16_t machine = 0;  // kMachineI386 or kMachineAmd64
    std::string moduleName;     // the export directory's name of the module, e.g. "PRO580D.dll"
    std::vector<std::string> exports;
    std::string note;
    // What every export returns: 0 by default; a caller that treats 0 as a
    // size to allocate may want -1, the error of most printer-driver calls.
    std::int32_t returnValue = 0;
};

// The bytes of the DLL. Exports are stored sorted, as the loader's binary
// search wants them.
std::string WriteMinimalDll(const MinimalDll& dll);

}  // namespace kvt::pe
