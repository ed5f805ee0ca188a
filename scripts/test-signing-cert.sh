#!/usr/bin/env bash
# A throw-away self-signed code-signing certificate for test-signed releases:
#   scripts/test-signing-cert.sh DIR
# makes (or keeps, while it is valid for another week) DIR/test-signing.p12
# (password "test") and DIR/test-signing.crt, the certificate alone, which
# `osslsigncode verify -CAfile` takes as the trusted root. Files signed with
# it are trusted by nobody: they are for testing only.
set -euo pipefail
dir=${1:?usage: test-signing-cert.sh DIR}
mkdir -p "$dir"
crt=$dir/test-signing.crt p12=$dir/test-signing.p12
if [ -f "$p12" ] && [ -f "$crt" ] && openssl x509 -in "$crt" -noout -checkend 604800 >/dev/null 2>&1; then
  exit 0
fi
key=$(mktemp)
trap 'rm -f "$key"' EXIT
openssl req -x509 -newkey rsa:3072 -sha256 -days 730 -nodes \
  -subj "/CN=VelPanel TEST SIGNING - NOT TRUSTED/O=Qor (test only)" \
  -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$key" -out "$crt.new" 2>/dev/null
openssl pkcs12 -export -inkey "$key" -in "$crt.new" -out "$p12.new" -passout pass:test
mv -f "$crt.new" "$crt"
mv -f "$p12.new" "$p12"
