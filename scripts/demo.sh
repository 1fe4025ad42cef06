#!/usr/bin/env bash
# The demo: installs what is missing, builds the headless runner kvtsim, prints
# a fresh Windows 10 x64 system image, and runs the installer's start-up on it
# in the simulated Windows: the setup log it writes, what it did, and how long
# it took in virtual time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh native

cmake --preset native >/dev/null
cmake --build --preset native --target kvtsim -j "$(nproc)" >/dev/null
kvtsim=build/native/tools/kvtsim/kvtsim
out=build/demo
mkdir -p "$out"

echo "== kvtsim image --os win10-x64 (first lines; whole image in $out/win10-x64.json)"
"$kvtsim" image --os win10-x64 > "$out/win10-x64.json"
head -n 25 "$out/win10-x64.json"
echo "   ..."

echo
echo "== kvtsim startup installer --system $out/win10-x64.json --format text"
"$kvtsim" startup installer --system "$out/win10-x64.json" --format text
"$kvtsim" startup installer --system "$out/win10-x64.json" --out "$out/startup.json"
echo "(the whole result, with the system image afterwards, is in $out/startup.json)"
