#pragma once
// What every run of a setup program promises, whatever fails under it:
// nothing escapes the program, the process ends (exit code 0) and it ends in
// the program's own words (its completion text, its closing question, or
// one of its error or refusal messages), never silently; and it changes
// nothing that the product does not own (ProductObjects.h) in any way the
// unfaulted run did not.
#include <string>
#include <vector>

#include "tests/reliability/FaultedRun.h"
#include "tests/reliability/SweepScenarios.h"

namespace kvt::test {

// The promises `faulted` broke, one line each; empty when it kept them all.
// `unfaulted` is the scenario's run without faults.
std::vector<std::string> BrokenPromises(const SweepScenario& scenario, const FaultedRun& unfaulted,
                                        const FaultedRun& faulted);

// The last words of a run: its last message box or step text.
std::string LastWords(const kvtsim::ProgramRun& run);

}  // namespace kvt::test
