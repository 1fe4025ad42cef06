#include "platform/sim/ProcessorDataTypes.h"

#include <algorithm>
#include <utility>

namespace kvt::sim {

ProcessorDataTypes::ProcessorDataTypes() { types_["winprint.dll"] = systemTypes(); }

void ProcessorDataTypes::describe(std::string_view dllFileName, std::vector<std::string> dataTypes) {
    types_[std::string(dllFileName)] = std::move(dataTypes);
}

const std::vector<std::string>& ProcessorDataTypes::of(std::string_view dllFileName) const {
    static const std::vector<std::string> none;
    const auto found = types_.find(std::string(dllFileName));
    return found == types_.end() ? none : found->second;
}

const std::vector<std::string>& ProcessorDataTypes::systemTypes() {
    static const std::vector<std::string> types{"RAW",          "RAW [FF appended]", "RAW [FF auto]", "NT EMF 1.003",
                                                "NT EMF 1.006", "NT EMF 1.007",      "NT EMF 1.008",  "TEXT"};
    return types;
}

bool ContainsDataType(const std::vector<std::string>& types, std::string_view dataType) {
    return std::any_of(types.begin(), types.end(),
                       [dataType](const std::string& known) { return EqualsNoCase(known, dataType); });
}

}  // namespace kvt::sim
