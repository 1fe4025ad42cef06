#pragma once
// The console output of Google Benchmark (the median of each benchmark's
// repetitions), followed by a table that puts the sizes of each benchmark
// side by side: time per run, time per object, the ratio of each size's
// time to the previous size's, and the run's peak heap. Times are medians
// over the repetitions, so that another program's burst on the machine
// does not decide a ratio. Cost that grows linearly with the system gives a
// ratio near the ratio of the objects (ten); anything above 1.2 times that
// ratio is reported as not linear. The machine itself does not stay linear:
// its caches and the allocator make the same work over ten times the memory
// cost more per byte. A plain copy of the grown system (the reference
// kMachineReference) measures that, and each ratio is judged after dividing
// out the reference's growth per object; both ratios are shown.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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

    // One size of one benchmark, over its repetitions.
    struct Measurement {
        std::size_t n = 0;
        double objects = 0;
        std::vector<double> secondsPerRun;
        double peakHeapBytes = 0;
    };

private:
    Measurement& measurement(const std::string& family, std::size_t n);
    // How much more the machine's reference took per object at size `n`
    // than at the size before; nothing when the reference did not run.
    std::optional<double> machineRatio(std::size_t n) const;

    std::vector<std::string> order_;
    std::map<std::string, std::vector<Measurement>> families_;
    std::vector<std::string> failures_;
};

// "12.3 ms", "4.56 us", "1.23 s".
std::string DurationText(double seconds);
// "5.2 MiB", "812 KiB".
std::string ByteText(double bytes);
// Benchmarks named "Reference/..." measure the machine, not the product:
// their ratios are shown and not judged.
inline constexpr std::string_view kReferencePrefix = "Reference/";
bool IsReference(const std::string& family);
// The reference whose growth is the machine's own: a copy of the grown
// system, plain linear work over its memory.
inline constexpr std::string_view kMachineReference = "Reference/SystemCopy/win10-x64";
// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

}  // namespace kvt::bench
