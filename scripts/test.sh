#!/usr/bin/env bash
# Every test of the project: installs what is missing, then configures, builds
# and tests the four presets (native, native-asan, win32, win64; the win64
# preset runs the Windows test programs under wine64), then runs the command
# codec's fuzzer for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh all

jobs=$(nproc)
for preset in native native-asan win32 win64; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "=== codec fuzzer ==="
tests/fuzz/run_codec_fuzz.sh 60
echo "All tests passed in all four presets and the codec fuzzer."
