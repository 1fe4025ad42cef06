#include "benchmarks/BenchmarkSystems.h"

#include <map>
#include <string>
#include <utility>

#include "benchmarks/AllocationCounter.h"

namespace kvt::bench {

const sim::World* CachedSystem(benchmark::State& state, std::string_view os, std::size_t n) {
    static std::map<std::pair<std::string, std::size_t>, sim::World> systems;
    const auto key = std::pair{std::string(os), n};
    if (auto found = systems.find(key); found != systems.end()) return &found->second;
    std::string problem;
    sim::World world = GrownSystem(os, n, problem);
    if (problem.empty()) {
        const SystemCounts counts = CountSystem(world), expected = ExpectedCounts(n);
        if (counts.objects() != expected.objects() || counts.productPrinters != expected.productPrinters ||
            counts.productForms != expected.productForms || counts.productInfs != expected.productInfs ||
            counts.productDevices != expected.productDevices)
            problem = "the grown system does not hold what it should";
    }
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return nullptr;
    }
    return &systems.emplace(key, std::move(world)).first->second;
}

void HeapPeak::start() {
    before_ = LiveHeapBytes();
    ResetHeapPeak();
}

void HeapPeak::stop() {
    const std::size_t peak = PeakHeapBytes();
    if (peak > before_ && peak - before_ > most_) most_ = peak - before_;
}

void ReportCounters(benchmark::State& state, std::size_t n, const HeapPeak& peak) {
    state.counters["objects"] = static_cast<double>(ExpectedCounts(n).objects());
    state.counters["peak_heap"] = benchmark::Counter(static_cast<double>(peak.bytes()), benchmark::Counter::kDefaults,
                                                     benchmark::Counter::kIs1024);
}

}  // namespace kvt::bench
