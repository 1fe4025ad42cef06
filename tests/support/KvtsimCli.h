#pragma once
// kvtsim's command line run in-process, with its standard streams captured.
#include <sstream>
#include <string>
#include <vector>

#include "tools/kvtsim/KvtsimCli.h"

namespace kvt::kvtsim::test {

struct Outcome {
    int status;
    std::string out, err;
};

inline Outcome RunCli(const std::vector<std::string>& args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunKvtsim(args, in, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace kvt::kvtsim::test
