#pragma once
// Windows' own DLLs that the spooler loads or installs, as the simulation
// puts them into a fresh image: minimal DLLs of the right machine that
// export what the spooler looks up in them (the Local Port monitor, the
// system's print processor, the universal printer driver's modules).
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt::sim {

inline constexpr std::string_view kSystemFileNote = "simulated system file";

// The file `name` (any case) for `machine`; a DLL that exports nothing for
// names the simulation has no exports for.
std::string SystemDll(std::string_view name, std::uint16_t machine);

}  // namespace kvt::sim
