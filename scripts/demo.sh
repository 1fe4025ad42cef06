#!/usr/bin/env bash
# The demo: installs what is missing, builds the headless runner kvtsim and the
# driver package, prints a fresh Windows 10 x64 system image, and runs the
# whole installer on it in the simulated Windows, answering as a user would
# (port COM2 in the "Port Type" dialog, "No" to the restart question): what
# the installer showed and did, the setup log it wrote, what the system holds
# afterwards, and how long it took in virtual time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh native

cmake --preset native >/dev/null
cmake --build --preset native --target kvtsim kvt_dist -j "$(nproc)" >/dev/null
kvtsim=build/native/tools/kvtsim/kvtsim
out=build/demo
mkdir -p "$out"

echo "== kvtsim image --os win10-x64 (first lines; whole image in $out/win10-x64.json)"
"$kvtsim" image --os win10-x64 > "$out/win10-x64.json"
head -n 25 "$out/win10-x64.json"
echo "   ..."

cat > "$out/answers.json" <<'JSON'
{
  "portDialog": "COM2",
  "messageBoxes": [ { "textContains": "restart", "answer": "no" } ]
}
JSON
echo
echo "== answers ($out/answers.json)"
cat "$out/answers.json"

echo
echo "== kvtsim run installer --system $out/win10-x64.json --answers $out/answers.json --format text"
"$kvtsim" run installer --system "$out/win10-x64.json" --answers "$out/answers.json" --format text
"$kvtsim" run installer --system "$out/win10-x64.json" --answers "$out/answers.json" --out "$out/install.json"
echo "(the whole result, with the system image afterwards, is in $out/install.json)"
