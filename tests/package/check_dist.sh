#!/usr/bin/env bash
# Checks the dist folder of a cross build: the preset's own architecture
# folder holds the built driver DLLs (the two plug-ins, the resource DLL, the
# language monitor and the print processor), the other folder placeholders
# that name the preset building them, both folders the GPD itself, the top
# the built programs; every other DLL or program file of the package is a
# stand-in or a placeholder, never a stale binary; the monitor, the print
# processor and the rendering plug-in export their entry points undecorated,
# as the spooler and the universal driver look them up.
# Usage: check_dist.sh OBJDUMP DIST OWN_FOLDER UI580D.dll MON580D.dll UNI580D.dll KVT580D.dll PRO580D.dll
#                      KVT580D.GPD [PROGRAM.exe...]
# A PROGRAM given as FOLDER/NAME.exe=FILE lies in that folder of dist, not at
# the top.
set -u

usage="usage: check_dist.sh OBJDUMP DIST OWN_FOLDER UI580D.dll MON580D.dll UNI580D.dll KVT580D.dll PRO580D.dll KVT580D.GPD [PROGRAM.exe...]"
objdump="${1:?$usage}"
dist="${2:?$usage}"
own="${3:?$usage}"
declare -A built_dll=([UI580D.dll]="${4:?$usage}" [MON580D.dll]="${5:?$usage}" [UNI580D.dll]="${6:?$usage}"
                      [KVT580D.dll]="${7:?$usage}" [PRO580D.dll]="${8:?$usage}")
gpd="${9:?$usage}"
shift 9

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

for name in "${!built_dll[@]}"; do
    cmp -s "${built_dll[$name]}" "$dist/$own/$name" || fail "$own/$name is not the built $name"
done
for folder in Driver32 Driver64; do
    cmp -s "$gpd" "$dist/$folder/KVT580D.GPD" || fail "$folder/KVT580D.GPD is not the package's GPD"
done
# The place in dist of a PROGRAM argument, and its built file.
place_of() { case "$1" in *=*) echo "${1%%=*}" ;; *) basename "$1" ;; esac; }
file_of() { case "$1" in *=*) echo "${1#*=}" ;; *) echo "$1" ;; esac; }
for program in "$@"; do
    cmp -s "$(file_of "$program")" "$dist/$(place_of "$program")" || fail "$(place_of "$program") is not the built program"
done
for name in "${!built_dll[@]}"; do
    grep -q "^Placeholder for $name.*$other_preset" "$dist/$other/$name" ||
        fail "$other/$name is not a placeholder naming the $other_preset"
done

while IFS= read -r -d '' file; do
    relative="${file#"$dist"/}"
    built=0
    for name in "${!built_dll[@]}"; do [ "$relative" = "$own/$name" ] && built=1; done
    for program in "$@"; do [ "$relative" = "$(place_of "$program")" ] && built=1; done
    if [ "$built" = 1 ]; then
        is_pe "$file" || fail "$relative should be a built binary"
    elif ! grep -qE '^(Stand-in|Placeholder) for ' "$file"; then
        fail "$relative is neither built here nor a stand-in or placeholder"
    fi
done < <(find "$dist" -type f \( -iname '*.dll' -o -iname '*.exe' \) -print0)

exports_name() {  # DLL FUNCTION
    "$objdump" -p "$dist/$own/$1" | grep -qE "^[[:space:]]+\[[[:space:]]*[0-9]+\] $2\$" ||
        fail "$1 does not export $2 undecorated"
}
exports_name MON580D.dll InitializePrintMonitor2
for function in EnumPrintProcessorDatatypesW OpenPrintProcessor PrintDocumentOnPrintProcessor ClosePrintProcessor \
    ControlPrintProcessor GetPrintProcessorCapabilities; do
    exports_name PRO580D.dll "$function"
done
for function in DllGetClassObject DllCanUnloadNow; do exports_name UNI580D.dll "$function"; done

[ "$bad" -eq 0 ] || exit 1
echo "dist_layout: $own holds the built binaries, $other placeholders, $# program(s) in place"
