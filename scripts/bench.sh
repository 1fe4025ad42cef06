#!/usr/bin/env bash
# The benchmarks of growing systems (docs/performance.md): configures a
# native optimised build (RelWithDebInfo: -O2, with the symbols a profiler
# needs), builds kvt_benchmarks and runs it. It prints Google
# Benchmark's table, then the growth table (time per run and per object, the
# ratio between sizes, the peak heap of a run) and exits 1 when a benchmark
# failed or did not grow linearly. About five minutes on two cores.
#   scripts/bench.sh [BENCHMARK OPTIONS]   e.g. --benchmark_filter=Uninstall
# KVT_BENCH_BUILD names another build folder (default build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh native

build="${KVT_BENCH_BUILD:-build/bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target kvt_benchmarks -j "$(nproc)"
"$build/benchmarks/kvt_benchmarks" "$@"
