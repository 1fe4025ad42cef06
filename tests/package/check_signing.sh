#!/usr/bin/env bash
# Signs a copy of an assembled package with a throw-away certificate made
# here by openssl (a test CA and a code-signing certificate it issued), then
# checks what a release build must hold: every PE file and the catalog verify
# with osslsigncode against that CA; every file the INF names is in the
# catalog with its hash; the catalog's signer is the certificate; and a copy
# with one byte of one file changed, PE file or not, fails the catalog check.
# Usage: check_signing.sh KVTCAT PACKAGE [PACKAGE64]
# With PACKAGE64 the package is put together as scripts/dist.sh does it: the
# top and Driver32 from PACKAGE (the i686 build), Driver64 from PACKAGE64.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
kvtcat="${1:?usage: check_signing.sh KVTCAT PACKAGE [PACKAGE64]}"
package="${2:?}"
package64="${3:-}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bad=0
fail() { echo "FAIL: $*"; bad=1; }

mkdir -p "$work/dist" && cp -r "$package/." "$work/dist/"
if [ -n "$package64" ]; then
    rm -rf "$work/dist/Driver64"
    cp -r "$package64/Driver64" "$work/dist/Driver64"
fi
rm -f "$work/dist"/*.cat

bash "$here/make_test_certificate.sh" "$work" || { echo "FAIL: openssl could not make the test certificate"; exit 1; }

KVTCAT="$kvtcat" bash "$here/../../scripts/sign.sh" --pkcs12 "$work/publisher.p12" --password-file "$work/password" "$work/dist" ||
    { echo "FAIL: sign.sh failed"; exit 1; }

inf=$(cd "$work/dist" && ls *.inf | head -n 1)
catalog=$(sed -n 's/^[[:space:]]*CatalogFile[[:space:]]*=[[:space:]]*\([^[:space:];]*\).*/\1/Ip' "$work/dist/$inf" | head -n 1 | tr -d '\r')
[ -f "$work/dist/$catalog" ] || { echo "FAIL: $inf names the catalog \"$catalog\", which sign.sh did not make"; exit 1; }

pe_files=()
while IFS= read -r -d '' file; do
    [ "$(head -c 2 "$file")" = MZ ] && pe_files+=("$file")
done < <(find "$work/dist" -type f \( -iname '*.dll' -o -iname '*.exe' \) -print0 | sort -z)
for file in "${pe_files[@]}" "$work/dist/$catalog"; do
    osslsigncode verify -CAfile "$work/ca.pem" -in "$file" >"$work/verify.log" 2>&1 ||
        { fail "${file#"$work/dist/"} does not verify:"; tail -n 5 "$work/verify.log"; }
done

"$kvtcat" verify "$work/dist" "$inf" "$work/dist/$catalog" || fail "the signed package does not match its catalog"
expected=$(openssl x509 -in "$work/publisher.pem" -outform DER | sha1sum | cut -d' ' -f1 | tr a-f A-F)
[ "$("$kvtcat" signer "$work/dist/$catalog")" = "$expected" ] || fail "the catalog's signer is not the test publisher"

# One changed byte, in a PE file and in a text file of the package.
changed=0
for file in "${pe_files[@]:0:1}" "$work/dist/Driver64/KVT580D.GPD" "$work/dist/$inf"; do
    [ -f "$file" ] || continue
    cp -r "$work/dist" "$work/changed"
    target="$work/changed/${file#"$work/dist/"}"
    size=$(stat -c %s "$target")
    # The middle of what the signature covers: in a small PE file the
    # signature, which its hash leaves out, can be most of the file.
    if osslsigncode remove-signature -in "$target" -out "$work/unsigned" >/dev/null 2>&1; then
        size=$(stat -c %s "$work/unsigned")
    fi
    rm -f "$work/unsigned"
    offset=$((size / 2))
    byte=$(od -An -tu1 -j "$offset" -N1 "$target" | tr -d ' ')
    printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$target" bs=1 seek="$offset" conv=notrunc status=none
    if "$kvtcat" verify "$work/changed" "$inf" "$work/changed/$catalog" >/dev/null; then
        fail "a package with one byte of ${file#"$work/dist/"} changed still matches the catalog"
    fi
    rm -rf "$work/changed"
    changed=$((changed + 1))
done
[ "$changed" -ge 2 ] || fail "the package had too few files to change"

[ "$bad" -eq 0 ] || exit 1
echo "check_signing: ${#pe_files[@]} PE files and $catalog verify; every file of $inf is in the catalog; $changed changed copies fail"
