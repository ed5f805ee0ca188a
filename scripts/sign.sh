#!/usr/bin/env bash
# Signs Windows programs in place with a SHA-256 Authenticode signature:
#   scripts/sign.sh FILE...
# The certificate and its key come from the environment:
#   VELPANEL_SIGN_PKCS12    a PKCS#12 file (.p12/.pfx) with the certificate, its chain and key
#   VELPANEL_SIGN_PASSWORD  its password (may be empty)
#   VELPANEL_TIMESTAMP_URL  an RFC 3161 time-stamp service; without it the
#                           signature carries no time stamp and its signing
#                           time is SOURCE_DATE_EPOCH, so that the same file
#                           and key always give the same bytes
# Used by scripts/package-release.py, also for the uninstaller inside the
# setup (makensis runs it through !uninstfinalize).
set -euo pipefail
: "${VELPANEL_SIGN_PKCS12:?sign.sh: VELPANEL_SIGN_PKCS12 names no certificate}"
[ -f "$VELPANEL_SIGN_PKCS12" ] || { echo "sign.sh: no file $VELPANEL_SIGN_PKCS12" >&2; exit 1; }
args=(sign -pkcs12 "$VELPANEL_SIGN_PKCS12" -pass "${VELPANEL_SIGN_PASSWORD:-}" -h sha256
      -n "VelPanel - Velmora Control Panel")
if [ -n "${VELPANEL_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$VELPANEL_TIMESTAMP_URL")
else
  args+=(-time "${SOURCE_DATE_EPOCH:?sign.sh: SOURCE_DATE_EPOCH is not set}")
fi
for file in "$@"; do
  rm -f "$file.signed"
  if ! osslsigncode "${args[@]}" -in "$file" -out "$file.signed" >"$file.sign-log" 2>&1; then
    cat "$file.sign-log" >&2
    rm -f "$file.signed" "$file.sign-log"
    echo "sign.sh: $file could not be signed" >&2
    exit 1
  fi
  rm -f "$file.sign-log"
  mv -f "$file.signed" "$file"
done
