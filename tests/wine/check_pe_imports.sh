#!/usr/bin/env bash
# Fails when a PE file of the build imports a DLL that Windows does not ship:
# the programs and the plug-in must run on a bare system, so the compiler's
# runtime is linked in statically. Functions that older systems lack must be
# looked up at run time, never imported, or the program would not even start
# there. Usage: check_pe_imports.sh OBJDUMP BUILD_DIR
set -u

objdump="${1:?usage: check_pe_imports.sh OBJDUMP BUILD_DIR}"
build="${2:?usage: check_pe_imports.sh OBJDUMP BUILD_DIR}"

allowed=" KERNEL32 USER32 GDI32 ADVAPI32 SHELL32 SHLWAPI COMCTL32 COMDLG32 OLE32 OLEAUT32"
allowed+=" WINSPOOL.DRV SETUPAPI VERSION MSVCRT "
late_functions="RegDeleteKeyExA IsWow64Process GetSystemWow64DirectoryA SetupUninstallOEMInfA"

command -v "$objdump" >/dev/null || { echo "FAIL: $objdump not found"; exit 1; }

# dist holds copies of the built files beside text stand-ins and placeholders.
files=()
while IFS= read -r -d '' file; do
    files+=("$file")
done < <(find "$build" \( -path '*/CMakeFiles' -o -path "$build/dist" -o -path "$build/package/stand-ins" \) -prune -o -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)

[ "${#files[@]}" -gt 0 ] || { echo "FAIL: no .exe or .dll under $build"; exit 1; }

bad=0
for file in "${files[@]}"; do
    if ! dump="$("$objdump" -p "$file" 2>&1)"; then
        echo "FAIL: $objdump cannot read $file"
        bad=1
        continue
    fi
    imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
    [ -n "$imports" ] || { echo "FAIL: no import table in $file"; bad=1; continue; }
    while IFS= read -r dll; do
        name=$(printf '%s' "$dll" | tr '[:lower:]' '[:upper:]')
        name="${name%.DLL}"
        if [[ "$allowed" != *" $name "* ]]; then
            echo "FAIL: $file imports $dll"
            bad=1
        fi
    done <<<"$imports"
    for function in $late_functions; do
        if printf '%s\n' "$dump" | grep -Eq "^[[:space:]]+[0-9a-fA-F]+[[:space:]]+[0-9]+[[:space:]]+$function\$"; then
            echo "FAIL: $file imports $function instead of looking it up"
            bad=1
        fi
    done
    echo "checked: $file ($(printf '%s\n' "$imports" | tr '\n' ' '))"
done

[ "$bad" -eq 0 ] || exit 1
echo "pe_imports: ${#files[@]} PE files import only system DLLs and look the late functions up"
