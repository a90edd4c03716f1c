#!/bin/sh
# Builds the helper into OUT/lib/<multiarch>/noreplace.so, for LD_PRELOAD set
# to 'OUT/$LIB/noreplace.so': the dynamic loader picks the 32-bit build for
# Wine's 32-bit processes and an empty 64-bit one for everything else, so no
# process warns about a library of the wrong class.
set -eu
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out/lib/i386-linux-gnu" "$out/lib/x86_64-linux-gnu"
gcc -m32 -O2 -shared -fPIC -o "$out/lib/i386-linux-gnu/noreplace.so" "$here/noreplace.c" -ldl
printf 'void wine32_on_qemu_unused(void) {}\n' |
  gcc -O2 -shared -fPIC -x c -o "$out/lib/x86_64-linux-gnu/noreplace.so" -
