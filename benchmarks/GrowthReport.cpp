#include "benchmarks/GrowthReport.h"

#include <algorithm>
#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include "benchmarks/AllocationCounter.h"

namespace kvt::bench {
namespace {

// `value` with `decimals` digits after the point, then `unit`.
std::string Fixed(double value, int decimals, std::string_view unit = {}) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    if (!unit.empty()) text << ' ' << unit;
    return text.str();
}

double CounterValue(const benchmark::BenchmarkReporter::Run& run, const char* name) {
    auto found = run.counters.find(name);
    return found == run.counters.end() ? 0.0 : found->second.value;
}

}  // namespace

std::string DurationText(double seconds) {
    if (seconds >= 1.0) return Fixed(seconds, 2, "s");
    if (seconds >= 1e-3) return Fixed(seconds * 1e3, 2, "ms");
    if (seconds >= 1e-6) return Fixed(seconds * 1e6, 2, "us");
    return Fixed(seconds * 1e9, 1, "ns");
}

std::string ByteText(double bytes) {
    if (bytes >= 1024.0 * 1024.0) return Fixed(bytes / (1024.0 * 1024.0), 1, "MiB");
    return Fixed(bytes / 1024.0, 0, "KiB");
}

bool IsReference(const std::string& family) { return family.rfind(kReferencePrefix, 0) == 0; }

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

GrowthReporter::Measurement& GrowthReporter::measurement(const std::string& family, std::size_t n) {
    if (!families_.count(family)) order_.push_back(family);
    std::vector<Measurement>& sizes = families_[family];
    for (Measurement& m : sizes)
        if (m.n == n) return m;
    sizes.push_back(Measurement{n, 0, {}, 0});
    return sizes.back();
}

void GrowthReporter::ReportRuns(const std::vector<Run>& reports) {
    // The console shows a benchmark's median when it was repeated.
    std::vector<Run> shown;
    for (const Run& run : reports)
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") shown.push_back(run);
    if (shown.empty()) shown = reports;
    benchmark::ConsoleReporter::ReportRuns(shown);

    for (const Run& run : reports) {
        if (run.run_type != Run::RT_Iteration) continue;
        if (run.error_occurred) {
            failures_.push_back(run.benchmark_name() + ": " + run.error_message);
            continue;
        }
        Measurement& m = measurement(run.run_name.function_name, std::stoull(run.run_name.args));
        m.objects = CounterValue(run, "objects");
        if (run.iterations > 0)
            m.secondsPerRun.push_back(run.cpu_accumulated_time / static_cast<double>(run.iterations));
        m.peakHeapBytes = std::max(m.peakHeapBytes, CounterValue(run, "peak_heap"));
    }
}

std::optional<double> GrowthReporter::machineRatio(std::size_t n) const {
    auto found = families_.find(std::string(kMachineReference));
    if (found == families_.end()) return std::nullopt;
    const Measurement* previous = nullptr;
    for (const Measurement& m : found->second) {
        if (m.n == n && previous != nullptr) {
            const double before = Median(previous->secondsPerRun);
            if (before <= 0 || previous->objects <= 0) return std::nullopt;
            // Per object, so that it compares with any benchmark's step.
            return Median(m.secondsPerRun) / before / (m.objects / previous->objects);
        }
        previous = &m;
    }
    return std::nullopt;
}

void GrowthReporter::Finalize() {
    std::ostream& out = GetOutputStream();
    out << "\nGrowth (processor time, median of the repetitions; objects = printers + user forms + INF files + USB "
           "device nodes)\n\n"
        << "| benchmark | N | objects | time per run | time per object | ratio to previous size "
           "| ratio after the machine's own growth | peak heap of a run |\n"
        << "|---|---:|---:|---:|---:|---:|---:|---:|\n";
    std::vector<std::string> overAbsolute;
    for (const std::string& family : order_) {
        const Measurement* previous = nullptr;
        for (const Measurement& m : families_[family]) {
            std::string ratio, adjusted;
            const double seconds = Median(m.secondsPerRun);
            const double previousSeconds = previous != nullptr ? Median(previous->secondsPerRun) : 0;
            if (previousSeconds > 0 && previous->objects > 0) {
                const double timeRatio = seconds / previousSeconds;
                const double objectRatio = m.objects / previous->objects;
                const double allowed = kLinearSlack * objectRatio;
                ratio = Fixed(timeRatio, 1);
                if (IsReference(family)) {
                    ratio += " (reference)";
                } else {
                    // The machine's memory makes the same work cost more per
                    // object in a larger system (caches, TLB, allocator); the
                    // copy of the system measures that growth, and dividing
                    // it out leaves the growth of the work itself.
                    const double machine = machineRatio(m.n).value_or(1.0);
                    const double workRatio = timeRatio / std::max(machine, 1.0);
                    adjusted = Fixed(workRatio, 1) + (workRatio > allowed ? " (not linear)" : "");
                    if (workRatio > allowed)
                        failures_.push_back(family + ": " + Fixed(workRatio, 1) + " times the time for " +
                                            Fixed(objectRatio, 0) + " times the objects, after the machine's own growth");
                    if (timeRatio > allowed) overAbsolute.push_back(family + "/" + std::to_string(m.n) + " " + ratio);
                }
            }
            out << "| " << family << " | " << m.n << " | " << static_cast<long long>(m.objects) << " | "
                << DurationText(seconds) << " | "
                << (m.objects > 0 ? DurationText(seconds / m.objects) : std::string("-")) << " | " << ratio << " | "
                << adjusted << " | " << ByteText(m.peakHeapBytes) << " |\n";
            previous = &m;
        }
    }
    out << "\nPeak resident set of the benchmark process (ru_maxrss, with every grown system held): "
        << ByteText(static_cast<double>(PeakResidentBytes())) << "\n";
    for (std::size_t n : {std::size_t{1000}, std::size_t{10000}})
        if (const std::optional<double> machine = machineRatio(n))
            out << "The machine's own growth up to N = " << n << ": " << kMachineReference << " took "
                << Fixed(*machine, 2) << " times the time per object.\n";
    if (!overAbsolute.empty()) {
        out << "Over " << kLinearSlack * 10 << " times in processor time, before the machine's own growth is divided out:";
        for (const std::string& step : overAbsolute) out << "\n  " << step;
        out << "\n";
    }
    if (failures_.empty()) {
        out << "Growth: linear (each tenfold size at most " << kLinearSlack * 10
            << " times the time, after the machine's own growth).\n";
        return;
    }
    out << "Growth check FAILED:\n";
    for (const std::string& failure : failures_) out << "  " << failure << "\n";
}

}  // namespace kvt::bench
