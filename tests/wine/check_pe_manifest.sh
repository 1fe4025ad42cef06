#!/usr/bin/env bash
# Fails unless every given PE file carries, in its resources, the manifest
# entries the setup programs depend on: the supported-OS Ids of Windows
# Vista, 7, 8, 8.1 and 10/11 (without them GetVersionEx reports 6.2 on the
# later releases, and the log names the wrong system), system DPI awareness
# (otherwise the windows are stretched as bitmaps above 100 %), and the
# administrator level.
#
# Usage: check_pe_manifest.sh OBJCOPY FILE...
set -u

objcopy="${1:?usage: check_pe_manifest.sh OBJCOPY FILE...}"
shift
command -v "$objcopy" >/dev/null || { echo "FAIL: $objcopy not found"; exit 1; }

required=(
    'supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"'
    'supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"'
    'supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"'
    'supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"'
    'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"'
    'compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1"'
    'application xmlns="urn:schemas-microsoft-com:asm.v3"'
    '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>'
    'requestedExecutionLevel level="requireAdministrator"'
)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for file in "$@"; do
    resources="$scratch/$(basename "$file").rsrc"
    if ! "$objcopy" -O binary --only-section=.rsrc "$file" "$resources" 2>"$scratch/err" || [ ! -s "$resources" ]; then
        echo "FAIL: $file has no resource section"
        failed=1
        continue
    fi
    for entry in "${required[@]}"; do
        if ! grep -aqF -- "$entry" "$resources"; then
            echo "FAIL: the manifest of $file lacks $entry"
            failed=1
        fi
    done
done
if [ "$failed" -ne 0 ]; then
    echo "pe_manifest: FAILED"
    exit 1
fi
echo "pe_manifest: OK ($# files)"
