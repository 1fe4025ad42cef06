#!/usr/bin/env bash
# Signs an assembled driver package and makes its catalog.
#   scripts/sign.sh [--pkcs12 FILE --password-file FILE] [--timestamp URL] [DIST]
# DIST defaults to dist/. With a certificate, in this order:
#   1. every PE file of DIST (programs and DLLs, found by their "MZ" start)
#      gets an Authenticode signature with SHA-256, replacing one it had;
#   2. the catalog that each top-level INF names (CatalogFile= in [Version])
#      is made over the signed files by kvtcat: every file that the INF names
#      for each architecture, and the INF itself, by SHA-1 and SHA-256 hash;
#   3. the catalog is signed the same way.
# The certificate is a PKCS #12 file (.pfx/.p12) holding the code-signing
# certificate, its private key and its chain; its password is the first line
# of --password-file, so it shows in no process list. --timestamp names an
# RFC 3161 time-stamp server (for example the certificate authority's), so
# the signatures outlive the certificate. The same three can come from the
# environment: KVT_SIGN_PKCS12, KVT_SIGN_PASSWORD_FILE, KVT_SIGN_TIMESTAMP_URL.
#
# Without a certificate the catalog is still made, unsigned, and the script
# says loudly that the package is unsigned: the INF's CatalogFile then names a
# file that exists and the package can be checked against it, but Windows
# treats the package as unsigned (64-bit Windows 8 and later refuse it).
# kvtcat is the native build's (build/native/tools/catalog/kvtcat, built when
# missing), or KVTCAT.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

pkcs12="${KVT_SIGN_PKCS12:-}"
password_file="${KVT_SIGN_PASSWORD_FILE:-}"
timestamp="${KVT_SIGN_TIMESTAMP_URL:-}"
while [ $# -gt 0 ]; do
  case "$1" in
    --pkcs12) pkcs12="${2:?--pkcs12 needs a file}"; shift 2 ;;
    --password-file) password_file="${2:?--password-file needs a file}"; shift 2 ;;
    --timestamp) timestamp="${2:?--timestamp needs a URL}"; shift 2 ;;
    -*) echo "usage: $0 [--pkcs12 FILE --password-file FILE] [--timestamp URL] [DIST]" >&2; exit 2 ;;
    *) break ;;
  esac
done
dist="${1:-$root/dist}"
[ -d "$dist" ] || { echo "sign.sh: no package folder $dist" >&2; exit 2; }
if [ -n "$pkcs12" ] && [ -z "$password_file" ]; then
  echo "sign.sh: --pkcs12 needs --password-file" >&2
  exit 2
fi

kvtcat="${KVTCAT:-$root/build/native/tools/catalog/kvtcat}"
if [ ! -x "$kvtcat" ]; then
  (cd "$root" && cmake --preset native >/dev/null && cmake --build build/native --target kvtcat >/dev/null)
fi

# Signs FILE in place with the certificate. Only options that osslsigncode
# 2.5 (Debian bookworm) already has.
sign_file() {
  local file="$1" options=(-pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 -n "NORVEX KVT-580duo")
  [ -n "$timestamp" ] && options+=(-ts "$timestamp")
  local unsigned="$file.unsigned" signed="$file.signed"
  # A file signed before keeps one signature, the new one.
  if osslsigncode remove-signature -in "$file" -out "$unsigned" >/dev/null 2>&1; then
    mv "$unsigned" "$file"
  fi
  rm -f "$unsigned"
  osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >/dev/null
  mv "$signed" "$file"
}

if [ -n "$pkcs12" ]; then
  count=0
  while IFS= read -r -d '' file; do
    [ "$(head -c 2 "$file")" = MZ ] || continue
    sign_file "$file"
    count=$((count + 1))
  done < <(find "$dist" -type f \( -iname '*.dll' -o -iname '*.exe' \) -print0 | sort -z)
  echo "sign.sh: signed $count PE files in $dist"
fi

found=0
for inf in "$dist"/*.inf; do
  [ -f "$inf" ] || continue
  catalog=$(sed -n 's/^[[:space:]]*CatalogFile[[:space:]]*=[[:space:]]*\([^[:space:];]*\).*/\1/Ip' "$inf" | head -n 1 | tr -d '\r')
  [ -n "$catalog" ] || { echo "sign.sh: $(basename "$inf") names no CatalogFile" >&2; exit 1; }
  "$kvtcat" make "$dist" "$(basename "$inf")" "$dist/$catalog"
  [ -n "$pkcs12" ] && sign_file "$dist/$catalog"
  found=1
done
[ "$found" = 1 ] || { echo "sign.sh: no INF in $dist" >&2; exit 1; }

if [ -n "$pkcs12" ]; then
  echo "sign.sh: the package in $dist is signed"
else
  echo "sign.sh: WARNING: no certificate given: the package in $dist is UNSIGNED" >&2
  echo "sign.sh: (its catalog carries no signature; 64-bit Windows 8 and later refuse it)" >&2
fi
