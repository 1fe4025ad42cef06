#!/usr/bin/env bash
# Puts the package folder DIST into a fresh 64-bit Wine prefix as C:\NORVEX
# and runs package_check.exe on its Driver64 folder: the registration of the
# monitor, processor, driver and a printer on COM2: with Wine's spooler, then
# the language monitor's table. Prints each spooler call's result.
# Usage: run_package_check.sh package_check.exe DIST
set -u

check="${1:?usage: run_package_check.sh package_check.exe DIST}"
dist="${2:?usage: run_package_check.sh package_check.exe DIST}"
. "$(dirname "${BASH_SOURCE[0]}")/../../wine/wine_session.sh"
wine_session package-check
[ -f "$check" ] || fail "not built: $check"
[ -f "$dist/Driver64/MON580D.dll" ] || fail "no package in $dist (build the target kvt_dist)"
boot_prefix "$work/prefix"
"$wine" winecfg -v winxp64 >/dev/null 2>&1 || fail "winecfg -v winxp64 failed"

kit="$WINEPREFIX/drive_c/NORVEX"
mkdir -p "$kit"
cp -r "$dist/." "$kit/"

"$wine" "$check" 'C:\NORVEX\Driver64' >"$work/check.out" 2>"$work/check.err"
status=$?
tr -d '\r' <"$work/check.out" >"$work/report.txt"
cat "$work/report.txt"

[ "$status" -eq 0 ] || fail "package_check exited with $status"
grep -q '^FAIL' "$work/report.txt" && fail "package_check reported failures"
oks=$(grep -c '^OK ' "$work/report.txt")
# Every group reports; far fewer lines means one stopped early.
[ "$oks" -ge 35 ] || fail "only $oks checks reported"

# The spooler keeps the driver's files in its version folder, the monitor
# DLL stays where the installer puts it on a 64-bit system.
drivers="$WINEPREFIX/drive_c/windows/system32/spool/drivers/x64/3"
for file in UNIDRV.DLL UNIDRVUI.DLL KVT580D.GPD UI580D.dll UI580D.INI UNIRES.DLL STDNAMES.GPD KVT580D.dll UNI580D.dll; do
    find "$drivers" -maxdepth 1 -iname "$file" | grep -q . || fail "$file is not in the driver's version folder"
done
[ -f "$WINEPREFIX/drive_c/windows/MON580D.dll" ] || fail "MON580D.dll is not in the Windows directory"
echo "package_check: $oks checks held under wine64"
