#pragma once
// The bounds a test sets on one simulated run. Waits cost nothing in virtual
// time, so a program that loops without end would keep a test busy for ever;
// past its bounds the run is torn down by this exception instead. Like
// ProcessExited it is not derived from std::exception, so that no handler of
// the product can swallow it.
#include <string>

namespace kvt::sim {

struct RunLimitExceeded {
    std::string reason;
};

}  // namespace kvt::sim
