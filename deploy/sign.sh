#!/usr/bin/env bash
# Signs files in place with Authenticode (SHA-256) through osslsigncode when
# the environment names a certificate; without one it leaves them unsigned:
#   sign.sh FILE...
# The certificate, either of:
#   VELMO_SIGN_PKCS12          a PKCS#12 file with the key and its chain,
#   VELMO_SIGN_PASSWORD_FILE   a file holding its password (or VELMO_SIGN_PASSWORD)
# or
#   VELMO_SIGN_PKCS11_MODULE   the token's PKCS#11 module,
#   VELMO_SIGN_PKCS11_KEY      the key on it, as a PKCS#11 URI,
#   VELMO_SIGN_CERTS           the certificate and its chain, PEM.
# VELMO_SIGN_TIMESTAMP: an RFC 3161 time-stamp server, used when named.
set -euo pipefail
if [ -n "${VELMO_SIGN_PKCS12:-}" ]; then
  password=${VELMO_SIGN_PASSWORD:-}
  [ -z "${VELMO_SIGN_PASSWORD_FILE:-}" ] || password=$(<"$VELMO_SIGN_PASSWORD_FILE")
  key=(-pkcs12 "$VELMO_SIGN_PKCS12" -pass "$password")
elif [ -n "${VELMO_SIGN_PKCS11_MODULE:-}" ]; then
  key=(-pkcs11module "$VELMO_SIGN_PKCS11_MODULE" -key "$VELMO_SIGN_PKCS11_KEY"
       -certs "$VELMO_SIGN_CERTS")
else
  exit 0
fi
command -v osslsigncode >/dev/null ||
  { echo "sign: osslsigncode is missing (scripts/install-deps.sh)" >&2; exit 1; }
stamp=()
[ -z "${VELMO_SIGN_TIMESTAMP:-}" ] || stamp=(-ts "$VELMO_SIGN_TIMESTAMP")
for file in "$@"; do
  osslsigncode sign "${key[@]}" "${stamp[@]}" -h sha256 -n "Velmo Korva Status" \
    -in "$file" -out "$file.signed" >/dev/null
  mv "$file.signed" "$file"
done
