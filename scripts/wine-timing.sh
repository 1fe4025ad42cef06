#!/usr/bin/env bash
# Wall time of the real x86_64 setup programs under wine64 against the
# physical floor of their flows (docs/performance.md).
#
# The scenario is the installation and uninstallation of the Wine test
# (tests/wine/run_installer.sh): a fresh Windows XP x64 prefix, the installer
# started from the package folder, COM2 and "Next" in the "Port Type" dialog,
# No to the restart question; then the uninstaller that the installation
# left, Uninstall with the printer chosen, No to its restart question.
#
# Wall time runs from the start of the program under wine64 until its
# process has ended. Not the program's time: waiting for the user in a dialog
# (from the moment the dialog is found on screen until the click), and the
# restart question, from the moment the program asks it until the answer
# comes back (MessageBoxA, timed by Wine's relay trace of that one call).
#
# The floor is what the programs' own steps make them wait: their Sleep
# calls, timed by the same trace in the very run (a Sleep may end a few
# milliseconds early or late under Wine). Beside it, for comparison, the sum
# of the Sleep calls of kvtsim's run of the same scenario: the same flow
# code with a virtual clock.
#
# Each run has a fresh prefix of its own.
#
# It builds what it needs: the win64 package and the automation helper in
# build/wine-timing (KVT_WIN64_BUILD), kvtsim in build/wine-timing-native
# (KVT_NATIVE_BUILD). Takes about a minute after the builds.
#   scripts/wine-timing.sh [RUNS]     RUNS installations and uninstallations (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
runs="${1:-3}"
win64="${KVT_WIN64_BUILD:-build/wine-timing}"
native="${KVT_NATIVE_BUILD:-build/wine-timing-native}"

scripts/ensure-packages.sh all
echo "=== building the win64 package and kvt_winauto in $win64, kvtsim in $native ==="
cmake --preset win64 -B "$win64" >/dev/null
cmake --build "$win64" --target kvt_dist kvt_winauto -j "$(nproc)" >/dev/null
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" --target kvtsim -j "$(nproc)" >/dev/null
dist="$source_dir/$win64/dist"
winauto="$source_dir/$win64/tools/win32/winauto/kvt_winauto.exe"
kvtsim="$source_dir/$native/tools/kvtsim/kvtsim"
[ -f "$winauto" ] || winauto=$(find "$source_dir/$win64" -name kvt_winauto.exe | head -n 1)

driver='NORVEX KVT-580duo'
caption='KVT580duo_Installer'
restart_question='Please restart your computer.'
uninstaller_title='NORVEX KVT-580duo Uninstaller'
uninstaller_caption='KVT580duo_Uninstaller'
uninstaller_question='Please restart the computer.'

. tests/wine/wine_session.sh
wine_session timing
start_xvfb 191 240

auto() { "$wine" "$winauto" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- The floor, from kvtsim -------------------------------------------------------
"$kvtsim" image --os xp-x64 >"$work/xp-x64.json"
cat >"$work/install-answers.json" <<'JSON'
{ "portDialog": "COM2", "messageBoxes": [ { "textContains": "restart", "answer": "no" } ] }
JSON
cat >"$work/uninstall-answers.json" <<'JSON'
{ "uninstall": { "action": "uninstall" }, "messageBoxes": [ { "textContains": "restart", "answer": "no" } ] }
JSON
"$kvtsim" run installer --system "$work/xp-x64.json" --answers "$work/install-answers.json" \
    --package "$dist" --out "$work/install.json"
"$kvtsim" run installer --system "$work/xp-x64.json" --answers "$work/install-answers.json" \
    --package "$dist" --format text >"$work/install.txt"
"$kvtsim" run uninstaller --system "$work/install.json" --answers "$work/uninstall-answers.json" \
    --package "$dist" --format text >"$work/uninstall.txt"

# The Sleep calls of a run's transcript ("sleep N ms" lines).
sleep_sum() {
    awk '$1 == "sleep" && $3 == "ms" { sum += $2 } END { print sum + 0 }' "$1"
}
sleep_count() {
    awk '$1 == "sleep" && $3 == "ms" { n++ } END { print n + 0 }' "$1"
}
install_floor=$(sleep_sum "$work/install.txt")
uninstall_floor=$(sleep_sum "$work/uninstall.txt")
install_sleeps=$(sleep_count "$work/install.txt")
uninstall_sleeps=$(sleep_count "$work/uninstall.txt")
echo "Sleep calls of the flows in kvtsim: installer $install_floor ms, uninstaller $uninstall_floor ms"

# --- The prefixes --------------------------------------------------------------------
# Each run installs on a fresh prefix: Wine's spooler keeps the driver that
# DeletePrinterDriverEx cannot remove there (it fails with 87), and the next
# installation on the same prefix would find "a different version".
fresh_prefix() {
    if [ -n "${WINEPREFIX:-}" ]; then "$wineserver" -k >/dev/null 2>&1 || true; fi
    boot_prefix "$work/xp-$1"
    "$wine" winecfg -v winxp64 >/dev/null 2>&1 || fail "winecfg -v winxp64 failed"
    # Wine traces the programs' own calls of these two functions (with
    # +relay in WINEDEBUG), and nothing else.
    "$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d 'kernel32.Sleep;user32.MessageBoxA' /f \
        >/dev/null 2>&1 || fail "cannot set the relay trace"
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    kit="$WINEPREFIX/drive_c/NORVEX"
    mkdir -p "$kit"
    cp -r "$dist/." "$kit/"
    folder="$WINEPREFIX/drive_c/windows/KVT-580duo"
    # A first start of a program loads Wine's DLLs from disk; time the warm
    # case, as the second of a user's double clicks would see it.
    "$wine" "$winauto" foreground >/dev/null 2>&1 || true
    # What any program pays under wine64 to start and end (the loader, its
    # DLLs, the Wine server): the warm start of the automation helper.
    local start
    start=$(now_ms)
    "$wine" "$winauto" foreground >/dev/null 2>&1 || true
    process_ms=$(($(now_ms) - start))
}

program_pid=""
answer_pid=""
wine_session_before_exit() {
    [ -n "$answer_pid" ] && kill "$answer_pid" 2>/dev/null
    "$wineserver" -k >/dev/null 2>&1
    [ -n "$program_pid" ] && wait "$program_pid" 2>/dev/null
    return 0
}

# Starts a helper that answers the restart question No as soon as it shows.
answer_in_background() {
    (auto answer "$1" "$2" No 600000 >"$work/answer.out" 2>&1; echo $? >"$work/answer.status") &
    answer_pid=$!
}

wait_for_program() {
    local status
    wait "$program_pid" || true
    program_pid=""
    status=$(cat "$work/program.status")
    wait "$answer_pid" || true
    answer_pid=""
    [ "$(cat "$work/answer.status")" = 0 ] || { cat "$work/answer.out"; fail "the restart question was not answered"; }
    [ "$status" = 0 ] || fail "the program ended with $status"
}

# One installation: sets wall and user (ms).
time_installation() {
    rm -f "$work/program.status" "$work/answer.status"
    local start shown clicked end
    start=$(now_ms)
    (cd "$kit" && WINEDEBUG=+timestamp,+relay "$wine" KVT580duo_Installer.exe >"$work/program.out" 2>&1
     echo $? >"$work/program.status") &
    program_pid=$!
    auto wait "Port Type" 60000 >/dev/null || fail "no \"Port Type\" dialog"
    shown=$(now_ms)
    auto click "Port Type" COM2 >/dev/null || fail "cannot click COM2"
    answer_in_background "$caption" "$restart_question"
    auto click "Port Type" Next >/dev/null || fail "cannot press Next"
    clicked=$(now_ms)
    wait_for_program
    end=$(now_ms)
    wall=$((end - start))
    user=$((clicked - shown))
}

# One uninstallation: sets wall and user (ms).
time_uninstallation() {
    rm -f "$work/program.status" "$work/answer.status"
    local start shown clicked end
    answer_in_background "$uninstaller_caption" "$uninstaller_question"
    start=$(now_ms)
    (cd "$folder" && WINEDEBUG=+timestamp,+relay "$wine" KVT580duo_Uninstaller.exe >"$work/program.out" 2>&1
     echo $? >"$work/program.status") &
    program_pid=$!
    auto wait "$uninstaller_title" 60000 >/dev/null || fail "no uninstaller window"
    shown=$(now_ms)
    for _ in $(seq 100); do
        auto enabled "$uninstaller_title" Uninstall >/dev/null && break
    done
    auto click "$uninstaller_title" Uninstall >/dev/null || fail "cannot press Uninstall"
    clicked=$(now_ms)
    wait_for_program
    end=$(now_ms)
    wall=$((end - start))
    user=$((clicked - shown))
}

# Milliseconds that the program spent in calls of FUNCTION (KERNEL32.Sleep,
# user32.MessageBoxA) in its trace, overlapping calls of several threads
# counted once.
traced_ms() {
    local function="$1"
    awk -v f="$function" '
        match($0, /^[0-9]+\.[0-9]+:/) { last = substr($0, 1, RLENGTH - 1) }
        match($0, /^[0-9]+\.[0-9]+:[0-9a-f]+:(Call|Ret) +[A-Za-z0-9_.]+\(/) {
            split($0, part, ":")
            kind = substr(part[3], 1, 4)
            name = part[3]; sub(/^(Call|Ret) +/, "", name); sub(/\(.*/, "", name)
            if (name != f) next
            if (kind == "Call") begun[part[2]] = part[1]
            else if (part[2] in begun) { print begun[part[2]], part[1]; delete begun[part[2]] }
        }
        # A call still open when the trace ends lasted until the process did:
        # the trace of its return can be lost when another thread ends the
        # process.
        END { for (thread in begun) print begun[thread], last }' "$work/program.out" | sort -n | awk '
        { if (NR == 1 || $1 > end) { total += end - start; start = $1; end = $2 } else if ($2 > end) end = $2 }
        END { if (NR > 0) total += end - start; printf "%d\n", total * 1000 + 0.5 }'
}

report() {
    local name="$1" prescribed="$2" sleeps="$3" wall="$4" user="$5"
    local asked slept
    asked=$(traced_ms user32.MessageBoxA)
    slept=$(traced_ms KERNEL32.Sleep)
    # Wine can lose the end of a trace when the process ends; with fewer
    # Sleep calls traced than the flow makes, the floor is kvtsim's sum.
    if [ "$(grep -c ':Call KERNEL32.Sleep(' "$work/program.out" || true)" -lt "$sleeps" ]; then
        slept=$prescribed
        name="$name (trace cut short: floor from kvtsim)"
    fi
    local program=$((wall - user - asked))
    local overhead=$((program - slept))
    awk -v n="$name" -v w="$wall" -v u="$((user + asked))" -v p="$program" -v s="$slept" -v f="$prescribed" \
        -v o="$overhead" 'BEGIN { printf "| %s | %d | %d | %d | %d | %d | %d | %.1f %% |\n", n, w, u, p, s, f, o,
                                  (s > 0 ? 100 * o / s : 0) }'
}

rows=()
starts=()
for run in $(seq "$runs"); do
    fresh_prefix "$run"
    starts+=("$process_ms")
    time_installation
    rows+=("$(report "installer, run $run" "$install_floor" "$install_sleeps" "$wall" "$user")")
    [ -f "$folder/KVT580duo_Uninstaller.exe" ] || fail "the installation left no uninstaller"
    time_uninstallation
    rows+=("$(report "uninstaller, run $run" "$uninstall_floor" "$uninstall_sleeps" "$wall" "$user")")
done

echo
echo "Wall time under wine64 (Windows XP x64 prefix, $(nproc) cores), in ms"
echo
echo "| program | wall | waiting for the user | program | floor: its Sleep calls | Sleep calls in kvtsim | overhead | overhead of the floor |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
printf '%s\n' "${rows[@]}"
echo
echo "A program's start and end under wine64 (warm, kvt_winauto): $(printf '%s ms ' "${starts[@]}")"
echo
echo "Waits of the flows (kvtsim, the same scenario):"
grep -E '^ *(sleep|wait|process)' "$work/install.txt" | sed 's/^/  installer:   /'
grep -E '^ *(sleep|wait|process|end)' "$work/uninstall.txt" | sed 's/^/  uninstaller: /'
