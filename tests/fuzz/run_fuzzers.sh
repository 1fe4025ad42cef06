#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (tests/fuzz/CMakeLists.txt, outside
# the gcc presets) and runs each for a bounded time, starting from its corpus
# in tests/fuzz/corpus/<target>/; any finding fails. New inputs that the runs
# find are not written back into the repository; a crashing input is kept
# and its path printed, so it can join the corpus with its regression test.
# Usage: run_fuzzers.sh [SECONDS_PER_TARGET] [TARGET...]
#   default 30 seconds (KVT_FUZZ_SECONDS also sets it) and every target;
#   KVT_FUZZ_BUILD names the build folder (default build/fuzz).
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-${KVT_FUZZ_SECONDS:-30}}"
shift || true
build="$(realpath -m "${KVT_FUZZ_BUILD:-$root/build/fuzz}")"  # the runs start in their own folders
all_targets=(command_codec inf_file image_json configuration_file registry_helpers)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

command -v clang++ >/dev/null || { echo "FAIL: clang++ is missing (apt-get install -y clang libclang-rt-14-dev)"; exit 1; }

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

work="$(mktemp -d "${TMPDIR:-/tmp}/kvt-fuzz.XXXXXX")"
keep_work=0
trap '[ "$keep_work" = 1 ] || rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
    seeds="$root/tests/fuzz/corpus/$target"
    [ -d "$seeds" ] || { echo "FAIL: no corpus $seeds"; exit 1; }
    mkdir -p "$work/$target/new"
    # The first folder receives what the run finds; the seeds stay as they are.
    if (cd "$work/$target" && "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/$target/" \
            "$work/$target/new" "$seeds" 2>"$work/$target/fuzz.log"); then
        runs=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$work/$target/fuzz.log")
        echo "$target: ${runs:-?} inputs in ${seconds} s without a finding"
    else
        tail -40 "$work/$target/fuzz.log"
        for artifact in "$work/$target"/crash-* "$work/$target"/leak-* "$work/$target"/timeout-* \
                        "$work/$target"/oom-*; do
            [ -e "$artifact" ] && echo "finding kept: $artifact (add it to tests/fuzz/corpus/$target/ with its regression test)"
        done
        keep_work=1
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAIL: findings in ${failed[*]}"
    exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${seconds} s each without a finding."
