#!/usr/bin/env bash
# Every test of the project: installs what is missing, then configures, builds
# and tests the four presets (native; native-asan, clang with the sanitizers,
# whose build also holds the libFuzzer targets; win32; win64, which runs the
# Windows test programs under wine64), and runs every libFuzzer target for 30
# seconds, as many at once as there are cores; then signs the package of the
# two cross builds with a throw-away certificate and checks its signatures
# and catalog (tests/package/check_signing.sh). It ends with the wall time of
# each phase and the number of test cases each preset ran.
#   scripts/test.sh           everything (what CI runs)
#   scripts/test.sh --quick   the edit loop: rebuild the native preset and run
#                             its tests, nothing else
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  "") presets=(native native-asan fuzzers win32 win64 signing); packages=all ;;
  --quick) presets=(native); packages=native ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac
scripts/ensure-packages.sh "$packages"

jobs=$(nproc)
timings=()
counts=()
started=$SECONDS

# Runs a phase and keeps its wall time for the table at the end.
timed() {
  local name="$1" start=$SECONDS status=0
  shift
  "$@" || status=$?
  timings+=("$(printf '%-24s %5d s' "$name" $((SECONDS - start)))")
  return "$status"
}

report() {
  local status=$?
  echo "=== wall time of each phase ==="
  printf '%s\n' "${timings[@]}"
  printf '%-24s %5d s\n' "total" $((SECONDS - started))
  if [ ${#counts[@]} -gt 0 ]; then
    echo "=== tests run ==="
    printf '%s\n' "${counts[@]}"
  fi
  [ "$status" -eq 0 ] || echo "FAILED (exit $status)"
}
trap report EXIT

# The GoogleTest cases that a preset's shards ran (disabled ones not counted),
# from their XML reports.
gtest_cases() {
  find "build/$1/test-reports" -name '*.xml' -exec sed -n 's/.*<testsuites tests="\([0-9]*\)".* disabled="\([0-9]*\)".*/\1 \2/p' {} + 2>/dev/null |
    awk '{ total += $1 - $2 } END { print total + 0 }'
}

count_tests() {
  local preset="$1" all shards
  all=$(ctest --preset "$preset" -N | sed -n 's/^Total Tests: //p')
  shards=$(ctest --preset "$preset" -N -L gtest | sed -n 's/^Total Tests: //p')
  counts+=("$(printf '%-12s %5d GoogleTest cases in %d processes, %d other checks' \
    "$preset" "$(gtest_cases "$preset")" "$shards" $((all - shards)))")
}

for preset in "${presets[@]}"; do
  echo "=== $preset ==="
  if [ "$preset" = signing ]; then
    # The package of the two cross builds, signed with a throw-away
    # certificate and checked as a release is.
    timed "signing (check)" tests/package/check_signing.sh build/native/tools/catalog/kvtcat build/win32/dist build/win64/dist
    counts+=("signing      1 check of the signed package")
    continue
  fi
  if [ "$preset" = fuzzers ]; then
    # The targets were built with the native-asan preset.
    timed "fuzzers (run)" tests/fuzz/run_fuzzers.sh 30
    counts+=("fuzzers      6 libFuzzer targets of 30 s each (pe_image 15 s)")
    continue
  fi
  timed "$preset configure" cmake --preset "$preset" >/dev/null
  timed "$preset build" cmake --build --preset "$preset" -j "$jobs"
  rm -rf "build/$preset/reliability" "build/$preset/test-reports"
  timed "$preset test" ctest --preset "$preset" -j "$jobs"
  count_tests "$preset"
  # The fault sweep's and the fault campaign's summary lines, one per scenario.
  if [ -d "build/$preset/reliability" ]; then
    cat "build/$preset/reliability"/*.txt 2>/dev/null || true
  fi
done
if [ "${1:-}" = --quick ]; then
  echo "The native tests passed."
else
  echo "All tests passed in all four presets and the fuzzers."
fi
