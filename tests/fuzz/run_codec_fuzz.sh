#!/usr/bin/env bash
# The command codec's fuzzer alone, for a bounded time; run_fuzzers.sh runs
# every target.
# Usage: run_codec_fuzz.sh [SECONDS]   (default 60; KVT_FUZZ_SECONDS also sets it)
set -euo pipefail
exec "$(dirname "$0")/run_fuzzers.sh" "${1:-${KVT_FUZZ_SECONDS:-60}}" command_codec
