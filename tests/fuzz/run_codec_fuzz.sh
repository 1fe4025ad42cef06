#!/usr/bin/env bash
# Builds the command codec's libFuzzer target with clang (outside the gcc
# presets) and runs it for a bounded time; any finding fails.
# Usage: run_codec_fuzz.sh [SECONDS]   (default 60; KVT_FUZZ_SECONDS also sets it)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-${KVT_FUZZ_SECONDS:-60}}"
clang=clang++

command -v "$clang" >/dev/null || { echo "FAIL: $clang is missing (apt-get install -y clang libclang-rt-14-dev)"; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kvt-codec-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT

"$clang" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "$root/driversrc/kvt-580duo/DrvPackage/CommandCodec.cpp" "$root/tests/fuzz/CommandCodecFuzz.cpp" \
    -o "$work/codec_fuzz"

# A few texts and byte strings of the page as a starting corpus.
mkdir -p "$work/corpus"
printf '%s' '<1B4A00>' >"$work/corpus/group"
printf '%s' '<1B>J<00>' >"$work/corpus/mixed"
printf '%s' '<1B4>A' >"$work/corpus/odd"
printf '%s' '<=1B=' >"$work/corpus/unclosed"
printf '\x1bJ\x00<>' >"$work/corpus/bytes"

cd "$work"
"$work/codec_fuzz" -max_total_time="$seconds" -max_len=4200 -print_final_stats=1 "$work/corpus" 2>"$work/fuzz.log" || {
    tail -40 "$work/fuzz.log"
    echo "FAIL: the codec fuzzer found a fault"
    exit 1
}
runs=$(sed -n 's/^stat::number_of_executed_units:[[:space:]]*//p' "$work/fuzz.log")
echo "codec_fuzz: ${runs:-?} inputs in ${seconds} s without a finding"
