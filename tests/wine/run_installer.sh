#!/usr/bin/env bash
# Runs the x86_64 installer from the package folder in fresh 64-bit Wine
# prefixes under Xvfb and drives it as a user would, with kvt_winauto:
#
#   Windows XP x64: the "Port Type" dialog shows; a second copy started now
#   must end with code 0 without a window of its own; COM2 and "Next"; the
#   restart question is answered No; the program ends with code 0. Then a
#   printer of the driver is on COM2:, the uninstall entry is complete and the
#   log holds the steps of the XP sequence in their order.
#
#   Then the uninstaller that the installation left in C:\windows\KVT-580duo
#   shows the printer in its check list, checked; clearing the box disables
#   Uninstall and setting it enables it again; Uninstall, and No to the
#   restart question. Afterwards no printer of the driver is left and the
#   uninstall entry is gone. A start of the installer after that, with every
#   earlier copy ended, shows the "Port Type" dialog again.
#
#   Windows 7: the same choice takes the system's printer installation.
#   Wine's printui returns at once and installs nothing, so this run shows the
#   command line, the uninstall entry and the log, not a printer; and the
#   installer, finding no driver afterwards, says that the driver could not be
#   installed instead of asking for the restart.
#
# With KVT_UPDATE_SCREENSHOTS=1 the screenshots (the port dialog, the
# progress window with the restart question, the uninstaller's check list)
# replace docs/images/*.png.
#
# Usage: run_installer.sh kvt_winauto.exe DIST_FOLDER
set -u

winauto="${1:?usage: run_installer.sh kvt_winauto.exe DIST_FOLDER}"
dist="${2:?usage: run_installer.sh kvt_winauto.exe DIST_FOLDER}"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

driver='NORVEX KVT-580duo'
caption='KVT580duo_Installer'
restart_question='Please restart your computer.'
failure_message='The driver could not be installed.'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\NORVEX_KVT-580duo'
kit_windows='C:\NORVEX'

. "$(dirname "${BASH_SOURCE[0]}")/wine_session.sh"
wine_session installer
command -v import >/dev/null || fail "import is missing (apt-get install -y imagemagick)"
[ -f "$winauto" ] || fail "helper not built: $winauto"
[ -f "$dist/KVT580duo_Installer.exe" ] || fail "no installer in the package folder $dist (build the target kvt_dist)"

installer_pid=""

# Ends the prefix's programs, the installer started last included.
stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && [ -x "$wineserver" ] && "$wineserver" -k >/dev/null 2>&1
    [ -n "$installer_pid" ] && wait "$installer_pid" 2>/dev/null
    installer_pid=""
}
wine_session_before_exit() { stop_wine; }

start_xvfb 141 190

auto() { "$wine" "$winauto" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# A fresh prefix reporting `version`, with the package in C:\NORVEX.
make_prefix() {
    local name="$1" version="$2"
    boot_prefix "$work/$name"
    "$wine" winecfg -v "$version" >/dev/null 2>&1 || fail "winecfg -v $version failed"
    # No window manager runs on Xvfb: Wine draws the frames itself, and the
    # caption buttons need the symbol font in the prefix.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    kit="$WINEPREFIX/drive_c/NORVEX"
    mkdir -p "$kit"
    cp -r "$dist/." "$kit/"
    log="$WINEPREFIX/drive_c/Temp/KVT-580duo_Installer.txt"
}

# Started from its folder, as a user's double click does.
start_installer() {
    rm -f "$work/installer.status"
    (cd "$kit" && "$wine" KVT580duo_Installer.exe >"$work/installer.out" 2>&1; echo $? >"$work/installer.status") &
    installer_pid=$!
}

installer_status() {
    for _ in $(seq 600); do
        [ -s "$work/installer.status" ] && { cat "$work/installer.status"; return; }
        sleep 0.1
    done
    echo "still running"
}

screenshot() {
    import -window root "$work/screen.png" && convert "$work/screen.png" -trim +repage "$work/$1"
    if [ "${KVT_UPDATE_SCREENSHOTS:-0}" = 1 ]; then
        mkdir -p "$source_dir/docs/images"
        cp "$work/$1" "$source_dir/docs/images/$1"
        echo "updated docs/images/$1"
    fi
}

# Chooses COM2 in the "Port Type" dialog and answers the restart question No,
# or with "failure" as a third argument, OK to the message that the driver
# could not be installed.
choose_com2_and_decline_restart() {
    local shot_port="$1" shot_progress="$2" ending="${3:-restart}"
    auto wait "Port Type" 60000 >/dev/null || { cat "$log" 2>/dev/null; fail "no \"Port Type\" dialog"; }
    auto controls "Port Type"
    [ -n "$shot_port" ] && screenshot "$shot_port"
    auto click "Port Type" COM2 || fail "cannot click COM2"
    auto checked "Port Type" "#1008" || fail "COM2 (1008) is not marked after the click"
    auto checked "Port Type" "#1006" && fail "COM1 (1006) is still marked beside COM2"
    auto click "Port Type" Next || fail "cannot press Next"
    auto gone "Port Type" 10000 || fail "the \"Port Type\" dialog stayed after Next"

    local text
    auto wait "$caption" 300000 >/dev/null || { cat "$log"; fail "no message box at the end"; }
    sleep 1
    [ -n "$shot_progress" ] && screenshot "$shot_progress"
    if [ "$ending" = failure ]; then
        text=$(auto answer "$caption" "$failure_message" OK 10000) || { echo "$text"; auto controls "$caption"; cat "$log"; fail "the message box is not the failure message"; }
        echo "failure message: $text"
        grep -qF 'See C:\Temp\KVT-580duo_Installer.txt for details.' <<<"$text" || fail "the failure message does not name the log"
    else
        text=$(auto answer "$caption" "$restart_question" No 10000) || { echo "$text"; auto controls "$caption"; cat "$log"; fail "the message box is not the restart question"; }
        echo "restart question: $text"
        grep -qF '[No] I will restart my computer later.' <<<"$text" || fail "the restart question lacks its [No] line"
    fi
    local status
    status=$(installer_status)
    installer_pid=""
    [ "$status" = 0 ] || { cat "$log"; fail "the installer ended with \"$status\", not 0"; }
}

# Lines of the log without time stamps and CR.
log_messages() { tr -d '\r' <"$log" | sed -E 's/^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: //'; }

# The given "X BEGIN" lines stand in the log in this order (others may come between).
expect_steps_in_order() {
    local begins expected position=0 line
    begins=$(log_messages | grep -E ' BEGIN$')
    for expected in "$@"; do
        line=$(tail -n +"$((position + 1))" <<<"$begins" | grep -nxF -m1 "$expected BEGIN" | cut -d: -f1)
        [ -n "$line" ] || { printf '%s\n' "$begins"; fail "\"$expected BEGIN\" missing from the log, or out of order"; }
        position=$((position + line))
    done
}

expect_uninstall_entry() {
    local entry value
    entry=$("$wine" reg query "$uninstall_key" /reg:64 2>/dev/null | tr -d '\r') || fail "no uninstall entry $uninstall_key"
    echo "$entry"
    for value in DisplayName UninstallString InfFile; do
        grep -Eq "^[[:space:]]+$value[[:space:]]+REG_SZ[[:space:]]+[^[:space:]]" <<<"$entry" ||
            fail "the uninstall entry lacks a value $value"
    done
    grep -Eq 'UninstallString[[:space:]]+REG_SZ[[:space:]]+.*KVT580duo_Uninstaller\.exe' <<<"$entry" ||
        fail "UninstallString does not name the uninstaller"
}

# --- Windows XP x64 -----------------------------------------------------------
make_prefix xp winxp64
start_installer
auto wait "Port Type" 60000 >/dev/null || { cat "$work/installer.out"; fail "no \"Port Type\" dialog on XP"; }
cp "$log" "$work/log-before-second-copy.txt" 2>/dev/null || fail "the first copy wrote no log"

# A second copy brings the first forward and ends without a window.
watch=$(auto watch "$kit_windows\\KVT580duo_Installer.exe" 60000)
watch_status=$?
echo "$watch"
[ "$watch_status" -eq 0 ] || fail "the second copy did not end quietly with code 0 (helper code $watch_status)"
[ "$(auto count "Port Type")" = 1 ] || fail "there is not exactly one \"Port Type\" window after the second copy"
[ "$(auto count "Installation Progress")" = 1 ] || fail "a second \"Installation Progress\" window appeared"
# It did not start a log of its own: the first copy's lines are all still there.
cmp -s -n "$(stat -c %s "$work/log-before-second-copy.txt")" "$work/log-before-second-copy.txt" "$log" ||
    fail "the second copy restarted the log"
echo "foreground after the second copy: $(auto foreground)"

choose_com2_and_decline_restart installer-port-type.png installer-progress.png

printers=$(auto printers) || fail "cannot list the printers"
echo "printers:"
echo "$printers"
awk -F'\t' -v d="$driver" '$2 == d && $3 == "COM2:"' <<<"$printers" | grep -q . ||
    fail "no printer of the driver \"$driver\" on COM2:"
expect_uninstall_entry
expect_steps_in_order CheckOS SetSystemInfo AddToWin2K DeleteVidPid DeletePrnDrvPnPDirectory Delete_LPT_USB_Info \
    CopyFilesNeededToAddPrnDrv AddLanguageMonitor AddPrinterProcessor AddPrinterDriverToSystem AddPrinterToSystem \
    CopyINFFile DeleteFilesUsed RegisterUninstallInfo CopyFilesOfUtilities
log_messages | grep -qxF 'AddToWin2K END' || fail "the log lacks \"AddToWin2K END\""
lines=$(wc -l <"$log")
[ "$lines" -eq "$(grep -c $'\r$' "$log")" ] || fail "the log has lines without CR LF"
echo "XP x64: second copy quiet, COM2 printer of $driver, uninstall entry, $lines log lines in order"

# --- The uninstaller after the XP installation ----------------------------------
. "$(dirname "${BASH_SOURCE[0]}")/uninstall_after_install.sh"
uninstall_after_install

# --- A start after the earlier copies have ended -------------------------------
# Both starts above counted themselves in the shared record; with no copy of
# the installer left, a new start runs as the first did and shows its dialog.
start_installer
auto wait "Port Type" 60000 >/dev/null ||
    { cat "$work/installer.out"; fail "a start after the earlier copies had ended showed no \"Port Type\" dialog"; }
[ "$(auto count "Port Type")" = 1 ] || fail "there is not exactly one \"Port Type\" window on the later start"
echo "XP x64: a start after the earlier copies had ended shows the \"Port Type\" dialog"
stop_wine
# The copy that stop_wine ended writes its status now, not into the next run's.
wait "$installer_pid" 2>/dev/null
installer_pid=""

# --- Windows 7 -----------------------------------------------------------------
make_prefix win7 win7
start_installer
choose_com2_and_decline_restart "" "" failure
expect_uninstall_entry
expect_steps_in_order CheckOS AddToWin2KWithWHQL RegisterUninstallInfo CopyFilesOfUtilities
command_line="COMMAND LINE : cmd /c RUNDLL32 printui.dll,PrintUIEntry /if /b \"$driver\" /f .\\kvt580d.inf /r \"COM2:\" /m \"$driver\""
log_messages | grep -qxF -- "$command_line" || { log_messages; fail "the log lacks the line: $command_line"; }
log_messages | grep -qxF 'AddToWin2KWithWHQL END' || fail "the log lacks \"AddToWin2KWithWHQL END\""
log_messages | grep -qxF "$driver PRINTER DRIVER IS NOT INSTALLED FOR Windows x64." ||
    fail "the log does not say that the driver is missing"
stop_wine
echo "Windows 7: printui command line, uninstall entry, log in order, the missing driver reported"
echo "wine_installer: both runs behaved as a user would see them"
