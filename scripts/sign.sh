#!/bin/sh
# Signs launcher.exe with Authenticode (SHA-256), using osslsigncode.
#   scripts/sign.sh IN_EXE OUT_EXE
# The certificate and its private key come from a PKCS#12 (.pfx) file; its
# path and password are read from the environment or from a file, never from
# the command line, where any user of the machine could read them:
#   LAUNCHER_SIGN_PFX            the .pfx file
#   LAUNCHER_SIGN_PASSWORD_FILE  a file whose first line is its password, or
#   LAUNCHER_SIGN_PASSWORD       the password itself
#   LAUNCHER_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional; the
#                                signature then outlives the certificate)
#   LAUNCHER_SIGN_CONFIG         a file of those settings as NAME=value lines,
#                                read first (optional)
set -eu
if [ $# -ne 2 ]; then
  echo "usage: $0 IN_EXE OUT_EXE" >&2
  exit 2
fi
in=$1
out=$2

if [ -n "${LAUNCHER_SIGN_CONFIG:-}" ]; then
  # Only the four settings are taken from it, whatever else it holds.
  while IFS='=' read -r name value; do
    case $name in
      LAUNCHER_SIGN_PFX | LAUNCHER_SIGN_PASSWORD_FILE | LAUNCHER_SIGN_PASSWORD | \
      LAUNCHER_SIGN_TIMESTAMP_URL) eval "$name=\$value" ;;
    esac
  done <"$LAUNCHER_SIGN_CONFIG"
fi

pfx=${LAUNCHER_SIGN_PFX:?set LAUNCHER_SIGN_PFX to the .pfx file to sign with}
[ -r "$pfx" ] || { echo "$0: cannot read $pfx" >&2; exit 1; }

# osslsigncode reads the password from a file. One given in the environment
# goes into a file only its owner can read, removed on exit.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ -n "${LAUNCHER_SIGN_PASSWORD_FILE:-}" ]; then
  password_file=$LAUNCHER_SIGN_PASSWORD_FILE
else
  password_file=$scratch/password
  (umask 077 && printf '%s\n' "${LAUNCHER_SIGN_PASSWORD:-}" >"$password_file")
fi

set -- -pkcs12 "$pfx" -readpass "$password_file" -h sha256 -n "launcher.exe"
if [ -n "${LAUNCHER_SIGN_TIMESTAMP_URL:-}" ]; then
  set -- "$@" -ts "$LAUNCHER_SIGN_TIMESTAMP_URL"
fi
rm -f "$out"
osslsigncode sign "$@" -in "$in" -out "$out"
