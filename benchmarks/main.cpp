// kvt_benchmarks: the cost of the setup programs and of the plug-in's form
// lists as the system they work on grows. Google Benchmark's options apply
// (--benchmark_filter=Uninstall, --benchmark_out=FILE ...). Exit status 1
// when a benchmark failed or did not grow linearly.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "benchmarks/BenchmarkSystems.h"
#include "benchmarks/GrowthReport.h"

int main(int argc, char** argv) {
    // Freed memory stays in the process. Otherwise glibc hands the large
    // blocks of a big system back to the kernel after each run and the next
    // run pays page faults to get them again, while a small system's blocks
    // are reused: the sizes would not be measured alike.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    kvt::bench::RegisterSetupBenchmarks();
    kvt::bench::RegisterPluginBenchmarks();
    kvt::bench::GrowthReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.passed() ? 0 : 1;
}
