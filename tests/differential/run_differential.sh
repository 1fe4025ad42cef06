#!/usr/bin/env bash
# The differential test: builds the scripts from the INF files of a fresh
# 64-bit Wine prefix (and Wine's own wine.inf), runs them all in one wine64
# process through the Win32 adapters, runs them on the simulated Windows, and
# compares. Usage: run_differential.sh diff_wine_exec.exe kvt_diff DIVERGENCES.json
set -u

executor="${1:?usage: run_differential.sh EXECUTOR.exe KVT_DIFF DIVERGENCES}"
kvt_diff="${2:?}"
divergences="${3:?}"
. "$(dirname "${BASH_SOURCE[0]}")/../wine/wine_session.sh"
wine_session differential
[ -f "$executor" ] || fail "executor not built: $executor"
[ -x "$kvt_diff" ] || fail "$kvt_diff is missing: build the native preset first (cmake --build build/native --target kvt_diff)"
boot_prefix "$work/prefix"

# wine.inf is read from Wine's data folder, where wineboot itself reads it.
wine_inf=""
for candidate in /usr/share/wine/wine.inf /usr/share/wine/wine/wine.inf "$(dirname "$(readlink -f "$wine")")/../../share/wine/wine.inf"; do
    if [ -f "$candidate" ]; then wine_inf="$candidate"; break; fi
done
[ -n "$wine_inf" ] || fail "Wine's wine.inf was not found"
shopt -s nullglob
prefix_infs=("$WINEPREFIX/drive_c/windows/inf/"*.inf)
[ ${#prefix_infs[@]} -gt 0 ] || fail "the fresh prefix has no INF files"

"$kvt_diff" scripts "$wine_inf" "${prefix_infs[@]}" >"$work/scripts.json" || fail "the scripts could not be built"
"$wine" "$executor" "Z:${work//\//\\}\\scripts.json" "Z:${work//\//\\}\\wine.json" >"$work/wine.out" 2>&1
status=$?
[ "$status" -eq 0 ] || { cat "$work/wine.out"; fail "the Windows side exited with $status"; }
"$kvt_diff" run "$work/scripts.json" "$work/sim.json" || fail "the simulated side failed"
"$kvt_diff" compare "$work/sim.json" "$work/wine.json" "$divergences" || fail "the simulation and Wine disagree"
