#!/usr/bin/env bash
# The demo: installs what is missing, builds the headless runner kvtsim and the
# driver package, prints a fresh Windows 10 x64 system image with the package
# in C:\Setup, and runs the whole installer on it in the simulated Windows,
# answering as a user would (port COM2 in the "Port Type" dialog, "No" to the
# restart question): what the installer showed and did, the setup log it
# wrote, what the system holds afterwards, and how long it took in virtual
# time. Then the uninstaller runs on the image the installation left (every
# printer chosen, "No" to its restart question), and the image afterwards is
# compared with the one before the installation: only the logs and the
# utilities the removal leaves on purpose differ.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh native

cmake --preset native >/dev/null
cmake --build --preset native --target kvtsim kvt_dist -j "$(nproc)" >/dev/null
kvtsim=build/native/tools/kvtsim/kvtsim
out=build/demo
mkdir -p "$out"

echo "== kvtsim image --os win10-x64 --package build/native/dist (first lines; whole image in $out/win10-x64.json)"
"$kvtsim" image --os win10-x64 --package build/native/dist > "$out/win10-x64.json"
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

echo
echo "== kvtsim run uninstaller --system $out/install.json --answers $out/answers.json --format text"
"$kvtsim" run uninstaller --system "$out/install.json" --answers "$out/answers.json" --format text
"$kvtsim" run uninstaller --system "$out/install.json" --answers "$out/answers.json" --out "$out/uninstall.json"

echo
echo "== kvtsim compare $out/win10-x64.json $out/uninstall.json"
echo "   (the system before the installation against the one after the uninstallation)"
set +e
"$kvtsim" compare "$out/win10-x64.json" "$out/uninstall.json"
status=$?
set -e
[ "$status" -le 1 ] || exit "$status"
echo "The only differences: the two setup logs in C:\Temp, the uninstaller and the configuration"
echo "file in C:\Windows\KVT-580duo, and the configuration file in the system directory,"
echo "which the removal leaves on purpose."
