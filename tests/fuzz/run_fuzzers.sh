#!/usr/bin/env bash
# Builds the libFuzzer targets in the native-asan preset (clang; they are
# part of that build, tests/fuzz/CMakeLists.txt) and runs each for a bounded
# time, starting from its corpus in tests/fuzz/corpus/<target>/, as many at
# once as there are cores; any finding fails. New inputs that the runs
# find are not written back into the repository; a crashing input is kept
# and its path printed, so it can join the corpus with its regression test.
# Usage: run_fuzzers.sh [SECONDS_PER_TARGET] [TARGET...]
#   default 30 seconds (KVT_FUZZ_SECONDS also sets it) and every target;
#   KVT_FUZZ_BUILD names the build folder of a configured native-asan build
#   (default build/native-asan, configured by its preset when missing).
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-${KVT_FUZZ_SECONDS:-30}}"
shift || true
build="$(realpath -m "${KVT_FUZZ_BUILD:-$root/build/native-asan}")"  # the runs start in their own folders
all_targets=(command_codec inf_file image_json configuration_file registry_helpers pe_image)
# Targets whose inputs are small enough that a shorter run covers them.
declare -A max_seconds=([pe_image]=15)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

command -v clang++ >/dev/null || { echo "FAIL: clang++ is missing (apt-get install -y clang libclang-rt-14-dev)"; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    (cd "$root" && cmake --preset native-asan -B "$build" >/dev/null)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

work="$(mktemp -d "${TMPDIR:-/tmp}/kvt-fuzz.XXXXXX")"
keep_work=0
trap '[ "$keep_work" = 1 ] || rm -rf "$work"' EXIT

# One target's run; its verdict lands in $work/<target>/verdict.
fuzz() {
    local target="$1"
    local seeds="$root/tests/fuzz/corpus/$target"
    mkdir -p "$work/$target/new"
    local budget="$seconds"
    [ -n "${max_seconds[$target]:-}" ] && [ "${max_seconds[$target]}" -lt "$budget" ] && budget="${max_seconds[$target]}"
    # The first folder receives what the run finds; the seeds stay as they are.
    if (cd "$work/$target" && "$build/tests/fuzz/$target" -max_total_time="$budget" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/$target/" \
            "$work/$target/new" "$seeds" 2>"$work/$target/fuzz.log"); then
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$work/$target/fuzz.log")
        echo "$target: ${runs:-?} inputs in ${budget} s without a finding" >"$work/$target/verdict"
    else
        echo "FAIL" >"$work/$target/verdict"
    fi
}

for target in "${targets[@]}"; do
    [ -d "$root/tests/fuzz/corpus/$target" ] || { echo "FAIL: no corpus $root/tests/fuzz/corpus/$target"; exit 1; }
done
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
    fuzz "$target" &
done
wait

failed=()
for target in "${targets[@]}"; do
    if [ "$(cat "$work/$target/verdict" 2>/dev/null)" = FAIL ] || [ ! -s "$work/$target/verdict" ]; then
        tail -40 "$work/$target/fuzz.log"
        for artifact in "$work/$target"/crash-* "$work/$target"/leak-* "$work/$target"/timeout-* \
                        "$work/$target"/oom-*; do
            [ -e "$artifact" ] && echo "finding kept: $artifact (add it to tests/fuzz/corpus/$target/ with its regression test)"
        done
        keep_work=1
        failed+=("$target")
    else
        cat "$work/$target/verdict"
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAIL: findings in ${failed[*]}"
    exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${seconds} s each without a finding."
