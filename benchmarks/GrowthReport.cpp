#include "benchmarks/GrowthReport.h"

#include <iomanip>
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

void GrowthReporter::ReportRuns(const std::vector<Run>& reports) {
    benchmark::ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
        if (run.run_type != Run::RT_Iteration) continue;
        const std::string family = run.run_name.function_name;
        if (run.error_occurred) {
            failures_.push_back(run.benchmark_name() + ": " + run.error_message);
            continue;
        }
        if (!families_.count(family)) order_.push_back(family);
        Measurement measured;
        measured.n = static_cast<std::size_t>(std::stoull(run.run_name.args));
        measured.objects = CounterValue(run, "objects");
        measured.secondsPerRun = run.iterations > 0 ? run.cpu_accumulated_time / static_cast<double>(run.iterations) : 0;
        measured.peakHeapBytes = CounterValue(run, "peak_heap");
        families_[family].push_back(measured);
    }
}

void GrowthReporter::Finalize() {
    std::ostream& out = GetOutputStream();
    out << "\nGrowth (processor time; objects = printers + user forms + INF files + USB device nodes)\n\n"
        << "| benchmark | N | objects | time per run | time per object | ratio to previous size | peak heap of a run |\n"
        << "|---|---:|---:|---:|---:|---:|---:|\n";
    for (const std::string& family : order_) {
        const Measurement* previous = nullptr;
        for (const Measurement& m : families_[family]) {
            std::string ratio = "";
            if (previous != nullptr && previous->secondsPerRun > 0 && previous->objects > 0) {
                const double timeRatio = m.secondsPerRun / previous->secondsPerRun;
                const double allowed = kLinearSlack * m.objects / previous->objects;
                ratio = Fixed(timeRatio, 1) + (timeRatio > allowed ? " (not linear)" : "");
                if (timeRatio > allowed)
                    failures_.push_back(family + ": " + ratio + " times the time for " +
                                        Fixed(m.objects / previous->objects, 0) + " times the objects");
            }
            out << "| " << family << " | " << m.n << " | " << static_cast<long long>(m.objects) << " | "
                << DurationText(m.secondsPerRun) << " | "
                << (m.objects > 0 ? DurationText(m.secondsPerRun / m.objects) : std::string("-")) << " | " << ratio
                << " | " << ByteText(m.peakHeapBytes) << " |\n";
            previous = &m;
        }
    }
    out << "\nPeak resident set of the benchmark process (ru_maxrss, with every grown system held): "
        << ByteText(static_cast<double>(PeakResidentBytes())) << "\n";
    if (failures_.empty()) {
        out << "Growth: linear (each tenfold size at most " << kLinearSlack * 10 << " times the time).\n";
        return;
    }
    out << "Growth check FAILED:\n";
    for (const std::string& failure : failures_) out << "  " << failure << "\n";
}

}  // namespace kvt::bench
