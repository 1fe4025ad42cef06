#include <set>
#include <stdexcept>

#include "tests/differential/ScriptRunner.h"
#include "tests/differential/Scripts.h"

namespace kvt::diff {

std::string Hex(const std::string& bytes) { return ToHex(std::vector<std::uint8_t>(bytes.begin(), bytes.end())); }

nlohmann::json BuildScripts(const std::vector<InfSource>& infs) {
    std::vector<Script> scripts;
    AddRegistryScripts(scripts);
    AddFileScripts(scripts);
    AddProfileScripts(scripts);
    AddSpoolerScripts(scripts);
    AddInfScripts(infs, scripts);
    // The Windows side shares one system between all scripts: a name used
    // twice would meet the first script's leftovers.
    std::set<std::string> names;
    nlohmann::json all = nlohmann::json::array();
    for (const Script& script : scripts) {
        if (!names.insert(script.name()).second) throw std::logic_error("two scripts named " + script.name());
        all.push_back(script.json());
    }
    return all;
}

}  // namespace kvt::diff
