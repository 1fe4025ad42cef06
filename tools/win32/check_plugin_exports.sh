#!/usr/bin/env bash
# The plug-in's export table: exactly DllGetClassObject and DllCanUnloadNow,
# under the module name NVXUI.dll (the file is UI580D.dll).
# Usage: check_plugin_exports.sh OBJDUMP UI580D.dll
set -u

objdump="${1:?usage: check_plugin_exports.sh OBJDUMP UI580D.dll}"
dll="${2:?usage: check_plugin_exports.sh OBJDUMP UI580D.dll}"

fail() {
    echo "FAIL: $*"
    exit 1
}

command -v "$objdump" >/dev/null || fail "$objdump not found"
[ -f "$dll" ] || fail "no plug-in at $dll"
[ "$(basename "$dll")" = "UI580D.dll" ] || fail "the file is $(basename "$dll"), not UI580D.dll"

dump="$("$objdump" -p "$dll")" || fail "$objdump cannot read $dll"
name=$(printf '%s\n' "$dump" | sed -n 's/^Name[[:space:]]\+[0-9a-fA-F]\+[[:space:]]\+//p' | tr -d '\r')
[ "$name" = "NVXUI.dll" ] || fail "the export table names the module \"$name\", not \"NVXUI.dll\""

# The lines of the name-pointer table: "[   0] +base[   1] 0000 DllCanUnloadNow".
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]\+\].*[[:space:]]\([A-Za-z_@0-9]\+\)$/\1/p' | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject " ] || fail "the exports are \"$exports\""

echo "plugin_exports: $dll exports DllCanUnloadNow and DllGetClassObject as NVXUI.dll"
