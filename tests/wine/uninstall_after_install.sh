# The uninstaller's part of the Wine installer test, sourced by
# run_installer.sh once its XP installation has been checked: the prefix,
# the helpers (auto, screenshot, fail) and the names ($driver,
# $uninstall_key) are that script's.

uninstaller_title='NORVEX KVT-580duo Uninstaller'
uninstaller_caption='KVT580duo_Uninstaller'
uninstaller_question='Please restart the computer.'

uninstaller_status() {
    for _ in $(seq 1200); do
        [ -s "$work/uninstaller.status" ] && { cat "$work/uninstaller.status"; return; }
        sleep 0.1
    done
    echo "still running"
}

# The check list once the window has filled it (the first timer tick).
filled_check_list() {
    local items=""
    for _ in $(seq 100); do
        items=$(auto checklist "$uninstaller_title" "#1006")
        [ -n "$items" ] && break
        sleep 0.2
    done
    printf '%s\n' "$items"
}

uninstall_after_install() {
    local folder="$WINEPREFIX/drive_c/windows/KVT-580duo"
    local uninstall_log="$WINEPREFIX/drive_c/Temp/KVT-580duo_UnInstaller.txt"
    [ -f "$folder/KVT580duo_Uninstaller.exe" ] || fail "the installation left no uninstaller in C:\\windows\\KVT-580duo"
    # On 64-bit Windows the device removal program lies beside it.
    [ -f "$folder/KVT580duo_DeviceRemoval.exe" ] || fail "the installation left no device removal program beside the uninstaller"

    # Started from its folder, as Windows starts it from the uninstall entry.
    (cd "$folder" && "$wine" KVT580duo_Uninstaller.exe >"$work/uninstaller.out" 2>&1
     echo $? >"$work/uninstaller.status") &
    installer_pid=$!
    auto wait "$uninstaller_title" 60000 >/dev/null || { cat "$work/uninstaller.out"; fail "no uninstaller window"; }

    local items
    items=$(filled_check_list)
    echo "check list:"
    printf '%s\n' "$items"
    [ "$items" = "[x] $driver" ] || { auto controls "$uninstaller_title"; fail "the check list is not just \"$driver\", checked"; }
    auto enabled "$uninstaller_title" Uninstall || fail "Uninstall is disabled with the printer checked"
    auto enabled "$uninstaller_title" Cancel || fail "Cancel is disabled while the user chooses"

    # Clearing the only box disables Uninstall; setting it enables it again.
    auto toggle "$uninstaller_title" "#1006" 0 || fail "cannot toggle the check box"
    [ "$(auto checklist "$uninstaller_title" "#1006")" = "[ ] $driver" ] || fail "the box did not clear"
    auto enabled "$uninstaller_title" Uninstall && fail "Uninstall stays enabled with no box set"
    auto toggle "$uninstaller_title" "#1006" 0 || fail "cannot toggle the check box back"
    auto enabled "$uninstaller_title" Uninstall || fail "Uninstall stays disabled after the box was set again"
    screenshot uninstaller-check-list.png

    auto click "$uninstaller_title" Uninstall || fail "cannot press Uninstall"
    local text
    text=$(auto answer "$uninstaller_caption" "$uninstaller_question" No 300000) ||
        { echo "$text"; auto controls "$uninstaller_title"; cat "$uninstall_log"; fail "no restart question after the removal"; }
    echo "restart question: $text"
    grep -qF '[No] I will restart my computer later.' <<<"$text" || fail "the restart question lacks its [No] line"
    local status
    status=$(uninstaller_status)
    installer_pid=""
    [ "$status" = 0 ] || { cat "$uninstall_log"; fail "the uninstaller ended with \"$status\", not 0"; }

    local printers
    printers=$(auto printers) || fail "cannot list the printers"
    echo "printers after the uninstallation:"
    echo "$printers"
    awk -F'\t' -v d="$driver" '$2 == d' <<<"$printers" | grep -q . && fail "a printer of \"$driver\" is left"
    "$wine" reg query "$uninstall_key" /reg:64 >/dev/null 2>&1 && fail "the uninstall entry $uninstall_key is left"

    local messages
    messages=$(tr -d '\r' <"$uninstall_log" | sed -E 's/^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]: //')
    for line in "The number of printer-objects : 1" "OBJECT NAME : $driver" "RemovePrinterObjects END" \
        "DeleteUninstallInfoFromReg END"; do
        grep -qxF -- "$line" <<<"$messages" || { printf '%s\n' "$messages"; fail "the uninstaller's log lacks \"$line\""; }
    done
    # The device removal program ran (a failure would be logged) and is gone.
    grep -q "device removal program" <<<"$messages" && { printf '%s\n' "$messages"; fail "the device removal program failed"; }
    [ -f "$folder/KVT580duo_DeviceRemoval.exe" ] && fail "the uninstaller left the device removal program"
    echo "uninstaller: printer listed and checked, removed with the driver's traces, entry gone"
}
