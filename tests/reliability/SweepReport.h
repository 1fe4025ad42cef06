#pragma once
// The summary lines of the sweep and the campaign: printed with the test's
// output, kept as a test property, and written to a file per scenario in the
// build tree, which the CI script prints after the tests (ctest shows the
// output of tests that pass only when asked to).
#include <string>
#include <string_view>

namespace kvt::test {

// `kind` is "sweep" or "campaign"; `scenarioId` names the file.
void ReportSummary(std::string_view kind, std::string_view scenarioId, const std::string& line);

}  // namespace kvt::test
