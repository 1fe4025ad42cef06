#!/usr/bin/env bash
# Checks that a program image has the named data section marked shared, so
# that every running copy sees the same bytes, and that it carries the given
# text (its initial contents). Usage: check_shared_section.sh OBJDUMP PROGRAM.exe SECTION TEXT
set -u

objdump="${1:?usage: check_shared_section.sh OBJDUMP PROGRAM.exe SECTION TEXT}"
program="${2:?usage: check_shared_section.sh OBJDUMP PROGRAM.exe SECTION TEXT}"
section="${3:?usage: check_shared_section.sh OBJDUMP PROGRAM.exe SECTION TEXT}"
text="${4:?usage: check_shared_section.sh OBJDUMP PROGRAM.exe SECTION TEXT}"

fail() {
    echo "FAIL: $*"
    exit 1
}

[ -f "$program" ] || fail "not built: $program"
headers=$("$objdump" -h "$program") || fail "$objdump cannot read $program"
flags=$(awk -v s="$section" '$2 == s { getline; print; exit }' <<<"$headers")
[ -n "$flags" ] || fail "$program has no section $section"
grep -q 'SHARED' <<<"$flags" || fail "section $section of $program is not shared: $flags"
grep -q 'DATA' <<<"$flags" || fail "section $section of $program holds no initialised data: $flags"
contents=$("$objdump" -s -j "$section" "$program" | sed -n 's/^ [0-9a-f]\{4,\} .\{35\}  //p' | tr -d '\n')
grep -qF -- "$text" <<<"$contents" || fail "section $section does not start out holding \"$text\""
echo "$(basename "$program"): section $section shared, holds \"$text\""
