#!/usr/bin/env bash
# The platform layer (ports, the simulated Windows, the Win32 adapters) knows
# nothing of the product: none of its sources includes the setup programs,
# the plug-in, kvtsim or the tests. Whoever composes a simulation hands it
# the product's parts. Usage: check_platform_includes.sh SOURCE_DIR
set -u

root="${1:?usage: check_platform_includes.sh SOURCE_DIR}"
[ -d "$root/platform/sim" ] || { echo "FAIL: no platform/sim below $root"; exit 1; }
found=$(grep -rnE '#[[:space:]]*include[[:space:]]*[<"](Installer|driversrc|tools|tests)/' "$root/platform" \
        --include='*.h' --include='*.cpp' --include='*.in')
if [ -n "$found" ]; then
    echo "$found"
    echo "platform_includes: FAILED"
    exit 1
fi
echo "platform_includes: OK"
