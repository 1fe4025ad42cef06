#pragma once
// Windows' own DLLs that the spooler loads or installs, as the simulation
// puts them into a fresh image: minimal DLLs of the right machine that
// export what the spooler looks up in them (the Local Port monitor, the
// system's print processor, the universal printer driver's modules).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::sim {

inline constexpr std::string_view kSystemFileNote = "simulated system file";

// What Windows' module `name` (any case) exports that the spooler looks up;
// nothing for a name the simulation has no exports for.
const std::vector<std::string>& SystemDllExports(std::string_view name);

// The file `name` for `machine`, exporting SystemDllExports(name).
std::string SystemDll(std::string_view name, std::uint16_t machine);

}  // namespace kvt::sim
