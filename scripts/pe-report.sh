#!/usr/bin/env bash
# The size and the import list of every PE file that the package ships, as
# the tables of docs/performance.md: for the i686 build (build/win32) and the
# x86_64 build (build/win64), the setup programs, the plug-in and the
# language monitor. Build both presets first (scripts/test.sh does).
#   scripts/pe-report.sh [WIN32_BUILD] [WIN64_BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
win32="${1:-build/win32}"
win64="${2:-build/win64}"


# The shipped files of one build; the plug-in and the monitor of the
# build's own architecture.
pe_files() {
    local build="$1" driver="$2"
    for file in KVT580duo_Installer.exe KVT580duo_Uninstaller.exe "$driver/UI580D.dll" "$driver/MON580D.dll"; do
        [ -f "$build/dist/$file" ] || { echo "missing: $build/dist/$file" >&2; exit 1; }
        echo "$build/dist/$file"
    done
}

# "DLL: function, function, ..." per imported DLL, in the order of the
# import table.
imports() {
    local objdump="$1" file="$2"
    "$objdump" -p "$file" | awk '
        /DLL Name:/ { if (dll != "") print dll ": " list; dll = $3; list = ""; next }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { list = list (list == "" ? "" : ", ") $3 }
        /^$/ && dll != "" && list != "" { print dll ": " list; dll = ""; list = "" }
        END { if (dll != "") print dll ": " list }'
}

report() {
    local title="$1" objdump="$2" build="$3" driver="$4"
    echo "### $title"
    echo
    echo "| file | size (bytes) | size | imported DLLs |"
    echo "|---|---:|---:|---|"
    local file
    while read -r file; do
        local bytes dlls
        bytes=$(stat -c %s "$file")
        dlls=$(imports "$objdump" "$file" | cut -d: -f1 | paste -sd, - | sed 's/,/, /g')
        printf '| %s | %d | %s | %s |\n' "${file#"$build"/dist/}" "$bytes" \
            "$(awk -v b="$bytes" 'BEGIN { printf "%.0f KiB", b / 1024 }')" "$dlls"
    done < <(pe_files "$build" "$driver")
    echo
    while read -r file; do
        echo "Imports of ${file#"$build"/dist/}:"
        echo
        imports "$objdump" "$file" | sed 's/^/- /'
        echo
    done < <(pe_files "$build" "$driver")
}

report "i686 (the shipped setup programs, the 32-bit plug-in and monitor)" i686-w64-mingw32-objdump "$win32" Driver32
report "x86_64 (the 64-bit plug-in and monitor; the setup programs of the Wine tests)" x86_64-w64-mingw32-objdump "$win64" Driver64

installer="$win32/dist/KVT580duo_Installer.exe"
limit=$((1024 * 1024))
size=$(stat -c %s "$installer")
if [ "$size" -lt "$limit" ]; then
    echo "The i686 installer is $size bytes, under 1 MiB ($limit bytes)."
else
    echo "FAIL: the i686 installer is $size bytes, not under 1 MiB ($limit bytes)."
    exit 1
fi
