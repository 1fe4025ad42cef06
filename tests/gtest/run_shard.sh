#!/usr/bin/env bash
# Runs one shard of a GoogleTest binary as one process and keeps its XML
# report (the case counts of scripts/test.sh come from these reports).
# A binary that dies instead of failing (a crash, a sanitizer's abort) would
# hide every failure after the crash: the shard's tests then run again one
# process each, so that every failure is still reported and the dead test
# is named.
# Usage: run_shard.sh BINARY INDEX TOTAL REPORT_DIR [GTEST OPTION...]
set -uo pipefail

binary="$1" index="$2" total="$3" reports="$4"
shift 4
name="$(basename "$binary")-$index-of-$total"
mkdir -p "$reports"
rm -rf "$reports/$name.xml" "$reports/$name"

GTEST_TOTAL_SHARDS="$total" GTEST_SHARD_INDEX="$index" \
    "$binary" --gtest_output="xml:$reports/$name.xml" "$@"
status=$?
# 0: passed; 1: GoogleTest's own "some test failed". Anything else is a death.
[ "$status" -le 1 ] && exit "$status"
rm -f "$reports/$name.xml"

echo "*** $binary (shard $index of $total) died with status $status; its tests run again one at a time"
# The shard's tests: GoogleTest deals the runnable (not disabled) tests out in
# their listed order, the i-th to shard i mod TOTAL.
mapfile -t tests < <("$binary" --gtest_list_tests "$@" | awk -v total="$total" -v shard="$index" '
    /^[^ ]/ { suite = $1; next }
    { test = $1
      if (suite ~ /(^|\/)DISABLED_/ || test ~ /^DISABLED_/) next
      if (n++ % total == shard) print suite test }')
mkdir -p "$reports/$name"
dead=()
failed=0
for i in "${!tests[@]}"; do
    test="${tests[$i]}"
    "$binary" --gtest_filter="$test" --gtest_output="xml:$reports/$name/$i.xml" "$@" >"$reports/$name/$i.log" 2>&1
    case $? in
        0) ;;
        1) failed=$((failed + 1)); cat "$reports/$name/$i.log" ;;
        *) dead+=("$test"); cat "$reports/$name/$i.log"; rm -f "$reports/$name/$i.xml"
           # The report counts the test, failed, though it wrote none itself.
           printf '<testsuites tests="1" failures="1" disabled="0" errors="0"></testsuites>\n' >"$reports/$name/$i.xml" ;;
    esac
done
echo "*** shard $index of $total: ${#tests[@]} tests, $failed failed, ${#dead[@]} died: ${dead[*]:-}"
exit 1
