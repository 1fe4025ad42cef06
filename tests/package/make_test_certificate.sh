#!/usr/bin/env bash
# Makes a throw-away code-signing certificate for tests and test builds:
# a test CA (ca.pem) and a publisher certificate it issued, with its key and
# the CA in publisher.p12, whose password is in the file "password". Never a
# secret and never kept in the sources: each build and each check makes its own.
# Usage: make_test_certificate.sh DIR [DAYS]
set -euo pipefail
dir="${1:?usage: make_test_certificate.sh DIR [DAYS]}"
days="${2:-2}"
mkdir -p "$dir"
cd "$dir"
{
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days "$days" -subj "/CN=KVT throw-away test CA"
    openssl req -newkey rsa:2048 -nodes -keyout publisher.key -out publisher.csr -subj "/CN=KVT throw-away test publisher"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=digitalSignature\nextendedKeyUsage=codeSigning\n' >publisher.ext
    openssl x509 -req -in publisher.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days "$days" -extfile publisher.ext -out publisher.pem
    echo "throw-away" >password
    openssl pkcs12 -export -in publisher.pem -inkey publisher.key -certfile ca.pem -passout file:password -out publisher.p12
} >openssl.log 2>&1 || { cat openssl.log >&2; echo "make_test_certificate.sh: openssl failed" >&2; exit 1; }
