#!/usr/bin/env bash
# Runs adapter_probe.exe in a fresh 64-bit Wine prefix and checks its report
# and the installer log it leaves in the prefix. Usage: run_adapter_probe.sh PROBE.exe
set -u

probe="${1:?usage: run_adapter_probe.sh PROBE.exe}"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

fail() {
    echo "FAIL: $*"
    exit 1
}

[ -x "$wine" ] || fail "$wine is missing: install the 64-bit Wine loader (apt-get install -y wine64)"
[ -f "$probe" ] || fail "probe not built: $probe"

work="$(mktemp -d "${TMPDIR:-/tmp}/kvt-adapter-probe.XXXXXX")"
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

cleanup() {
    [ -x "$wineserver" ] && "$wineserver" -k >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# The 64-bit-only prefix warns that syswow64\rundll32.exe cannot start; harmless.
if ! "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
    cat "$work/wineboot.log"
    fail "wineboot could not make the prefix"
fi

"$wine" "$probe" >"$work/probe.out" 2>"$work/probe.err"
status=$?
tr -d '\r' <"$work/probe.out" >"$work/report.txt"
cat "$work/report.txt"

[ "$status" -eq 0 ] || fail "the probe exited with $status"
if grep -q '^FAIL' "$work/report.txt"; then fail "the probe reported failures"; fi
oks=$(grep -c '^OK ' "$work/report.txt")
# The probe reports every check; far fewer lines means it stopped early.
[ "$oks" -ge 30 ] || fail "only $oks checks reported"

log="$WINEPREFIX/drive_c/Temp/KVT-580duo_Installer.txt"
[ -f "$log" ] || fail "no installer log at $log"
for line in "CheckOS BEGIN" "osvi.dwPlatformID   : 2" "CheckOS END" "The process is running under WOW64." \
            "AdapterProbe BEGIN" "AdapterProbe END"; do
    grep -q "^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: $line"$'\r'"\$" "$log" || fail "the log lacks the line \"$line\""
done
# Every line ends with CR LF; the "\r\n" messages leave empty lines between the stamps.
lines=$(wc -l <"$log")
crlf=$(grep -c $'\r$' "$log")
[ "$lines" -eq "$crlf" ] || fail "the log has lines without CR LF"
echo "wine_adapter_probe: $oks checks held; log $log as expected"
