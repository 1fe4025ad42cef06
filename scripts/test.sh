#!/usr/bin/env bash
# Every test of the project: installs what is missing, then configures, builds
# and tests the four presets (native, native-asan, win32, win64; the win64
# preset runs the Windows test programs under wine64), then runs every
# libFuzzer target for 30 seconds (five targets: two and a half minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh all

jobs=$(nproc)
for preset in native native-asan win32 win64; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  rm -rf "build/$preset/reliability"
  ctest --preset "$preset" -j "$jobs"
  # The fault sweep's and the fault campaign's summary lines, one per scenario.
  if [ -d "build/$preset/reliability" ]; then
    cat "build/$preset/reliability"/*.txt 2>/dev/null || true
  fi
done
echo "=== fuzzers ==="
tests/fuzz/run_fuzzers.sh 30
echo "All tests passed in all four presets and the fuzzers."
