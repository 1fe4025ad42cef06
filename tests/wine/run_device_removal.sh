#!/usr/bin/env bash
# Runs KVT580duo_DeviceRemoval.exe in a fresh 64-bit Wine prefix. With a
# prefix that no device's hardware id begins with, the walk over Wine's USB
# devices reaches the end and removes nothing: exit code 0. Without a
# prefix the program refuses at once with 0x80070057, of which the Unix exit
# status keeps the low byte (87). Usage: run_device_removal.sh PROGRAM.exe
set -u

program="${1:?usage: run_device_removal.sh PROGRAM.exe}"
. "$(dirname "${BASH_SOURCE[0]}")/wine_session.sh"
wine_session device-removal
[ -f "$program" ] || fail "program not built: $program"
boot_prefix "$work/prefix"

# By its Windows path and quoted, as the setup programs start it.
cp "$program" "$WINEPREFIX/drive_c/KVT580duo_DeviceRemoval.exe"
"$wine" 'C:\KVT580duo_DeviceRemoval.exe' 'USB\Vid_0000&Pid_0000' >"$work/out" 2>&1
status=$?
[ "$status" -eq 0 ] || { cat "$work/out"; fail "with a prefix matching no device the exit status is $status, not 0"; }

"$wine" 'C:\KVT580duo_DeviceRemoval.exe' >"$work/out" 2>&1
status=$?
[ "$status" -eq 87 ] || { cat "$work/out"; fail "without a prefix the exit status is $status, not 87"; }
echo "wine_device_removal: no device removed (0), a missing prefix refused (0x80070057)"
