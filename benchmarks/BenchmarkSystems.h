#pragma once
// What the benchmarks share: the sizes they grow through, grown systems made
// once per release and size and kept for every benchmark of the run, and the
// counters each benchmark reports (objects in the system, peak heap of one
// run).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string_view>

#include "benchmarks/GrownSystem.h"

namespace kvt::bench {

inline constexpr std::size_t kSizes[] = {100, 1000, 10000};

// The grown system of `os` and size `n`; null, with the benchmark skipped
// and the reason given, when it cannot be made.
const sim::World* CachedSystem(benchmark::State& state, std::string_view os, std::size_t n);

// Tracks the heap that the measured work needs on top of what was alive
// before it, over every iteration of a benchmark.
class HeapPeak {
public:
    // Just before the measured work.
    void start();
    // Just after it.
    void stop();
    std::size_t bytes() const { return most_; }

private:
    std::size_t before_ = 0;
    std::size_t most_ = 0;
};

// "objects" and "peak_heap" of the benchmark's output.
void ReportCounters(benchmark::State& state, std::size_t n, const HeapPeak& peak);

// Each size runs this often; the growth table takes the median.
inline constexpr int kRepetitions = 3;

// Registers `function` as "NAME/N" for every size.
template <typename Function>
void RegisterGrowing(const char* name, Function function) {
    benchmark::internal::Benchmark* registered = benchmark::RegisterBenchmark(name, function);
    for (std::size_t n : kSizes) registered->Arg(static_cast<std::int64_t>(n));
    registered->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
}

void RegisterSetupBenchmarks();
void RegisterPluginBenchmarks();

}  // namespace kvt::bench
