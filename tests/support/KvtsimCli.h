#pragma once
// kvtsim's command line run in-process, with its standard streams captured.
#include <gtest/gtest.h>
#include <unistd.h>

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

// A path in the scratch folder of this test process: the test binaries run
// in several shards at once, so a fixed name would be shared between them.
inline std::string ScratchPath(const std::string& name) {
    return ::testing::TempDir() + "kvt-" + std::to_string(::getpid()) + "-" + name;
}

}  // namespace kvt::kvtsim::test
