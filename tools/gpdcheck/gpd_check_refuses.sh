#!/usr/bin/env bash
# Breaks a copy of a GPD with one sed expression and runs the checker on it,
# which must refuse it. The caller matches the checker's message.
# Usage: gpd_check_refuses.sh GPD_CHECK GPD RESOURCE_SCRIPT CALLBACK_HEADER SED_EXPRESSION
set -u
checker="${1:?}" gpd="${2:?}" script="${3:?}" header="${4:?}" edit="${5:?}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
broken="$work/$(basename "$gpd")"
sed -e "$edit" "$gpd" >"$broken"
cmp -s "$gpd" "$broken" && { echo "the edit changed nothing: $edit"; exit 1; }
if "$checker" "$broken" "$script" "$header"; then
    echo "the broken GPD passed the check"
    exit 1
fi
echo "gpd_check refused the broken GPD"
