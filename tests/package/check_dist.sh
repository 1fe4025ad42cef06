#!/usr/bin/env bash
# Checks the dist folder of a cross build: the preset's own architecture
# folder holds the built plug-in and language monitor, the other folder
# placeholders that name the preset building them, the top the built
# programs; every other DLL or program file of the package is a stand-in or a
# placeholder, never a stale binary; the monitor exports its entry point
# undecorated, as the spooler looks it up.
# Usage: check_dist.sh OBJDUMP DIST OWN_FOLDER UI580D.dll MON580D.dll [PROGRAM.exe...]
# A PROGRAM given as FOLDER/NAME.exe=FILE lies in that folder of dist, not at
# the top.
set -u

objdump="${1:?usage: check_dist.sh OBJDUMP DIST OWN_FOLDER UI580D.dll MON580D.dll [PROGRAM.exe...]}"
dist="${2:?}"
own="${3:?}"
plugin="${4:?}"
monitor="${5:?}"
shift 5

fail() {
    echo "FAIL: $*"
    bad=1
}
bad=0

case "$own" in
    Driver32) other=Driver64 other_preset="win64 preset" ;;
    Driver64) other=Driver32 other_preset="win32 preset" ;;
    *) echo "FAIL: unknown folder $own"; exit 1 ;;
esac

is_pe() { [ "$(head -c 2 "$1")" = MZ ]; }

cmp -s "$plugin" "$dist/$own/UI580D.dll" || fail "$own/UI580D.dll is not the built plug-in"
cmp -s "$monitor" "$dist/$own/MON580D.dll" || fail "$own/MON580D.dll is not the built language monitor"
# The place in dist of a PROGRAM argument, and its built file.
place_of() { case "$1" in *=*) echo "${1%%=*}" ;; *) basename "$1" ;; esac; }
file_of() { case "$1" in *=*) echo "${1#*=}" ;; *) echo "$1" ;; esac; }
for program in "$@"; do
    cmp -s "$(file_of "$program")" "$dist/$(place_of "$program")" || fail "$(place_of "$program") is not the built program"
done
for name in UI580D.dll MON580D.dll; do
    grep -q "^Placeholder for $name.*$other_preset" "$dist/$other/$name" ||
        fail "$other/$name is not a placeholder naming the $other_preset"
done

while IFS= read -r -d '' file; do
    relative="${file#"$dist"/}"
    built=0
    [ "$relative" = "$own/UI580D.dll" ] || [ "$relative" = "$own/MON580D.dll" ] && built=1
    for program in "$@"; do [ "$relative" = "$(place_of "$program")" ] && built=1; done
    if [ "$built" = 1 ]; then
        is_pe "$file" || fail "$relative should be a built binary"
    elif ! grep -qE '^(Stand-in|Placeholder) for ' "$file"; then
        fail "$relative is neither built here nor a stand-in or placeholder"
    fi
done < <(find "$dist" -type f \( -iname '*.dll' -o -iname '*.exe' \) -print0)

"$objdump" -p "$dist/$own/MON580D.dll" | grep -qE '^[[:space:]]+\[[[:space:]]*[0-9]+\] InitializePrintMonitor2$' ||
    fail "MON580D.dll does not export InitializePrintMonitor2 undecorated"

[ "$bad" -eq 0 ] || exit 1
echo "dist_layout: $own holds the built binaries, $other placeholders, $# program(s) in place"
