#!/usr/bin/env bash
# Unattended deployment of the x86_64 setup programs in a fresh 64-bit Wine
# prefix under Xvfb, as a deployment tool runs them: kvt_winauto's "watch"
# starts each program with its command line, fails on any window it shows
# and reports its exit code.
#
#   The installer with "/quiet /port=COM2" shows no window and ends with
#   3010: the new driver and its printer are in, and the restart that the
#   interactive program asks for is needed and was not made. The prefix
#   reports Windows XP x64, whose sequence registers the driver with the
#   spooler itself; on Vista and later the system's printer installation
#   does it, and Wine's printui installs nothing, so a quiet run there ends,
#   truthfully, with 1603. Afterwards a printer of the driver is on COM2:
#   and the uninstall entry holds the values deployment tools read.
#
#   The uninstaller, started from the entry's QuietUninstallString, shows no
#   window and ends with 3010 (the driver went; a restart is needed). No
#   printer of the driver and no uninstall entry is left.
#
#   The installer with an unknown option ends with 87 and shows no window.
#
# The wall times of the quiet runs are printed for docs/performance.md.
#
# Usage: run_quiet_deployment.sh kvt_winauto.exe DIST_FOLDER
set -u

winauto="${1:?usage: run_quiet_deployment.sh kvt_winauto.exe DIST_FOLDER}"
dist="${2:?usage: run_quiet_deployment.sh kvt_winauto.exe DIST_FOLDER}"

driver='NORVEX KVT-580duo'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\NORVEX_KVT-580duo'

. "$(dirname "${BASH_SOURCE[0]}")/wine_session.sh"
wine_session quiet
[ -f "$winauto" ] || fail "helper not built: $winauto"
[ -f "$dist/KVT580duo_Installer.exe" ] || fail "no installer in the package folder $dist (build the target kvt_dist)"
start_xvfb 191 240

auto() { "$wine" "$winauto" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

boot_prefix "$work/prefix"
"$wine" winecfg -v winxp64 >/dev/null 2>&1 || fail "winecfg -v winxp64 failed"
mkdir -p "$WINEPREFIX/drive_c/NORVEX"
cp -r "$dist/." "$WINEPREFIX/drive_c/NORVEX/"
log="$WINEPREFIX/drive_c/Temp/KVT-580duo_Installer.txt"
uninstall_log="$WINEPREFIX/drive_c/Temp/KVT-580duo_UnInstaller.txt"

# Runs a program through "watch": prints its report and sets $code to the
# program's exit code; fails when it showed a window or did not end.
watched() {
    local started report status
    started=$(date +%s.%N)
    report=$(auto watch "$@")
    status=$?
    elapsed=$(echo "$(date +%s.%N) - $started" | bc)
    echo "$report"
    [ "$status" -eq 0 ] || [ "$status" -eq 6 ] || fail "watch $1 $3 ended with helper code $status (5: a window)"
    code=$(sed -n 's/^exit code: //p' <<<"$report")
    [ -n "$code" ] || fail "no exit code for $1"
}

# --- Quiet installation -------------------------------------------------------
watched 'C:\NORVEX\KVT580duo_Installer.exe' 300000 /quiet /port=COM2
[ "$code" = 3010 ] || { cat "$log"; fail "the quiet installer ended with $code, not 3010"; }
echo "quiet installation: ${elapsed}s"
printers=$(auto printers) || fail "cannot list the printers"
echo "$printers"
awk -F'\t' -v d="$driver" '$2 == d && $3 == "COM2:"' <<<"$printers" | grep -q . ||
    { cat "$log"; fail "no printer of \"$driver\" on COM2:"; }

entry=$("$wine" reg query "$uninstall_key" /reg:64 2>/dev/null | tr -d '\r')
echo "$entry"
for value in 'DisplayVersion[[:space:]]+REG_SZ[[:space:]]+3\.4\.3$' 'Publisher[[:space:]]+REG_SZ[[:space:]]+NORVEX$' \
    'NoModify[[:space:]]+REG_DWORD[[:space:]]+0x1$' 'NoRepair[[:space:]]+REG_DWORD[[:space:]]+0x1$' \
    'EstimatedSize[[:space:]]+REG_DWORD[[:space:]]+0x[0-9a-f]+$' 'DisplayIcon[[:space:]]+REG_SZ[[:space:]]+.*KVT580duo_Uninstaller\.exe$'; do
    grep -Eq "$value" <<<"$entry" || fail "the uninstall entry lacks $value"
done
quiet_string=$(sed -nE 's/^[[:space:]]*QuietUninstallString[[:space:]]+REG_SZ[[:space:]]+//p' <<<"$entry")
[[ "$quiet_string" =~ ^\"([^\"]+)\"\ (/quiet)$ ]] || fail "QuietUninstallString is not a quoted path and /quiet: $quiet_string"
uninstaller="${BASH_REMATCH[1]}"
uninstaller_args="${BASH_REMATCH[2]}"

# --- Quiet uninstallation from the entry -------------------------------------
watched "$uninstaller" 300000 $uninstaller_args
[ "$code" = 3010 ] || { cat "$uninstall_log"; fail "the quiet uninstaller ended with $code, not 3010"; }
echo "quiet uninstallation: ${elapsed}s"
printers=$(auto printers) || fail "cannot list the printers"
awk -F'\t' -v d="$driver" '$2 == d' <<<"$printers" | grep -q . && fail "a printer of \"$driver\" is left"
"$wine" reg query "$uninstall_key" /reg:64 >/dev/null 2>&1 && fail "the uninstall entry is left"

# --- A bad command line --------------------------------------------------------
watched 'C:\NORVEX\KVT580duo_Installer.exe' 60000 /quiet /port=COM2 /silent
[ "$code" = 87 ] || fail "a bad option ended with $code, not 87"
tr -d '\r' <"$log" | grep -qF 'MESSAGE : Unknown option or bad value: /silent' || fail "the log does not name the bad option"
echo "wine_quiet_deployment: 3010 without a window, printer on COM2:, entry values, quiet uninstall 3010, bad option 87"
