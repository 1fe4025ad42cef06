#!/usr/bin/env bash
# Checks a program's version resource: the fixed record carries the version
# given (a.b.c.d) as file and product version, and the string table names the
# product. Usage: check_version_resource.sh OBJDUMP PROGRAM.exe a.b.c.d
set -u

objdump="${1:?usage: check_version_resource.sh OBJDUMP PROGRAM.exe a.b.c.d}"
program="${2:?usage: check_version_resource.sh OBJDUMP PROGRAM.exe a.b.c.d}"
version="${3:?usage: check_version_resource.sh OBJDUMP PROGRAM.exe a.b.c.d}"

fail() {
    echo "FAIL: $*"
    exit 1
}

[ -f "$program" ] || fail "not built: $program"
"$objdump" -h "$program" | grep -q '[[:space:]]\.rsrc[[:space:]]' || fail "$program has no resource section"

IFS=. read -r major minor build extra <<<"$version"
# One 16-bit little-endian word as two hex bytes.
word() { printf '%02x %02x' $(($1 & 255)) $(($1 >> 8)); }
# VS_FIXEDFILEINFO: signature, structure version, file version MS and LS,
# product version MS and LS.
fixed="bd 04 ef fe 00 00 01 00 $(word "$minor") $(word "$major") $(word "$extra") $(word "$build")"
fixed+=" $(word "$minor") $(word "$major") $(word "$extra") $(word "$build")"
bytes=$(od -An -v -tx1 "$program" | tr -s ' \n' '  ')
[[ "$bytes" == *" $fixed "* ]] || fail "no fixed version record $version in $program"

texts=$(strings -el "$program")
for expected in "FileVersion" "$version" "ProductName" "NORVEX KVT-580duo" "FileDescription"; do
    grep -qxF -- "$expected" <<<"$texts" || fail "the version strings lack \"$expected\""
done
echo "version resource of $(basename "$program"): $version, NORVEX KVT-580duo"
