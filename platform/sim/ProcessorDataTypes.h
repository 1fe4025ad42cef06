#pragma once
// The data types each print-processor DLL enumerates
// (EnumPrintProcessorDatatypes), by the DLL's file name in any case. The
// system's own winprint.dll is the simulation's knowledge; the data types of
// any other processor are handed over by whoever composes the simulation, as
// the module's behaviour is theirs. A DLL nobody described enumerates none.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/CaseInsensitive.h"

namespace kvt::sim {

class ProcessorDataTypes {
public:
    ProcessorDataTypes();

    void describe(std::string_view dllFileName, std::vector<std::string> dataTypes);
    // In the order the processor lists them; the first is a printer's default.
    const std::vector<std::string>& of(std::string_view dllFileName) const;

    // The data types of the system's own print processor.
    static const std::vector<std::string>& systemTypes();

private:
    std::map<std::string, std::vector<std::string>, CaseInsensitiveLess> types_;
};

bool ContainsDataType(const std::vector<std::string>& types, std::string_view dataType);

}  // namespace kvt::sim
