#!/bin/sh
# Makes a throwaway code-signing certificate, valid for two days, for signing
# test copies of launcher.exe: DIR/NAME.pem, DIR/NAME.key and DIR/NAME.pfx,
# whose password is in DIR/password.
#   throwaway_certificate.sh DIR NAME
set -eu
dir=$1
name=$2
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Launcher test signing $name" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$dir/$name.key" -out "$dir/$name.pem" 2>/dev/null
printf 'a throwaway password\n' >"$dir/password"
openssl pkcs12 -export -inkey "$dir/$name.key" -in "$dir/$name.pem" \
  -passout "file:$dir/password" -out "$dir/$name.pfx"
