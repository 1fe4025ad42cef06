#!/usr/bin/env bash
# Runs adapter_probe.exe in a fresh 64-bit Wine prefix and checks its report
# and the installer log it leaves in the prefix. Usage: run_adapter_probe.sh PROBE.exe
set -u

probe="${1:?usage: run_adapter_probe.sh PROBE.exe}"
. "$(dirname "${BASH_SOURCE[0]}")/wine_session.sh"
wine_session adapter-probe
[ -f "$probe" ] || fail "probe not built: $probe"
boot_prefix "$work/prefix"

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
