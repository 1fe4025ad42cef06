#pragma once
// The console output of Google Benchmark, followed by a table that puts the
// sizes of each benchmark side by side: time per run, time per object, the
// ratio of each size's time to the previous size's, and the run's peak heap.
// Cost that grows linearly with the system gives a ratio near the ratio of
// the objects (ten); anything above 1.2 times that ratio is reported as not
// linear.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace kvt::bench {

inline constexpr double kLinearSlack = 1.2;

class GrowthReporter final : public benchmark::ConsoleReporter {
public:
    GrowthReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override;
    void Finalize() override;

    // Every benchmark ran, and every one grew linearly.
    bool passed() const { return failures_.empty(); }

    struct Measurement {
        std::size_t n = 0;
        double objects = 0;
        double secondsPerRun = 0;
        double peakHeapBytes = 0;
    };

private:
    std::vector<std::string> order_;
    std::map<std::string, std::vector<Measurement>> families_;
    std::vector<std::string> failures_;
};

// "12.3 ms", "4.56 us", "1.23 s".
std::string DurationText(double seconds);
// "5.2 MiB", "812 KiB".
std::string ByteText(double bytes);

}  // namespace kvt::bench
