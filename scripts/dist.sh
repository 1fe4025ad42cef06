#!/usr/bin/env bash
# Builds the two cross presets and puts the package together as a user gets
# it: the programs (i686), kvt580d.inf, KVT580duo_Config.NVX, Driver32 with the
# i686 binaries and Driver64 with the x86_64 binaries.
#   scripts/dist.sh [--allow-placeholders] [OUT]      OUT defaults to dist/
# It fails when a file of ours is still a placeholder (a program target that
# does not exist yet, for instance), unless --allow-placeholders is given.
# Then scripts/sign.sh signs the package and makes its catalog, with the
# certificate that KVT_SIGN_PKCS12 and KVT_SIGN_PASSWORD_FILE name (and the
# time-stamp server of KVT_SIGN_TIMESTAMP_URL); without one the package is
# unsigned, and sign.sh says so.
# KVT_WIN32_BUILD and KVT_WIN64_BUILD name other build folders for the presets.
set -euo pipefail
cd "$(dirname "$0")/.."

allow_placeholders=0
if [ "${1:-}" = --allow-placeholders ]; then
  allow_placeholders=1
  shift
fi
out="${1:-dist}"
win32="${KVT_WIN32_BUILD:-build/win32}"
win64="${KVT_WIN64_BUILD:-build/win64}"
jobs=$(nproc)

scripts/ensure-packages.sh all
for preset in win32 win64; do
  build=$win32
  [ "$preset" = win64 ] && build=$win64
  echo "=== $preset: kvt_dist in $build ==="
  cmake --preset "$preset" -B "$build" >/dev/null
  cmake --build "$build" --target kvt_dist -j "$jobs"
done

rm -rf "$out"
mkdir -p "$out"
# The i686 build gives the top and Driver32; Driver64 comes from the x86_64 build.
cp -r "$win32/dist/." "$out/"
rm -rf "$out/Driver64"
cp -r "$win64/dist/Driver64" "$out/Driver64"

placeholders=$(grep -rlE '^Placeholder for ' "$out" || true)
if [ -n "$placeholders" ]; then
  echo "Files of ours not built by either preset:"
  sed "s|^$out/|  |" <<<"$placeholders"
  [ "$allow_placeholders" = 1 ] || { echo "dist is incomplete (use --allow-placeholders to keep it anyway)"; exit 1; }
fi
echo "=== native: kvtcat, which makes the catalog ==="
cmake --preset native >/dev/null
cmake --build build/native --target kvtcat -j "$jobs"
KVTCAT="$PWD/build/native/tools/catalog/kvtcat" scripts/sign.sh "$out"
echo "The package is in $out:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
