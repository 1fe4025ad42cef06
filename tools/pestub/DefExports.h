#pragma once
// The exports a module-definition (.def) file lists, and the module name of
// its LIBRARY line: what the linker gives the real DLL, so that a stand-in
// built from the same file exports the same names.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::pestub {

struct DefExports {
    std::string library;  // empty without a LIBRARY line
    std::vector<std::string> names;
};

// Comments (";" to the end of the line), "PRIVATE", "DATA" and "@ordinal"
// are left out; a name "=internal" keeps its exported name.
DefExports ReadDefExports(std::string_view text);

}  // namespace kvt::pestub
