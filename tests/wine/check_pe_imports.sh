#!/usr/bin/env bash
# Fails when a PE file of the build imports a DLL that Windows does not ship:
# the programs and the plug-in must run on a bare system, so the compiler's
# runtime is linked in statically. Functions that older systems lack must be
# looked up at run time, never imported, or the program would not even start
# there.
#
# The files the package ships (the PE files in dist, but for the x86_64 copies
# of the setup programs at its top, which only the Wine tests run) must also
# start on the oldest release they support: i686 files on Windows 2000, x86_64
# files on Windows XP Professional x64 Edition. TABLE (import_releases.txt)
# names for every function they import the oldest release that exports it; a
# shipped file fails when it imports a function the table lacks or one of a
# later release.
#
# Usage: check_pe_imports.sh OBJDUMP TABLE BUILD_DIR
#        check_pe_imports.sh OBJDUMP TABLE --shipped FILE...
#          (the listed files only, each as a shipped file)
set -u

usage="usage: check_pe_imports.sh OBJDUMP TABLE BUILD_DIR | OBJDUMP TABLE --shipped FILE..."
objdump="${1:?$usage}"
table="${2:?$usage}"
target="${3:?$usage}"
shift 3

allowed=" KERNEL32 USER32 GDI32 ADVAPI32 SHELL32 SHLWAPI COMCTL32 COMDLG32 OLE32 OLEAUT32"
allowed+=" WINSPOOL.DRV SETUPAPI VERSION MSVCRT "
late_functions="RegDeleteKeyExA IsWow64Process GetSystemWow64DirectoryA SetupUninstallOEMInfA"
releases=(2000 XP XPx64 Vista 7 8 10)

command -v "$objdump" >/dev/null || { echo "FAIL: $objdump not found"; exit 1; }
[ -r "$table" ] || { echo "FAIL: cannot read the table $table"; exit 1; }

rank_of() {
    local i
    for i in "${!releases[@]}"; do
        [ "${releases[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

# "DLL FUNCTION RANK" for each row of the table.
bad=0
table_ranks=""
while read -r dll function release rest; do
    [ -z "$dll" ] || [[ "$dll" == \#* ]] && continue
    rank=$(rank_of "${release:-}")
    if [ -z "$function" ] || [ "$rank" -lt 0 ] || [ -n "$rest" ]; then
        echo "FAIL: $table: cannot read the row \"$dll $function ${release:-} $rest\""
        bad=1
        continue
    fi
    table_ranks+="$dll $function $rank"$'\n'
done <"$table"

# "DLL FUNCTION" for each import of a dump (objdump -p); an import by ordinal
# shows as "DLL #ORDINAL", which no row of the table names.
imports_of() {
    awk '
        /^The Import Tables/ { inside = 1; next }
        inside && /^[^[:space:]]/ { inside = 0 }
        !inside { next }
        /^[[:space:]]*DLL Name:/ { dll = toupper($3); sub(/\.DLL$/, "", dll); next }
        /^\t[0-9a-fA-F]+\t/ {
            if (NF >= 3 && $3 != "<none>") print dll, $3
            else print dll, "#" $2
        }'
}

shipped=()
built=()
if [ "$target" = --shipped ]; then
    shipped=("$@")
    [ "${#shipped[@]}" -gt 0 ] || { echo "$usage"; exit 1; }
else
    build="$target"
    # dist holds copies of the built files beside text stand-ins and placeholders.
    while IFS= read -r -d '' file; do
        built+=("$file")
    done < <(find "$build" \( -path '*/CMakeFiles' -o -path "$build/dist" -o -path "$build/package/stand-ins" \) -prune -o -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
    [ "${#built[@]}" -gt 0 ] || { echo "FAIL: no .exe or .dll under $build"; exit 1; }
    if [ -d "$build/dist" ]; then
        while IFS= read -r -d '' file; do
            [ "$(head -c 2 "$file")" = MZ ] || continue  # a stand-in or placeholder
            if [ "$(dirname "$file")" = "$build/dist" ] && "$objdump" -f "$file" 2>/dev/null | grep -q 'pei-x86-64'; then
                continue  # the x86_64 setup programs are Wine test builds
            fi
            shipped+=("$file")
        done < <(find "$build/dist" -type f -print0 | sort -z)
    fi
fi

# check FILE SHIPPED(0|1)
check() {
    local file="$1" is_shipped="$2" dump imports dll name function floor floor_name rank
    if ! dump="$("$objdump" -p "$file" 2>&1)"; then
        echo "FAIL: $objdump cannot read $file"
        bad=1
        return
    fi
    imports=$(printf '%s\n' "$dump" | imports_of)
    [ -n "$imports" ] || { echo "FAIL: no import table in $file"; bad=1; return; }
    while read -r dll; do
        if [[ "$allowed" != *" $dll "* ]]; then
            echo "FAIL: $file imports $dll"
            bad=1
        fi
    done < <(printf '%s\n' "$imports" | cut -d' ' -f1 | sort -u)
    for function in $late_functions; do
        if printf '%s\n' "$imports" | grep -q " $function\$"; then
            echo "FAIL: $file imports $function instead of looking it up"
            bad=1
        fi
    done
    if [ "$is_shipped" = 1 ]; then
        case "$(printf '%s\n' "$dump" | sed -n 's/.*file format //p' | head -n 1)" in
            pei-i386) floor_name=2000 ;;
            pei-x86-64) floor_name=XPx64 ;;
            *) echo "FAIL: $file is neither i686 nor x86_64"; bad=1; return ;;
        esac
        floor=$(rank_of "$floor_name")
        # "DLL FUNCTION RANK" for each import, the rank empty when the table lacks it.
        while read -r dll function rank; do
            if [ -z "$rank" ]; then
                echo "FAIL: $file imports $dll $function, which $table does not list"
                bad=1
            elif [ "$rank" -gt "$floor" ]; then
                echo "FAIL: $file imports $dll $function, exported from Windows ${releases[$rank]} on; the file must start on Windows $floor_name"
                bad=1
            fi
        done < <(awk 'FILENAME == ARGV[1] { rank[$1 " " $2] = $3; next } { print $1, $2, rank[$1 " " $2] }' \
                     <(printf '%s' "$table_ranks") <(printf '%s\n' "$imports"))
        name="shipped, Windows $floor_name"
    else
        name="test program"
    fi
    echo "checked: $file ($name: $(printf '%s\n' "$imports" | cut -d' ' -f1 | sort -u | tr '\n' ' '))"
}

for file in "${built[@]}"; do check "$file" 0; done
for file in "${shipped[@]}"; do check "$file" 1; done

[ "$bad" -eq 0 ] || { echo "pe_imports: FAILED"; exit 1; }
echo "pe_imports: ${#built[@]} built and ${#shipped[@]} shipped PE files import only system DLLs and look the late functions up;" \
     "the shipped ones import only what their oldest release exports"
