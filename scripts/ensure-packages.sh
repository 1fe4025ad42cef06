#!/usr/bin/env bash
# Installs the Debian packages that the builds and tests need when they are
# missing. As root it installs them with apt-get; otherwise it names them and
# stops.
#   scripts/ensure-packages.sh native   compilers and libraries of the native build, and
#                                       openssl and osslsigncode, which sign its test package
#   scripts/ensure-packages.sh all      also the MinGW-w64 cross compilers, wine64, Xvfb and clang (fuzzer)
set -euo pipefail

native=(cmake ninja-build g++ make libgtest-dev libgmock-dev nlohmann-json3-dev libbenchmark-dev libssl-dev openssl osslsigncode)
further=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine64 xvfb imagemagick clang libclang-rt-14-dev)

case "${1:-all}" in
  native) wanted=("${native[@]}") ;;
  all) wanted=("${native[@]}" "${further[@]}") ;;
  *) echo "usage: $0 native|all" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root:  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! apt-get install -y -q "${missing[@]}"; then
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi
